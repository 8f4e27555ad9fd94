#pragma once

#include <QStringList>

namespace kulvera {

// The console's help texts, one list of lines per help command.
QStringList consoleHelp(); // help, ?, помощь, справка
QStringList lockHelp(bool on); // OnBlockMenu.? / OffBlockMenu.?
QStringList settingsHelp(); // reg.?
QStringList recipeServerHelp(); // s.?
QStringList updateServerHelp(); // ftp.?

// Why the server commands do nothing here.
QString recipeServerMissingText();
QString updateServerMissingText();

} // namespace kulvera
