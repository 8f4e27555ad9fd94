#pragma once

#include "common/Result.h"

#include <QString>
#include <QStringList>

namespace kulvera {

class Connections;
class SettingsAccess;
class SharedSettings;

// A base file that cannot be opened is never deleted: it is renamed beside
// itself to "<file>.damaged" (".damaged.2", ... when that name is taken),
// together with its write-ahead journal, so whatever it holds can still be
// recovered. Returns the new name, or an empty string when the rename failed.
QString keepDamagedFile(const QString &path);

// What restoring the dish base did.
struct DishBaseRestore {
    QString failedPath; // the base that could not be opened
    bool missing = false; // ... because its file was not there
    QStringList keptAs; // where unreadable files were kept
    QString path; // the standard base, now connected
    bool created = false; // written anew: it still needs its seed data
};

// The dish base could not be opened at start. Its file is kept as
// ".damaged", NameBlBase goes back to its default, and the standard base is
// connected, written anew when it is missing or cannot be opened either.
Result<DishBaseRestore> restoreDishBase(Connections &connections, SettingsAccess &settings, SharedSettings &shared);
// The message telling the user what was restored and where the old file is.
QString dishBaseRestoredText(const DishBaseRestore &restore);

} // namespace kulvera
