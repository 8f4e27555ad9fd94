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

namespace {

// The key of byte i (from 1) of a string whose length has the given root.
int keyAt(qsizetype root, qsizetype i)
{
    const qsizetype k = root + i;
    return k > 255 ? (i % 2 != 0 ? 12 : 107) : static_cast<int>(k); // k >= 1 here: i >= 1
}

} // namespace

QByteArray scrambleBytes(QByteArray bytes)
{
    const qsizetype n = bytes.size();
    const qsizetype root = integerRoot(n);
    char *data = bytes.data();
    for (qsizetype i = 1; i <= n; ++i)
        data[i - 1] = static_cast<char>(static_cast<unsigned char>(data[i - 1]) ^ keyAt(root, i));
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

void unscrambleTextInto(QByteArrayView scrambled, QString &out)
{
    const qsizetype n = scrambled.size();
    const qsizetype root = integerRoot(n);
    out.resize(n);
    QChar *d = out.data();
    for (qsizetype i = 1; i <= n; ++i)
        d[i - 1] = decodeByte(static_cast<unsigned char>(scrambled[i - 1]) ^ keyAt(root, i), CodePage::Cp1251);
}

} // namespace kulvera
