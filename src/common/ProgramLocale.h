#pragma once

#include <QLocale>

namespace kulvera {

// The program writes numbers with the decimal comma and dates as a Russian
// user expects, whatever locale the machine was set up with.
QLocale programLocale();
// Makes the program's locale the default of the process (QLocale(), widgets,
// validators). The programs call it first thing in main.
void pinProgramLocale();

} // namespace kulvera
