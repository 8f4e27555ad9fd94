#pragma once

#include "common/Result.h"
#include "shell/Catalogue.h"

#include <QDate>
#include <QString>

#include <optional>

namespace kulvera {

class Clock;
class Connections;
class Prompter;
class SettingsAccess;
class SharedSettings;

// Whole-file operations on bases: compaction, archive copies before bulk
// changes, the temporary working copy, the size warning and the restoring of
// bases that cannot be opened.

// The folder of this run's working files (kv_temp.db, safety copies) inside a
// temporary folder: one per running copy of the program, so two copies never
// write the same working file.
QString sessionTempFolder(const QString &tempRoot);

// Whether another running copy of the program has the base open. Ask only
// after this program has closed every connection and attachment of the file:
// the engine removes the write-ahead log when the last connection closes, so
// a log still there belongs to someone else.
bool openInAnotherCopy(const QString &basePath);

inline constexpr qint64 kBaseSizeLimit = 1610612736; // 1.5 × 1024³ bytes
inline constexpr int kMaxArchiveCopies = 50;

// Compacts a connected base: a safety copy "tempbase_yyyy_mm_dd.db" and the
// compacted "kv_temp.db" in the temporary folder, then the compacted file
// replaces the base by a rename, so a crash at any moment leaves either the
// old or the new file whole. The base is reopened under the same number.
// `announce`: "База данных сжата." when done (unless sMessCompBase); steps of
// a longer operation pass false and report on their own.
Status compactBase(Connections &connections, int number, const QString &identifyingTable, const QString &tempFolder,
    const QDate &today, const SettingsAccess &settings, bool announce = true);

// The archive copy made before a synchronisation or product replacement
// rewrites a base: "<stem>_yyyy_mm_dd_N.db" with the first free N of 1..50.
// Returns the path written; on refusal the user has been told and nothing was written.
Result<QString> archiveCopy(Connections &connections, int number, const QString &archiveFolder, const QDate &today);
QString archiveFolderOf(const SharedSettings &shared);

// The size warning for one base file, or nothing when it is within the limit.
std::optional<QString> sizeWarning(qint64 fileSize, const QString &label);
// Measures the menu and dish bases and shows the warnings.
void checkBaseSizes(Connections &connections, Prompter &prompter);

// Copies the dish base into the temporary folder as the working base and
// connects it (BaseId::WorkingCopy).
Status prepareWorkingCopy(Connections &connections, const QString &tempFolder, const QDate &today,
    const SettingsAccess &settings, const SharedSettings &shared);

// Failure rules of the bases the program cannot run without.
// The product base could not be opened: offer the standard one. True when the
// setting was reset and the program must end.
bool offerStandardProductBase(Prompter &prompter, SettingsAccess &settings);
// A configured product base with a folder in its name is missing.
void restoreMissingAdditionalProductBase(Prompter &prompter, SettingsAccess &settings, const QString &path);
// The journals base cannot be opened: delete it, create it anew, connect again.
int recreateJournalsBase(Connections &connections, const SettingsAccess &settings, const SharedSettings &shared);

} // namespace kulvera
