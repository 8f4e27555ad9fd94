#include "common/CodePage.h"

#include <array>

namespace kulvera {
namespace {

#include "common/CodePageTables.inc"

const char16_t *highTable(CodePage page)
{
    return page == CodePage::Cp1251 ? kCp1251High : kCp866High;
}

// Reverse lookup for the upper half: sorted pairs would be smaller, but a
// 64K map per page is built once and makes encoding a single index.
struct ReverseTable {
    std::array<unsigned char, 0x10000> byteOf {};
    explicit ReverseTable(const char16_t *high)
    {
        for (int i = 0; i < 128; ++i)
            byteOf[high[i]] = static_cast<unsigned char>(0x80 + i);
    }
};

const ReverseTable &reverseTable(CodePage page)
{
    static const ReverseTable cp1251(kCp1251High);
    static const ReverseTable cp866(kCp866High);
    return page == CodePage::Cp1251 ? cp1251 : cp866;
}

} // namespace

QChar decodeByte(unsigned char byte, CodePage page)
{
    if (byte < 0x80)
        return QChar(static_cast<char16_t>(byte));
    return QChar(highTable(page)[byte - 0x80]);
}

bool encodeChar(QChar ch, CodePage page, unsigned char *byte)
{
    const char16_t code = ch.unicode();
    if (code < 0x80) {
        *byte = static_cast<unsigned char>(code);
        return true;
    }
    const unsigned char mapped = reverseTable(page).byteOf[code];
    if (mapped == 0)
        return false;
    *byte = mapped;
    return true;
}

QString decodeCodePage(const QByteArray &bytes, CodePage page)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : bytes)
        *out++ = decodeByte(static_cast<unsigned char>(c), page);
    return text;
}

QByteArray encodeCodePage(QStringView text, CodePage page)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    for (const QChar ch : text) {
        unsigned char b = '?';
        encodeChar(ch, page, &b);
        *out++ = static_cast<char>(b);
    }
    return bytes;
}

} // namespace kulvera
