#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QLockFile;

namespace kulvera {

// This run's folder of working files (the working copy of the dish base, the
// safety copies of compaction) inside the temporary folder, held for the
// whole run. A lock file beside the folder marks it as in use: on creation
// the folders of copies of the program that no longer run are removed, and
// the run's own folder is removed when the object goes.
class WorkingFolder
{
public:
    explicit WorkingFolder(const QString &tempRoot);
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder &) = delete;
    WorkingFolder &operator=(const WorkingFolder &) = delete;

    QString path() const { return path_; }
    // The folders of finished runs that were removed on creation.
    const QStringList &removedAtStart() const { return removed_; }

    static QString lockFileOf(const QString &folder) { return folder + QStringLiteral(".lock"); }

private:
    void removeAbandoned();

    QString path_;
    std::unique_ptr<QLockFile> lock_; // null when another object of this process holds the folder
    QStringList removed_;
};

} // namespace kulvera
