#include "journals/RejectionDocument.h"

#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "common/TextDate.h"
#include "costing/StatementTemplates.h"
#include "documents/SheetWriter.h"
#include "shell/SettingDefaults.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace kulvera {
namespace {

const QString kSheet = QStringLiteral("Журнал");

CellLook framedCell(bool bold = false, bool wrap = true)
{
    CellLook l;
    l.thinBorder = true;
    l.wrap = wrap;
    if (bold)
        l.bold = true;
    return l;
}

QString cellName(int row, int col)
{
    return u'\'' + kSheet + QStringLiteral("'!$") + columnLetters(col) + u'$' + QString::number(row);
}

QString hhmm(const QTime &t)
{
    return t.isValid() ? t.toString(QStringLiteral("hh:mm")) : QString();
}

struct Cells {
    CellRef establishment;
    CellRef date;
    CellRef commission;
    int start = 0;
    int made = 0;
    int checked = 0;
    int dish = 0;
    int result = 0;
    int permission = 0;
    int notes = 0;
    CellRange signatures;
};

Result<Cells> readCells(const XlsxWorkbook &book)
{
    std::map<QString, CellRange> found;
    for (const QString &name : rejectionTemplateNames()) {
        const Result<CellRange> r = book.hasName(name) ? book.range(name) : Result<CellRange>::failure({});
        if (!r || r->sheet != 0)
            return Result<Cells>::failure(rejectionIncompatibleText(name));
        found[name] = *r;
    }
    const auto cell = [&](const char16_t *name) { return found[QString::fromUtf16(name)].first; };
    Cells c;
    c.establishment = cell(u"ПОП_Имя");
    c.date = cell(u"Дата_Сост");
    c.commission = cell(u"Комиссия");
    c.start = cell(u"Старт").row;
    c.made = cell(u"Дата_изг").col;
    c.checked = cell(u"Время_Брак").col;
    c.dish = cell(u"Наимен_прод").col;
    c.result = cell(u"Орг").col;
    c.permission = cell(u"Разреш").col;
    c.notes = cell(u"Прим").col;
    c.signatures = found[QStringLiteral("Подписи")];
    return c;
}

// The signature block follows the table: its texts go below the last row,
// keeping the gap the template has between the start row and the block. They
// are taken out before the table is written, which may cover the block's rows.
using CellTexts = std::vector<std::tuple<int, int, QString>>;

int signatureShift(const Cells &c, int rows)
{
    const int gap = std::max(1, c.signatures.first.row - c.start);
    return std::max(0, c.start + rows - 1 + gap - c.signatures.first.row);
}

CellTexts takeSignatures(XlsxWorkbook &book, const Cells &c)
{
    CellTexts texts;
    const CellRange &s = c.signatures;
    for (int r = s.first.row; r <= s.last.row; ++r) {
        for (int col = s.first.col; col <= s.last.col; ++col) {
            if (const std::optional<QString> t = book.text(r, col)) {
                texts.emplace_back(r, col, *t);
                book.clearCell(r, col);
            }
        }
    }
    return texts;
}

} // namespace

const QStringList &rejectionTemplateNames()
{
    static const QStringList names {QStringLiteral("ПОП_Имя"), QStringLiteral("Дата_Сост"), QStringLiteral("Комиссия"),
        QStringLiteral("Старт"), QStringLiteral("Дата_изг"), QStringLiteral("Время_Брак"),
        QStringLiteral("Наимен_прод"), QStringLiteral("Орг"), QStringLiteral("Разреш"), QStringLiteral("Прим"),
        QStringLiteral("Подписи")};
    return names;
}

QString rejectionIncompatibleText(const QString &name)
{
    return QStringLiteral("Шаблон не совместим с текущей версией программы. Не найдена ячейка '") + name + u'\'';
}

