#pragma once

#include <QByteArray>
#include <QString>

namespace kulvera {

// The two 8-bit Cyrillic code pages our files and peers use. Qt has no codec
// for them without ICU, so the tables are ours and exact.
enum class CodePage { Cp1251, Cp866 };

QString decodeCodePage(const QByteArray &bytes, CodePage page);
// Characters the page cannot hold become '?'.
QByteArray encodeCodePage(QStringView text, CodePage page);
QChar decodeByte(unsigned char byte, CodePage page);
// Returns false when the character has no byte in the page.
bool encodeChar(QChar ch, CodePage page, unsigned char *byte);

} // namespace kulvera
