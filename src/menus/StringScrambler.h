#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace kulvera {

// The scrambling of the strings of the binary menu files. Byte i (from 1) of
// a string of n bytes is combined by exclusive or with the key
// floor(sqrt(n)) + i; a key below 1 becomes 14 at odd and 11 at even
// positions, a key above 255 becomes 12 at odd and 107 at even positions.
// The key depends only on the length and the position, so the same routine
// scrambles and unscrambles, and the length is kept.
int scrambleKey(qsizetype length, qsizetype position);
QByteArray scrambleBytes(QByteArray bytes);

// A text as its scrambled code page 1251 bytes, and back.
QByteArray scrambleText(QStringView text);
QString unscrambleText(const QByteArray &scrambled);
// The same into a text the caller reuses (its old contents are replaced).
void unscrambleTextInto(QByteArrayView scrambled, QString &out);

} // namespace kulvera
