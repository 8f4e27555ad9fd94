#include "shell/DataFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

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

std::optional<SeedTable> readSeedTable(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    SeedTable table;
    QTextStream in(&file);
    bool header = true;
    int line = 0;
    while (!in.atEnd()) {
        const QString text = in.readLine();
        ++line;
        if (text.trimmed().isEmpty() || text.startsWith(u'#'))
            continue;
        if (header) {
            table.header = text.split(u';');
            header = false;
            continue;
        }
        table.rows.push_back({line, text.split(u';')});
    }
    return table;
}

} // namespace kulvera
