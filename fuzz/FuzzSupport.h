#pragma once

// What every fuzz target shares: one Qt core application for the process (the
// SQL drivers and codecs want it), a private folder for the files a reader
// must open by name, and the input written there.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace kulvera::fuzz {

inline QCoreApplication &application()
{
    static int argc = 1;
    static char name[] = "kulvera-fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

inline const QTemporaryDir &scratch()
{
    static QTemporaryDir dir;
    return dir;
}

inline QByteArray bytes(const std::uint8_t *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// The input as a file of that name in the scratch folder (replaced each run).
inline QString inputFile(const QString &name, const QByteArray &content)
{
    const QString path = QDir(scratch().path()).filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
    return path;
}

} // namespace kulvera::fuzz
