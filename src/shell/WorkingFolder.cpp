#include "shell/WorkingFolder.h"

#include "shell/DbMaintenance.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace kulvera {

WorkingFolder::WorkingFolder(const QString &tempRoot)
    : path_(sessionTempFolder(tempRoot))
{
    QDir().mkpath(QFileInfo(path_).absolutePath());
    // The lock comes before the folder, so a run that is starting is never
    // taken for a finished one.
    auto lock = std::make_unique<QLockFile>(lockFileOf(path_));
    lock->setStaleLockTime(0); // stale only when its process is gone
    if (lock->tryLock(0))
        lock_ = std::move(lock);
    removeAbandoned();
}

WorkingFolder::~WorkingFolder()
{
    if (!lock_)
        return;
    QDir(path_).removeRecursively();
    lock_->unlock();
}

void WorkingFolder::removeAbandoned()
{
    const QDir parent = QFileInfo(path_).absoluteDir();
    const QString own = QFileInfo(path_).fileName();
    for (const QString &name : parent.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (name == own)
            continue;
        const QString folder = parent.filePath(name);
        QLockFile other(lockFileOf(folder));
        other.setStaleLockTime(0);
        if (!other.tryLock(0))
            continue; // that copy of the program still runs
        if (QDir(folder).removeRecursively())
            removed_ << folder;
        other.unlock();
    }
}

} // namespace kulvera
