#pragma once

#include "common/Result.h"
#include "documents/XlsxWorkbook.h"

#include <QStringList>

namespace kulvera {

class SettingsAccess;

// The templates the program makes itself, so a fresh installation prints at
// once and the user has something to edit in Excel or LibreOffice.
XlsxWorkbook fixedCardTemplate(int cardType); // TTK (1), TTKk (2), TK (3)
XlsxWorkbook namedCardTemplate(); // the second form: named cells
XlsxWorkbook fullCompositionTemplate(); // full_hs
XlsxWorkbook productStatementTemplate(); // ved_prod
XlsxWorkbook recipeRegisterTemplate(); // d_reestr
// The calculation card's own template is calcCardTemplate() (CalcCard.h).

// Writes every template above that the templates folder lacks (under the
// file names the settings give); returns the files written. Existing files,
// edited or not, are left alone.
Result<QStringList> createMissingTemplates(const QString &folder, const SettingsAccess &settings);

} // namespace kulvera
