#pragma once

#include "research/Protocol.h"

#include <QString>

namespace kulvera {

// Where the desktop puts a printed protocol: the user's folder of protocols
// (Documents/Kulvera/Протоколы испытаний, made when missing).
QString protocolOutputPath(const Protocol &protocol);
// Opens a printed document with the desktop's spreadsheet program.
void showPrintedDocument(const QString &path);

} // namespace kulvera
