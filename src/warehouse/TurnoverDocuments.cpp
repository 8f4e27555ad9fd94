#include "warehouse/TurnoverDocuments.h"

#include "common/NumberText.h"
#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "common/StrSeparator.h"
#include "common/TextDate.h"
#include "documents/SheetWriter.h"
#include "documents/TemplateFiles.h"
#include "warehouse/WarehouseReport.h"

#include <QDir>
#include <QFileInfo>

#include <functional>

namespace kulvera {
namespace {

constexpr int kHeadingRow = 4;
const QString kQuantityFormat = QStringLiteral("0.000");

QString coverage(const TurnoverHeading &h)
{
    return QStringLiteral("Склад: ") + h.warehouse + QStringLiteral("; период: ") + formatTextDate(h.from)
        + QStringLiteral(" - ") + formatTextDate(h.to)
        + (h.movements ? QString() : QStringLiteral("; без внутренних перемещений"));
}

} // namespace

XlsxWorkbook turnoverTemplate()
{
    return reportTemplate(QStringLiteral("Отчет"), kTurnoverTitle,
        {QStringLiteral("Номер п/п"), QStringLiteral("Код продукта"), QStringLiteral("Сырье"),
            QStringLiteral("Ед. изм."), QStringLiteral("Остаток на начало"), QStringLiteral("Приход"),
            QStringLiteral("Расход"), QStringLiteral("Остаток на конец"), QStringLiteral("На складе")},
        {7, 9, 36, 8, 12, 12, 12, 12, 12});
}

XlsxWorkbook productBookTemplate()
{
    return reportTemplate(QStringLiteral("Книга"), kProductBookTitle,
        {QStringLiteral("Сырье"), QStringLiteral("Дата"), QStringLiteral("Документ"), QStringLiteral("Остаток"),
            QStringLiteral("Приход"), QStringLiteral("Расход")},
        {36, 11, 12, 12, 12, 12});
}

Result<ListOutcome> printTurnover(const std::vector<TurnoverRow> &rows, const TurnoverHeading &heading,
    const QString &templatesFolder, const SettingsAccess &settings, const QString &outputPath, Prompter &prompter)
{
    Result<OpenedReport> opened
        = openReport(templatesFolder, kTurnoverTemplateFile.toString(), turnoverTemplate, outputPath);
    if (!opened)
        return Result<ListOutcome>::failure(opened.error());
    OpenedReport &r = opened.value();
    SheetWriter out(r.book);
    out.text(2, 1, settings.get(Section::Documents, QStringLiteral("FirstLineOtchProd")));
    out.text(3, 1, settings.get(Section::Documents, QStringLiteral("SecondLineOtchProd")));
    out.text(kHeadingRow, 1, coverage(heading));
    // The balance columns name their days, as the form does.
    const int c = r.start.col;
    if (r.start.row > 1) {
        out.text(r.start.row - 1, c + 4, QStringLiteral("Остаток на ") + formatTextDate(heading.from), framed(true));
        out.text(r.start.row - 1, c + 7, QStringLiteral("Остаток на ") + formatTextDate(heading.to), framed(true));
    }
    int row = r.start.row;
    for (const TurnoverRow &t : rows) {
        out.number(row, c, t.number, QStringLiteral("0"), framed());
        out.number(row, c + 1, static_cast<double>(t.product), QStringLiteral("0"), framed());
        out.text(row, c + 2, t.name, framed());
        out.text(row, c + 3, t.unit, framed());
        const double values[] = {t.start, t.incoming, t.outgoing, t.finish, t.current};
        for (int i = 0; i < 5; ++i)
            out.number(row, c + 4 + i, roundTo(values[i], 3), kQuantityFormat, framed());
        ++row;
    }
    return finishReport(r, out, static_cast<int>(rows.size()), outputPath, prompter);
}

QString productBookPeriod(const SettingsAccess &settings, const QDate &from, const QDate &to)
{
    const QStringList words = splitStr(settings.get(Section::Documents, QStringLiteral("SecondLineProdsBookFrom")));
    const QString before = words.size() > 0 && !words[0].isEmpty() ? words[0] : QStringLiteral(" с ");
    const QString between = words.size() > 1 && !words[1].isEmpty() ? words[1] : QStringLiteral(" по ");
    return before + formatTextDate(from) + between + formatTextDate(to);
}

Result<ListOutcome> printProductBook(const std::vector<ProductBookSection> &sections, const TurnoverHeading &heading,
    const QString &templatesFolder, const SettingsAccess &settings, const QString &outputPath, Prompter &prompter)
{
    Result<OpenedReport> opened
        = openReport(templatesFolder, kProductBookTemplateFile.toString(), productBookTemplate, outputPath);
    if (!opened)
        return Result<ListOutcome>::failure(opened.error());
    OpenedReport &r = opened.value();
    SheetWriter out(r.book);
    CellLook bold;
    bold.bold = true;
    out.text(1, 1, settings.get(Section::Documents, QStringLiteral("FirstLineProdsBook"), kProductBookTitle.toString()),
        bold);
    out.text(2, 1,
        settings.get(Section::Documents, QStringLiteral("SecondLineProdsBook"))
            + productBookPeriod(settings, heading.from, heading.to));
    out.text(kHeadingRow, 1, coverage(heading));
    const int c = r.start.col;
    int row = r.start.row;
    int lines = 0;
    const auto entry = [&](const BookEntry &e, int column) {
        out.text(row, c, QString(), framed());
        out.text(row, c + 1, e.date.isValid() ? formatTextDate(e.date) : QString(), framed());
        out.text(row, c + 2, e.number, framed());
        out.look(row, c + 3, framed());
        for (int k = 4; k <= 5; ++k) {
            if (k == column)
                out.number(row, c + k, roundTo(e.quantity, 3), kQuantityFormat, framed());
            else
                out.look(row, c + k, framed());
        }
        ++row;
        ++lines;
    };
    for (const ProductBookSection &s : sections) {
        out.text(row, c, s.name, framed(true));
        out.text(row, c + 1, formatTextDate(heading.from.addDays(-1)), framed());
        out.text(row, c + 2, QStringLiteral("Остаток"), framed());
        out.number(row, c + 3, roundTo(s.opening, 3), kQuantityFormat, framed());
        ++row;
        for (const BookEntry &e : s.receipts)
            entry(e, 4);
        for (const BookEntry &e : s.outgoing)
            entry(e, 5);
        out.text(row, c, QString(), framed());
        out.text(row, c + 1, formatTextDate(heading.to), framed());
        out.text(row, c + 2, QStringLiteral("Остаток"), framed());
        out.number(row, c + 3, roundTo(s.closing, 3), kQuantityFormat, framed(true));
        row += 2;
    }
    return finishReport(r, out, lines, outputPath, prompter);
}

} // namespace kulvera
