#pragma once

#include "CliCommand.h"

namespace kulvera {

// Converts a workbook to PDF beside it with LibreOffice when it is installed;
// says why not otherwise. True when the PDF was written.
bool convertToPdf(const QString &workbook, CliRun &run);

} // namespace kulvera
