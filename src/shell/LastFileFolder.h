#pragma once

#include <QString>

namespace kulvera {

class SettingsAccess;

// The folder the dialogs of exchange files (products, recipes, menus) open in:
// the folder of the last such file saved or chosen (Data/LastSaveND).
QString lastFileFolder(const SettingsAccess &settings);
// Remembers the folder of `filePath` for the next dialog.
void rememberFileFolder(SettingsAccess &settings, const QString &filePath);

} // namespace kulvera
