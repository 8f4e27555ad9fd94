#pragma once

#include "common/Result.h"
#include "documents/ListDocuments.h"
#include "documents/XlsxWorkbook.h"
#include "research/Protocol.h"

#include <QString>
#include <QStringView>

namespace kulvera {

class Prompter;

// The printed protocol: its template in the templates folder, made by the
// program when the folder has none. The template's first sheet carries the
// title; the protocol's number and date go to the cell named "Протокол" (A2),
// the dish to "Изделие" (A3), the note to "Примечание" (A4), the column
// captions stand in row 5 and the grid is written from the cell named "Старт"
// (A6) down: each method's line in bold, its parameters below it, and a method
// that was not computed with the reason across its result columns (the
// dish's value stays beside it).
inline constexpr QStringView kProtocolTemplateFile = u"protokol_fh.xlsx";

XlsxWorkbook protocolTemplate();

// "Протокол 3 от 06.12.2026.xlsx"
QString protocolFileName(const Protocol &protocol);

Result<ListOutcome> printProtocol(const Protocol &protocol, const MethodCalculation &calculation,
    const QString &templatesFolder, const QString &outputPath, Prompter &prompter);

} // namespace kulvera
