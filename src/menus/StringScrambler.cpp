#include "menus/StringScrambler.h"

#include "common/CodePage.h"

#include <cmath>

namespace kulvera {
namespace {

// The integer part of the square root, exact for every length a file can hold.
qsizetype integerRoot(qsizetype n)
{
    auto r = static_cast<qsizetype>(std::sqrt(static_cast<double>(n)));
    while (r > 0 && r * r > n)
        --r;
    while ((r + 1) * (r + 1) <= n)
        ++r;
    return r;
}

} // namespace

int scrambleKey(qsizetype length, qsizetype position)
{
    const qsizetype k = integerRoot(length) + position;
    const bool odd = position % 2 != 0;
    if (k < 1)
        return odd ? 14 : 11;
    if (k > 255)
        return odd ? 12 : 107;
    return static_cast<int>(k);
}

QByteArray scrambleBytes(QByteArray bytes)
{
    const qsizetype n = bytes.size();
    const qsizetype root = integerRoot(n);
    char *data = bytes.data();
    for (qsizetype i = 1; i <= n; ++i) {
        const qsizetype k = root + i;
        const int key = k > 255 ? (i % 2 != 0 ? 12 : 107) : static_cast<int>(k); // k >= 1 here: i >= 1
        data[i - 1] = static_cast<char>(static_cast<unsigned char>(data[i - 1]) ^ key);
    }
    return bytes;
}

QByteArray scrambleText(QStringView text)
{
    return scrambleBytes(encodeCodePage(text, CodePage::Cp1251));
}

QString unscrambleText(const QByteArray &scrambled)
{
    return decodeCodePage(scrambleBytes(scrambled), CodePage::Cp1251);
}

} // namespace kulvera
