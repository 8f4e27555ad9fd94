#include "shell/SessionLog.h"

#include "shell/SharedSettings.h"

#include <QDir>
#include <QFile>

namespace kulvera {

SessionLog::SessionLog() = default;
SessionLog::~SessionLog() = default;

void SessionLog::start(bool logMode, const QString &fileName, const QString &programFolder, const QDateTime &now)
{
    enabled_ = logMode;
    started_ = now;
    file_.reset();
    const QString name = fileName.isEmpty() ? QStringLiteral("log.txt") : fileName;
    path_ = QDir::isAbsolutePath(name) ? name : QDir(programFolder).filePath(name);
}

void SessionLog::switchOn()
{
    if (!path_.isEmpty())
        enabled_ = true;
}

QString SessionLog::headerText(const QDateTime &now)
{
    const QStringList version = SharedSettings::kVersion.split(u'.');
    return QStringLiteral("============= log последней сессии =============\n") + QStringLiteral("Дата записи: ")
        + now.toString(QStringLiteral("dd.MM.yyyy")) + u'\n' + QStringLiteral("Время начала записи: ")
        + now.toString(QStringLiteral("hh:mm")) + u'\n' + QStringLiteral("Версия программы: ")
        + QStringList(version.mid(0, 3)).join(u'.') + u'\n' + QStringLiteral("Сборка программы: ")
        + QString::number(kBuildNumber) + u'\n'
        + QStringLiteral("\n================================================\n");
}

void SessionLog::write(const QString &text, bool lineBreakBefore)
{
    if (!enabled_)
        return;
    if (!file_) {
        file_ = std::make_unique<QFile>(path_);
        if (!file_->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            enabled_ = false; // nowhere to write: do not try at every line
            file_.reset();
            return;
        }
        file_->write(headerText(started_).toUtf8());
    }
    QString line;
    if (lineBreakBefore)
        line += u'\n';
    line += text + u'\n';
    file_->write(line.toUtf8());
    file_->flush();
}

} // namespace kulvera
