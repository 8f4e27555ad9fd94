#pragma once

#include "common/Result.h"

#include <QDate>
#include <QString>

namespace kulvera {

class MenuBase;
class SharedSettings;

// The folder archive copies of the menu base go to: the additional menu bases
// folder (dop_menu) of the databases folder.
QString menuArchiveFolder(const SharedSettings &shared);
// "arc_yyyymmdd.db"
QString menuArchiveFileName(const QDate &today);

// Archives the menu base: after the questions, a copy of the base as
// arc_yyyymmdd.db in the archive folder, every ration row cleared, both bases
// compacted. All or nothing: a failure leaves the base and any earlier archive
// file as they were. Returns the archive file's path.
Result<QString> archiveMenuBase(
    const MenuBase &base, const SharedSettings &shared, const QString &tempFolder, const QDate &today);

// Moves every ration row into another menu base (created first when
// `create` is set), after checking that both row tables have the same
// columns; then clears the source and compacts both. All or nothing.
Status moveRationsTo(
    const MenuBase &base, const QString &targetPath, bool create, const QString &tempFolder, const QDate &today);

} // namespace kulvera
