#pragma once

#include "common/Result.h"
#include "documents/ListDocuments.h"
#include "documents/SheetWriter.h"
#include "documents/XlsxWorkbook.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace kulvera {

class Prompter;

// The warehouse's printed reports share one shape: a title in A1, free lines
// in A2 and A3, what the report covers in A4, column captions in row 5 and
// the table from the cell named "Старт" (A6).

// A framed cell, bold for captions and totals.
CellLook framed(bool bold = false);

// A template of that shape, as our program makes it when the folder lacks one.
XlsxWorkbook reportTemplate(
    const QString &sheet, QStringView title, const QStringList &captions, const std::vector<double> &widths);

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
