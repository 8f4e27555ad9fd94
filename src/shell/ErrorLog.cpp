#include "shell/ErrorLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kulvera {

void ErrorLog::write(const QString &text)
{
    recent_ << text;
    if (recent_.size() > 200)
        recent_.removeFirst();
    if (path_.isEmpty())
        return;
    QDir().mkpath(QFileInfo(path_).absolutePath());
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return; // nowhere to report a failure of the error log itself
    const QString line
        = QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")) + u' ' + text + u'\n';
    file.write(line.toUtf8());
}

} // namespace kulvera
