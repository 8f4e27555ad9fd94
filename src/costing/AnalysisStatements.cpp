#include "costing/AnalysisStatements.h"

#include "common/NumberText.h"
#include "common/Prompter.h"
#include "common/SettingsAccess.h"
#include "common/TextDate.h"
#include "documents/ReportTemplate.h"
#include "documents/SheetWriter.h"
#include "documents/TemplateFiles.h"

#include <functional>

namespace kulvera {
namespace {

constexpr int kHeadingRow = 4;
const QString kSheet = QStringLiteral("Ведомость");

QString numberFormat(int decimals)
{
    return decimals > 0 ? QStringLiteral("0.") + QString(decimals, u'0') : QStringLiteral("0");
}

struct OpenedStatement {
    XlsxWorkbook book;
    QString templatePath;
    CellRef start;
};

// The template by its file name, made from our default when the folder has none.
Result<OpenedStatement> openStatement(
    const QString &folder, const QString &file, const std::function<XlsxWorkbook()> &make, const QString &outputPath)
{
    using R = Result<OpenedStatement>;
    Result<OpenedTemplate> opened = openOrMakeTemplate(folder, file, file, make, outputPath);
    if (!opened)
        return R::failure(opened.error());
    const Result<CellRef> start = namedCellOr(opened->book, kTableStartName.toString(), {6, 1});
    if (!start)
        return R::failure(start.error());
    return OpenedStatement {std::move(opened.value().book), opened->path, *start};
}

void writeHeading(SheetWriter &out, const AnalysisHeading &h, const SettingsAccess &settings)
{
    out.text(2, 1, settings.get(Section::Documents, QStringLiteral("FirstLineMenuAnalysHS")));
    out.text(3, 1, settings.get(Section::Documents, QStringLiteral("SecondLineMenuAnalysHS")));
    out.text(kHeadingRow, 1,
        QStringLiteral("Норма: ") + h.norm + QStringLiteral("; группа: ") + h.group + QStringLiteral("; период: ")
            + formatTextDate(h.from) + QStringLiteral(" - ") + formatTextDate(h.to) + QStringLiteral(" (")
            + QString::number(h.days) + QStringLiteral(" дн.)"));
}

Result<ListOutcome> finish(
    OpenedStatement &s, SheetWriter &out, int rows, const QString &outputPath, QStringView title, Prompter &prompter)
{
    if (const Status saved = s.book.save(outputPath); !saved)
        return Result<ListOutcome>::failure(saved.error());
    prompter.status(title + QStringLiteral(" экспортирована. Ошибок при экспорте - ") + QString::number(out.errors()));
    return ListOutcome {outputPath, s.templatePath, rows, out.errors(), out.problems()};
}

} // namespace

XlsxWorkbook nutrientStatementTemplate()
{
    return reportTemplate(kSheet, kNutrientStatementTitle,
        {QStringLiteral("Наименование"), QStringLiteral("Норма"), QStringLiteral("Факт. за период"),
            QStringLiteral("Среднее в день"), QStringLiteral("Выполнение,% от дн.нормы")},
        {34, 12, 14, 14, 16});
}

XlsxWorkbook productSetStatementTemplate()
{
    return reportTemplate(kSheet, kProductSetStatementTitle,
        {QStringLiteral("Код строки"), QStringLiteral("Наименование продукта"), QStringLiteral("Норма"),
            QStringLiteral("Брутто/Нетто"), QStringLiteral("Коды продуктов"), QStringLiteral("Факт. за период"),
            QStringLiteral("Среднее в день"), QStringLiteral("Выполнение,отклонение в г"),
            QStringLiteral("Выполнение нормы, %")},
        {8, 30, 10, 10, 24, 12, 12, 14, 14});
}

Result<ListOutcome> printNutrientStatement(const std::vector<NutrientRow> &rows, const AnalysisHeading &heading,
    int decimals, const QString &templatesFolder, const SettingsAccess &settings, const QString &outputPath,
    Prompter &prompter)
{
    QString file = settings.get(Section::Documents, QStringLiteral("sAnalysHSTemplate")).trimmed();
    if (file.isEmpty())
        file = kNutrientTemplateFile.toString();
    Result<OpenedStatement> opened = openStatement(templatesFolder, file, nutrientStatementTemplate, outputPath);
    if (!opened)
        return Result<ListOutcome>::failure(opened.error());
    OpenedStatement &s = opened.value();
    SheetWriter out(s.book);
    writeHeading(out, heading, settings);
    const QString format = numberFormat(decimals);
    int row = s.start.row;
    const int col = s.start.col;
    for (const NutrientRow &r : rows) {
        const CellLook look = framed(r.highlighted);
        out.text(row, col, r.name, look);
        if (r.norm)
            out.number(row, col + 1, roundTo(*r.norm, decimals), format, look);
        else
            out.look(row, col + 1, look);
        out.number(row, col + 2, roundTo(r.fact, decimals), format, look);
        out.number(row, col + 3, roundTo(r.average, decimals), format, look);
        if (r.percent)
            out.number(row, col + 4, roundTo(*r.percent, decimals), format, look);
        else
            out.look(row, col + 4, look);
        ++row;
    }
    return finish(s, out, static_cast<int>(rows.size()), outputPath, u"Ведомость пищевых веществ", prompter);
}

Result<ListOutcome> printProductSetStatement(const std::vector<ProductSetRow> &rows, const QString &missing,
    const AnalysisHeading &heading, int decimals, const QString &templatesFolder, const SettingsAccess &settings,
    const QString &outputPath, Prompter &prompter)
{
    Result<OpenedStatement> opened
        = openStatement(templatesFolder, kProductSetTemplateFile.toString(), productSetStatementTemplate, outputPath);
    if (!opened)
        return Result<ListOutcome>::failure(opened.error());
    OpenedStatement &s = opened.value();
    SheetWriter out(s.book);
    writeHeading(out, heading, settings);
    const QString format = numberFormat(decimals);
    int row = s.start.row;
    const int col = s.start.col;
    const auto optional = [&](int c, const std::optional<double> &v) {
        if (v)
            out.number(row, c, roundTo(*v, decimals), format, framed());
        else
            out.look(row, c, framed());
    };
    for (const ProductSetRow &r : rows) {
        out.number(row, col, static_cast<double>(r.code), QStringLiteral("0"), framed());
        out.text(row, col + 1, r.groupName, framed());
        optional(col + 2, r.norm);
        out.text(row, col + 3, r.net ? QStringLiteral("Нетто") : QStringLiteral("Брутто"), framed());
        out.text(row, col + 4, r.codeProds, framed());
        out.number(row, col + 5, roundTo(r.fact, decimals), format, framed());
        out.number(row, col + 6, roundTo(r.average, decimals), format, framed());
        optional(col + 7, r.deviation);
        optional(col + 8, r.percent);
        ++row;
    }
    if (!missing.isEmpty())
        out.text(row + 1, col, missing);
    return finish(s, out, static_cast<int>(rows.size()), outputPath, u"Ведомость продуктового набора", prompter);
}

} // namespace kulvera
