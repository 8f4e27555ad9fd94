#pragma once

// Independent makers of the binary menu files for the tests: the bytes are
// put together here by hand, never through the program's writers, so a
// golden file catches a fault of the writer and a hostile file can carry
// anything.
#include "common/CodePage.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QString>
#include <QStringList>

namespace kulvera::test {

inline QByteArray le32(qint32 v)
{
    QByteArray b(4, '\0');
    const auto u = static_cast<quint32>(v);
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
    return b;
}

inline QByteArray cp1251(const QString &text)
{
    return encodeCodePage(text, CodePage::Cp1251);
}

// The scrambling as written: key = floor(sqrt(n)) + i, above 255 12 or 107.
inline QByteArray handScrambled(const QByteArray &plain)
{
    const qsizetype n = plain.size();
    qsizetype root = 0;
    while ((root + 1) * (root + 1) <= n)
        ++root;
    QByteArray out = plain;
    for (qsizetype i = 1; i <= n; ++i) {
        qsizetype k = root + i;
        if (k > 255)
            k = i % 2 == 1 ? 12 : 107;
        out[i - 1] = static_cast<char>(static_cast<unsigned char>(plain[i - 1]) ^ static_cast<unsigned char>(k));
    }
    return out;
}

inline QByteArray str(const QByteArray &bytes)
{
    return le32(static_cast<qint32>(bytes.size())) + bytes;
}
inline QByteArray plainStr(const QString &text)
{
    return str(cp1251(text));
}
inline QByteArray scrambledStr(const QString &text)
{
    return str(handScrambled(cp1251(text)));
}

// A ".sql_menu" with the given header and statements (each scrambled, joined
// by the plain separator).
inline QByteArray sqlMenuBytes(const QString &table, const QString &columns, const QString &definitions,
    const QStringList &statements, qint32 count = -1, const QString &source = QStringLiteral("Menu.db"))
{
    QByteArray joined;
    for (int i = 0; i < statements.size(); ++i) {
        if (i > 0)
            joined += "<!STR!>";
        joined += handScrambled(cp1251(statements[i]));
    }
    return plainStr(QStringLiteral("KVB_SQL_SYSTEM3"))
        + le32(count < 0 ? static_cast<qint32>(statements.size()) : count) + le32(1) + plainStr(QStringLiteral("-1"))
        + plainStr(source) + scrambledStr(table) + scrambledStr(columns) + scrambledStr(definitions) + str(joined);
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace kulvera::test
