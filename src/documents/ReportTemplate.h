#pragma once

#include "documents/XlsxWorkbook.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace kulvera {

// Reports and statements printed as one table share one shape: a title in A1,
// free lines in A2 and A3, what the report covers in A4, column captions in
// row 5 and the table from the cell named "Старт" (A6).

// A framed cell, bold for captions and totals.
CellLook framed(bool bold = false);

// A template of that shape, as our program makes it when the folder lacks one.
XlsxWorkbook reportTemplate(
    const QString &sheet, QStringView title, const QStringList &captions, const std::vector<double> &widths);

} // namespace kulvera
