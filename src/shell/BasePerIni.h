#pragma once

#include "common/Result.h"

#include <QString>

namespace kulvera {

class Prompter;
class SettingsAccess;
class SharedSettings;

// "base_per.ini" mirrors a few settings for tools outside the program: the
// databases folder, the card recalculation columns and the menu animation.
inline constexpr QStringView kBasePerIniName = u"base_per.ini";

// Writes the file from the current settings; `dirBook` is the databases
// folder to record when it is not the running program's (a folder chosen for
// the next start). When the file cannot be written the user is told ("Нет
// доступа к инитиализационному файлу системы") and the failure is returned.
Status writeBasePerIni(const QString &path, const SettingsAccess &settings, const SharedSettings &shared,
    Prompter &prompter, const QString &dirBook = {});
// Where the program keeps the file: in the folder of all databases it runs on.
QString basePerIniPath(const SharedSettings &shared);

} // namespace kulvera
