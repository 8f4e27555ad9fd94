#pragma once

#include <QDateTime>
#include <QString>

#include <memory>

class QFile;

namespace kulvera {

// The log of one session, written only in log mode: overwritten at every
// start, opened on the first entry, starting with a header (date, time,
// version, build). A name without a folder lies in the program folder.
class SessionLog
{
public:
    SessionLog();
    ~SessionLog();

    void start(bool logMode, const QString &fileName, const QString &programFolder, const QDateTime &now);
    bool enabled() const { return enabled_; }
    QString path() const { return path_; }
    void write(const QString &text, bool lineBreakBefore = false);
    // Log mode switched on later in the session (the console's `log`): the
    // file named at start is opened on the next entry. Without a start there
    // is no file name and nothing changes.
    void switchOn();

    static QString headerText(const QDateTime &now);

private:
    bool enabled_ = false;
    QString path_;
    QDateTime started_;
    std::unique_ptr<QFile> file_;
};

} // namespace kulvera
