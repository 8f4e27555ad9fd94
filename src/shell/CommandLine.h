#pragma once

#include <QString>
#include <QStringList>

namespace kulvera {

// The program's command line, read once at start from the arguments as the
// platform gives them. A switch is recognised only at the start of an
// argument, so a path that merely contains "/log" or "/rp" is never taken
// for one, and a path after "/LOG:" or "DIR:" stays whole.
struct CommandLine {
    bool debug = false; // the only argument is /DEBUG
    bool log = false; // /LOG, /LOG:file, /LOG=file
    QString logFile; // as given; a name without a folder lies in the program folder

    bool showSwitchHelp = false; // /?
    bool updatesNow = false;
    bool console = false;
    bool renumberMenuCards = false; // /UpdNumInMenu
    bool syncMenuBase = false; // /SYNCGLOBMENU or /SYNCGLOBMENUCOMP
    bool compactAfterMenuSync = false;
    bool syncDishBase = false; // /SYNCGLOB or /SYNCGLOBCOMP
    bool compactAfterDishSync = false;
    bool updateHeatLosses = false; // /UPDATESTEPLOV

    bool includeProductsGiven = false; // IncPrInSync
    QString includeProductsInSync;

    bool replaceProducts = false; // RPx,y
    qint32 replaceFrom = 0;
    qint32 replaceTo = 0;
    bool replaceUsageError = false; // a malformed RP argument: show the usage and end

    QString menuFile; // an argument ending in ".sql_menu"
    QString dirOverride; // DIR: folder, resolved against the program folder

    // `arguments` come after the program name; relative DIR: folders are
    // taken inside `programFolder`.
    static CommandLine parse(const QStringList &arguments, const QString &programFolder);
    static QString switchHelpText();
    static QString replacementUsageText();
};

} // namespace kulvera