XlsxWorkbook rejectionTemplate()
{
    XlsxWorkbook book = XlsxWorkbook::blank(kSheet, QStringLiteral("Times New Roman"), 10);
    SheetWriter w(book);
    const double widths[] = {16, 12, 34, 26, 20, 20};
    for (int c = 0; c < 6; ++c)
        book.setColumnWidth(c + 1, widths[c]);
    CellLook bold;
    bold.bold = true;
    w.text(1, 1, QStringLiteral("Журнал бракеража готовой кулинарной продукции"), bold);
    w.text(2, 1, QStringLiteral("Организация:"));
    w.text(3, 1, QStringLiteral("Дата:"));
    w.text(4, 1, QStringLiteral("Бракеражная комиссия:"));
    const QStringList captions {QStringLiteral("Дата и час изготовления блюда"),
        QStringLiteral("Время снятия бракеража"), QStringLiteral("Наименование готового блюда"),
        QStringLiteral("Результаты органолептической оценки"), QStringLiteral("Разрешение к реализации"),
        QStringLiteral("Примечание")};
    for (int c = 0; c < captions.size(); ++c)
        w.text(6, c + 1, captions[c], framedCell(true));
    w.text(9, 1, QStringLiteral("Подписи членов бракеражной комиссии:"), bold);
    w.text(10, 1, QStringLiteral("______________________ / ______________________"));
    w.text(11, 1, QStringLiteral("______________________ / ______________________"));
    const std::pair<const char16_t *, QString> names[] = {
        {u"ПОП_Имя", cellName(2, 2)},
        {u"Дата_Сост", cellName(3, 2)},
        {u"Комиссия", cellName(4, 2)},
        {u"Старт", cellName(7, 1)},
        {u"Дата_изг", cellName(7, 1)},
        {u"Время_Брак", cellName(7, 2)},
        {u"Наимен_прод", cellName(7, 3)},
        {u"Орг", cellName(7, 4)},
        {u"Разреш", cellName(7, 5)},
        {u"Прим", cellName(7, 6)},
        {u"Подписи", u'\'' + kSheet + QStringLiteral("'!$A$9:$F$11")},
    };
    for (const auto &[name, ref] : names)
        book.defineName(QString::fromUtf16(name), ref);
    return book;
}

Result<ListOutcome> printRejectionJournal(const std::vector<RejectionEntry> &entries, const QString &documentDate,
    const QString &templatesFolder, const SettingsAccess &settings, const QString &outputPath, Prompter &prompter)
{
    using R = Result<ListOutcome>;
    const QString title = kRejectionPrintTitle.toString();
    const auto refuse = [&](const QString &text) {
        prompter.warning(text, title);
        return R::failure(text);
    };
    if (entries.empty())
        return refuse(kRejectionEmpty.toString());
    prompter.status(QStringLiteral("Формирование бракеражного журнала..."));
    prompter.status(QStringLiteral("Выборка шаблона"));
    const QString configured = readSetting(settings, Section::Documents, kRejectionTemplateKey.toString());
    prompter.status(QStringLiteral("Загрузка шаблона"));
    Result<OpenedTemplate> opened = openStatementTemplate({templatesFolder, configured,
        kRejectionTemplateFile.toString(), rejectionTemplate, kRejectionTemplateMissing.toString(), outputPath});
    if (!opened)
        return refuse(opened.error());
    XlsxWorkbook &book = opened.value().book;
    const Result<Cells> cells = readCells(book);
    if (!cells)
        return refuse(cells.error());
    const Cells &c = *cells;
    prompter.status(QStringLiteral("Вставка листа..."));
    SheetWriter out(book);
    out.text(c.establishment, settings.get(Section::User, QStringLiteral("Name_POP")));
    out.text(c.date, documentDate);
    out.text(c.commission, readSetting(settings, Section::Data, QStringLiteral("sRejComission")));
    const int rows = static_cast<int>(entries.size());
    const int shift = signatureShift(c, rows);
    const CellTexts signatures = shift > 0 ? takeSignatures(book, c) : CellTexts();
    int row = c.start;
    for (const RejectionEntry &e : entries) {
        out.text(row, c.made, formatTextDate(e.dateMade) + u'\n' + hhmm(e.timeMade), framedCell());
        out.text(row, c.checked, hhmm(e.timeChecked), framedCell());
        out.text(row, c.dish, e.dish, framedCell());
        out.text(row, c.result, e.result, framedCell());
        out.text(row, c.permission, e.permission, framedCell());
        out.text(row, c.notes, e.notes, framedCell());
        ++row;
    }
    for (const auto &[r, col, t] : signatures)
        out.text(r + shift, col, t);
    if (const Status saved = book.save(outputPath); !saved)
        return refuse(saved.error());
    prompter.status(kRejectionPrinted.toString());
    return ListOutcome {outputPath, opened->path, rows, out.errors(), out.problems()};
}

} // namespace kulvera
