#pragma once

#include "documents/CardDocument.h"

namespace kulvera {

// A file name made from a document's name: characters a file system refuses
// become "_", the name is cut to a length every system takes, and an empty
// name becomes "Документ".
QString documentFileName(const QString &name, const QString &extension = QStringLiteral(".xlsx"));

// The print command of a recipe editor: the card of the recipe in `slot`
// written into `folder` as "<name>.xlsx" (a previous card of the same recipe
// is replaced), with the templates made first when the templates folder lacks
// them. The caller shows the file (the desktop's spreadsheet program).
Result<CardOutcome> printCardIntoFolder(colBludo &slot, const QString &name, const QString &outputText,
    const QString &folder, const QString &templatesFolder, const HeatTreatmentTables &losses,
    const MicrobiologyBase *microbiology, const SettingsAccess &settings, Prompter &prompter,
    const CardOptions &options = {}, const std::function<void(const QString &)> &log = {});

} // namespace kulvera
