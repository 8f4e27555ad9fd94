#include "documents/DishSheets.h"

#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "documents/CardWriter.h"
#include "documents/ListDocuments.h"
#include "documents/TemplateFiles.h"
#include "products/ProductFields.h"
#include "shell/SettingDefaults.h"

#include <climits>

namespace kulvera {
namespace {

CellLook framed(std::optional<bool> bold = {}, std::optional<bool> italic = {})
{
    CellLook l;
    l.thinBorder = true;
    l.bold = bold;
    l.italic = italic;
    return l;
}

void say(const std::function<void(const QString &)> &log, const QString &line)
{
    if (log)
        log(line);
}

} // namespace

QString missingFullCompositionTemplateText(const QString &file)
{
    return QStringLiteral("Не найден шаблон таблицы расчета хим. состава: ") + file + u'\n'
        + QStringLiteral("Запустите программу автоматических обновлений или обратитесь");
}

XlsxWorkbook compositionSheet(const CardData &card, const CardFormats &formats, bool showBrutto, int &errors)
{
    XlsxWorkbook book = XlsxWorkbook::blank(QStringLiteral("Состав"), QStringLiteral("Times New Roman"), 10);
    SheetWriter w(book);
    const double widths[] = {5, 16, 40, 4, 12, 12};
    for (int c = 0; c < 6; ++c)
        book.setColumnWidth(c + 1, widths[c]);
    CellLook bold;
    bold.bold = true;
    w.text(2, 1, QStringLiteral("Наименование изделия (блюда): ") + card.name, bold);
    if (!card.number.isEmpty())
        w.text(3, 1, QStringLiteral("Карта №") + card.number);
    w.text(4, 1, QStringLiteral("Выход: ") + card.outputText + u' ' + card.unit);

    const int nettoCol = showBrutto ? 5 : 6;
    const QString mass = formats.massFormat();
    w.text(13, 1, QStringLiteral("№"), framed(true));
    w.text(13, 2, QStringLiteral("Нормативный документ"), framed(true));
    w.text(13, 3, QStringLiteral("Сырье"), framed(true));
    w.text(13, nettoCol, QStringLiteral("нетто, г"), framed(true));
    if (showBrutto)
        w.text(13, 6, QStringLiteral("брутто, г"), framed(true));

    int row = kCompositionFirstRow;
    for (const CardLine &line : card.lines) {
        const bool title = line.kind == CardLine::Kind::SemiFinished;
        const bool kept = line.kind == CardLine::Kind::Retention;
        if (line.number > 0)
            w.number(row, 1, line.number, QStringLiteral("0"));
        if (!line.nd.isEmpty())
            w.text(row, 2, line.nd);
        CellLook nameLook;
        if (title)
            nameLook.bold = true;
        if (kept)
            nameLook.italic = true;
        w.text(row, 3, line.name, nameLook);
        if (line.netto)
            w.number(row, nettoCol, *line.netto, mass, framed(title ? std::optional(true) : std::nullopt));
        if (showBrutto && line.brutto && !kept)
            w.number(row, 6, *line.brutto, mass, framed());
        ++row;
    }
    for (int r = kCompositionFirstRow; r <= kCompositionLastRow; ++r) {
        w.look(r, nettoCol, framed());
        if (showBrutto)
            w.look(r, 6, framed());
    }
    const std::pair<QString, double> totals[] = {{QStringLiteral("Итого"), card.nettoTotal},
        {QStringLiteral("Потери безвозвратные"), card.nettoTotal - card.output},
        {QStringLiteral("Выход"), card.output}};
    row = kCompositionLastRow + 1;
    for (const auto &[caption, value] : totals) {
        w.text(row, 3, caption, bold);
        w.number(row, nettoCol, value, mass, framed(true));
        ++row;
    }
    errors = w.errors();
    return book;
}

void fillFullComposition(SheetWriter &out, const CardData &card, const CardFormats &formats, const CellRef &start)
{
    XlsxWorkbook &book = out.book();
    if (book.hasName(QStringLiteral("Рец_Имя"))) {
        if (const Result<CellRange> cell = book.range(QStringLiteral("Рец_Имя")); cell && cell->sheet == 0)
            out.text(cell->first, card.name + QStringLiteral(", выход ") + card.outputText + u' ' + card.unit);
        else
            out.fail(cell ? QStringLiteral("Имя 'Рец_Имя' шаблона указывает не на первый лист.") : cell.error());
    }
    const QString format = formats.valueFormat();
    const double share = card.output / 100.0; // per 100 g -> in the dish
    int row = start.row;
    const int col = start.col;
    std::optional<CompositionGroup> group;
    CellLook heading;
    heading.bold = true;
    heading.thinBorder = true;
    for (const CompositionField &f : compositionFields()) {
        if (f.group != group) {
            group = f.group;
            out.text(row, col, compositionGroupCaption(f.group), heading);
            out.look(row, col + 1, heading);
            out.look(row, col + 2, heading);
            ++row;
        }
        const double per100 = card.per100.*f.member;
        out.text(row, col, fieldCaption(f), framed());
        // A ratio (pH, a fraction in %) is the same in the dish as in 100 g.
        if (f.summed)
            out.number(row, col + 1, per100 * share, format, framed());
        else
            out.look(row, col + 1, framed());
        out.number(row, col + 2, per100, format, framed());
        ++row;
    }
    out.text(row, col, QStringLiteral("Энергетическая ценность, ккал"), heading);
    out.number(row, col + 1, card.kcal * share, format, heading);
    out.number(row, col + 2, card.kcal, format, heading);
}

Result<CardOutcome> produceCompositionSheet(colBludo &slot, const QString &name, const QString &outputText,
    const QString &outputPath, const HeatTreatmentTables &losses, const SettingsAccess &settings, Prompter &prompter,
    const std::function<void(const QString &)> &log)
{
    using R = Result<CardOutcome>;
    if (outputPath.isEmpty())
        return R::failure(QStringLiteral("Не указан файл документа."));
    const Result<CardData> card = buildCardData(
        slot, name, outputText, kCompositionLastRow - kCompositionFirstRow + 1, losses, nullptr, settings, prompter);
    if (!card)
        return R::failure(card.error());
    const bool showBrutto = readSetting(settings, Section::Documents, QStringLiteral("ShowBrutto_To_Coc")) == u"1";
    CardOutcome outcome;
    const XlsxWorkbook book = compositionSheet(*card, CardFormats::fromSettings(settings), showBrutto, outcome.errors);
    if (const Status s = book.save(outputPath); !s)
        return R::failure(s.error());
    outcome.path = outputPath;
    say(log, cardExportedText(outcome.errors));
    prompter.status(cardExportedText(outcome.errors));
    return outcome;
}

Result<CardOutcome> produceFullComposition(colBludo &slot, const QString &name, const QString &outputText,
    const QString &templatesFolder, const QString &outputPath, const HeatTreatmentTables &losses,
    const SettingsAccess &settings, Prompter &prompter, const std::function<void(const QString &)> &log)
{
    using R = Result<CardOutcome>;
    if (outputPath.isEmpty())
        return R::failure(QStringLiteral("Не указан файл документа."));
    const QString configured = templateSetting(settings, QStringLiteral("Shablon_Excel_Full_HS"));
    const std::optional<QString> path = findTemplate(templatesFolder, configured);
    if (!path)
        return R::failure(missingFullCompositionTemplateText(configured));
    Result<XlsxWorkbook> opened = openTemplateFor(*path, outputPath);
    if (!opened)
        return R::failure(opened.error());
    XlsxWorkbook book = std::move(opened).value();
    const Result<CellRef> start = namedCellOr(book, kTableStartName.toString(), {4, 1});
    if (!start)
        return R::failure(start.error());
    const Result<CardData> card = buildCardData(slot, name, outputText, INT_MAX, losses, nullptr, settings, prompter);
    if (!card)
        return R::failure(card.error());
    SheetWriter out(book);
    fillFullComposition(out, *card, CardFormats::fromSettings(settings), *start);
    if (const Status s = book.save(outputPath); !s)
        return R::failure(s.error());
    CardOutcome outcome {outputPath, *path, false, out.errors(), out.problems()};
    for (const QString &p : outcome.problems)
        say(log, p);
    say(log, cardExportedText(outcome.errors));
    prompter.status(cardExportedText(outcome.errors));
    return outcome;
}

} // namespace kulvera
