#pragma once

#include "common/Result.h"
#include "documents/ListDocuments.h"
#include "documents/ReportTemplate.h"
#include "documents/SheetWriter.h"
#include "documents/XlsxWorkbook.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace kulvera {

class Prompter;

// The warehouse's printed reports have the shape of documents/ReportTemplate.h.

struct OpenedReport {
    XlsxWorkbook book;
    QString templatePath;
    CellRef start;
};

// The template by its configured name, made by `make` when the folder has
// none (under the same stem, as an OOXML file), opened for `outputPath`.
Result<OpenedReport> openReport(
    const QString &folder, const QString &file, const std::function<XlsxWorkbook()> &make, const QString &outputPath);

// Saves the filled report at `outputPath` and says the report is done.
Result<ListOutcome> finishReport(
    OpenedReport &report, SheetWriter &out, int rows, const QString &outputPath, Prompter &prompter);

} // namespace kulvera
