#pragma once

#include <QString>
#include <QStringList>

namespace kulvera {

// The program's command line, read once at start. The whole line is looked
// at twice: first for the diagnostic switches (/DEBUG, /LOG), then split at
// " /" into switches, prefixes (IncPrInSync, RP, DIR:) and a menu file.
struct CommandLine {
    bool debug = false; // the whole line is /DEBUG
    bool log = false; // /LOG anywhere
    QString logFile; // /LOG:name or /LOG name

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
    bool replaceUsageError = false; // a malformed RP piece: show the usage and end

    QString menuFile; // a piece ending in ".sql_menu"
    QString dirOverride; // DIR: folder, resolved against the program folder

    // `line` is the command line after the program name; relative DIR:
    // folders are taken inside `programFolder`.
    static CommandLine parse(const QString &line, const QString &programFolder);
    // Arguments as the platform gives them, joined back into one line.
    static QString join(const QStringList &arguments);
    static QString switchHelpText();
    static QString replacementUsageText();
};

} // namespace kulvera
