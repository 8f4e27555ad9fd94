#include "shell/DataFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace kulvera {

QString dataFolder()
{
    const QString fromEnvironment = qEnvironmentVariable("KULVERA_DATA_DIR");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    if (QCoreApplication::instance()) {
        const QString installed
            = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../share/kulvera/data"));
        if (QFileInfo(installed).isDir())
            return QDir::cleanPath(installed);
    }
    return QStringLiteral(KULVERA_SOURCE_DATA_DIR);
}

QString dataFile(const QString &name)
{
    return QDir(dataFolder()).filePath(name);
}

} // namespace kulvera
