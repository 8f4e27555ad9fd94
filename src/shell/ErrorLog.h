#pragma once

#include <QString>
#include <QStringList>

namespace kulvera {

// Database failures are written here instead of being shown. The file is
// opened on the first entry and appended to; the last entries are also kept
// in memory for `db check` and for tests.
class ErrorLog
{
public:
    explicit ErrorLog(QString path = {})
        : path_(std::move(path))
    {
    }
    void write(const QString &text);
    QString path() const { return path_; }
    void setPath(const QString &path) { path_ = path; }
    const QStringList &recent() const { return recent_; }
    void clearRecent() { recent_.clear(); }

private:
    QString path_;
    QStringList recent_;
};

} // namespace kulvera
