#include "warehouse/WarehouseReport.h"

#include "common/Prompter.h"
#include "documents/TemplateFiles.h"
#include "warehouse/StockTurnover.h"

#include <QFileInfo>

namespace kulvera {

// The template by its configured name, made from our default when the folder
// has none (under the same stem, as an OOXML file).
Result<OpenedReport> openReport(
    const QString &folder, const QString &file, const std::function<XlsxWorkbook()> &make, const QString &outputPath)
{
    using R = Result<OpenedReport>;
    // A configured ".xlt" name is found under the same stem as an OOXML file.
    Result<OpenedTemplate> opened = openOrMakeTemplate(
        folder, file, QFileInfo(file).completeBaseName() + QStringLiteral(".xlsx"), make, outputPath);
    if (!opened)
        return R::failure(opened.error());
    const Result<CellRef> start = namedCellOr(opened->book, kTableStartName.toString(), {6, 1});
    if (!start)
        return R::failure(start.error());
    return OpenedReport {std::move(opened.value().book), opened->path, *start};
}

Result<ListOutcome> finishReport(
    OpenedReport &r, SheetWriter &out, int rows, const QString &outputPath, Prompter &prompter)
{
    if (const Status saved = r.book.save(outputPath); !saved)
        return Result<ListOutcome>::failure(saved.error());
    prompter.status(kReportDone.toString());
    return ListOutcome {outputPath, r.templatePath, rows, out.errors(), out.problems()};
}

} // namespace kulvera
