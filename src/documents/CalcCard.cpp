#include "documents/CalcCard.h"

#include "common/NumberText.h"
#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "common/TextDate.h"
#include "documents/SheetWriter.h"
#include "documents/TemplateFiles.h"

#include <QLocale>

namespace kulvera {
namespace {

CellLook bold()
{
    CellLook l;
    l.bold = true;
    return l;
}

CellLook framed(const QString &format = {})
{
    CellLook l;
    l.thinBorder = true;
    if (!format.isEmpty())
        l.numberFormat = format;
    return l;
}

// The month as a date is written in Russian: "7 декабря".
QString monthText(const QDate &date)
{
    return QLocale(QLocale::Russian, QLocale::Russia).monthName(date.month(), QLocale::LongFormat);
}

} // namespace

CalcCard computeCalcCard(const CalcCardInput &input, const CalcCardRules &rules)
{
    const int p = rules.moneyDecimals;
    CalcCard card;
    double cost = 0;
    int number = 0;
    for (const CalcCardPosition &pos : input.positions) {
        CalcCardLine line;
        line.number = ++number;
        line.name = pos.name;
        line.norm = pos.gross * 100.0 / rules.normFactor;
        // A position of no gross mass has no price per kilogram (never a division by 0).
        line.price = pos.gross > 0 ? roundTo(pos.cost / pos.gross * 1000.0 * rules.priceFactor, p) : 0.0;
        line.sum = roundTo(pos.cost * 100.0, p);
        cost += pos.cost;
        card.lines.push_back(std::move(line));
    }
    const double m = input.markupPercent;
    card.dishCost = cost;
    card.total = roundTo(cost * 100.0, p);
    card.markup = roundTo(cost * 100.0 * m / 100.0, p);
    card.sellingPrice = roundTo((m + 100.0) * cost / 100.0, p);
    if (rules.vatPercent)
        card.vatPrice = roundTo(card.sellingPrice * (*rules.vatPercent + 100.0) / 100.0, p);
    return card;
}

QString markupPercentText(double percent)
{
    return formatNumber(roundTo(percent, 2));
}

QString markupLineText(const QString &label, double percent)
{
    return label + QStringLiteral(" (") + markupPercentText(percent) + QStringLiteral("%):");
}

XlsxWorkbook calcCardTemplate()
{
    XlsxWorkbook book = XlsxWorkbook::blank(QStringLiteral("Калькуляция"), QStringLiteral("Times New Roman"), 10);
    SheetWriter w(book);
    const CalcCardLayout l = CalcCardLayout::defaults();
    book.setColumnWidth(l.numberCol, 5);
    book.setColumnWidth(l.nameCol, 14);
    for (int c = l.nameCol + 1; c < l.normCol; ++c)
        book.setColumnWidth(c, 7);
    book.setColumnWidth(l.normCol, 13);
    book.setColumnWidth(l.priceCol, 13);
    book.setColumnWidth(l.sumCol, 13);
    book.setColumnWidth(l.source.col, 16);
    w.text(l.organisation.row, 1, QStringLiteral("Организация:"), bold());
    w.text(l.unit.row, 1, QStringLiteral("Предприятие питания:"), bold());
    w.text(l.dishName.row, 1, QStringLiteral("Наименование блюда:"), bold());
    w.text(l.day.row, 1, QStringLiteral("Дата:"), bold());
    w.text(l.source.row - 1, l.source.col, QStringLiteral("Рецептура"), bold());
    const int head = l.firstRow - 1;
    w.text(head, l.numberCol, QStringLiteral("№"), framed());
    w.text(head, l.nameCol, QStringLiteral("Наименование продукта"), framed());
    w.text(head, l.normCol, QStringLiteral("Норма на 100 блюд, г"), framed());
    w.text(head, l.priceCol, QStringLiteral("Цена за 1 кг, руб."), framed());
    w.text(head, l.sumCol, QStringLiteral("Сумма на 100 блюд, руб."), framed());
    return book;
}

void fillCalcCard(SheetWriter &out, const CalcCardInput &input, const CalcCard &card, const CalcCardLayout &l,
    const CalcCardRules &rules, const QString &organisation, const QString &unit)
{
    const QString money = decimalsMask(rules.moneyDecimals);
    const QString mass = decimalsMask(rules.massDecimals);
    out.text(l.title, l.titleText + input.number, bold());
    out.text(l.organisation, organisation);
    out.text(l.unit, unit);
    out.text(l.dishName, input.dishName, bold());
    if (input.date.isValid()) {
        out.text(l.day, input.date.toString(QStringLiteral("dd")));
        out.text(l.month, monthText(input.date));
        out.text(l.year, input.date.toString(QStringLiteral("yyyy")) + QStringLiteral(" г."));
        out.text(l.dateStamp, formatTextDate(input.date));
    }
    out.text(l.cardNumber, input.number);
    out.text(l.calcNumber, input.number);
    out.text(l.source, input.source);
    out.text(1, l.priceCol, l.approvalTitle, bold());

    int row = l.firstRow;
    for (const CalcCardLine &line : card.lines) {
        out.number(row, l.numberCol, line.number, QStringLiteral("0"), framed());
        out.text(row, l.nameCol, line.name, framed());
        out.number(row, l.normCol, line.norm, mass, framed());
        out.number(row, l.priceCol, line.price, money, framed());
        out.number(row, l.sumCol, line.sum, money, framed());
        ++row;
    }
    CellLook value;
    value.numberFormat = money;
    auto total = [&](const QString &label, double amount) {
        out.text(row, l.nameCol, label, bold());
        out.number(row, l.sumCol, amount, money, value);
        ++row;
    };
    total(l.totalLabel, card.total);
    if (input.markupPercent != 0)
        total(markupLineText(l.markupLabel, input.markupPercent), card.markup);
    total(l.saleLabel, card.sellingPrice);
    if (card.vatPrice)
        total(l.vatLabel, *card.vatPrice);
    out.text(row, l.nameCol, l.outputLabel, bold());
    if (const std::optional<double> n = parseNumber(input.output))
        out.number(row, l.sumCol, *n, QString());
    else
        out.text(row, l.sumCol, input.output);
    row += 2;
    CellLook signature;
    signature.bold = true;
    signature.italic = true;
    for (const QString &title : {l.headTitle, l.economistTitle}) {
        out.text(row, l.nameCol, title, signature);
        out.text(row, l.normCol, QStringLiteral("_______________"));
        row += 2;
    }
}

Result<CalcCardOutcome> produceCalcCard(const CalcCardInput &input, const CalcCardRules &rules,
    const QString &templatesFolder, const SettingsAccess &settings, const QString &outputPath, Prompter &prompter)
{
    using R = Result<CalcCardOutcome>;
    prompter.status(QStringLiteral("Экспорт калькуляционной карты..."));
    prompter.status(QStringLiteral("Загрузка шаблона"));
    Result<OpenedTemplate> opened
        = openConfiguredTemplate(templatesFolder, templateSetting(settings, kCalcCardTemplateKey.toString()),
            kCalcCardDefaultTemplate.toString(), calcCardTemplate, kCalcCardMissingTemplate.toString(), outputPath);
    if (!opened)
        return R::failure(opened.error());
    prompter.status(QStringLiteral("Вставка листа..."));
    CalcCardOutcome outcome;
    outcome.card = computeCalcCard(input, rules);
    SheetWriter out(opened.value().book);
    fillCalcCard(out, input, outcome.card, CalcCardLayout::fromSettings(settings), rules,
        settings.get(Section::User, QStringLiteral("Name_Org")),
        settings.get(Section::User, QStringLiteral("Name_Pop")));
    if (const Status saved = opened.value().book.save(outputPath); !saved)
        return R::failure(saved.error());
    prompter.status(QStringLiteral("Просмотр калькуляционной карт. ОК"));
    outcome.path = outputPath;
    outcome.templateUsed = opened->path;
    outcome.errors = out.errors();
    outcome.problems = out.problems();
    return outcome;
}

} // namespace kulvera
