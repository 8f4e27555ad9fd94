#include "documents/CellAddress.h"

namespace kulvera {

std::optional<int> columnNumber(QStringView letters)
{
    if (letters.isEmpty() || letters.size() > 3)
        return std::nullopt;
    int col = 0;
    for (QChar ch : letters) {
        const char16_t c = ch.toUpper().unicode();
        if (c < u'A' || c > u'Z')
            return std::nullopt;
        col = col * 26 + (c - u'A' + 1);
    }
    if (col > kMaxSheetColumn)
        return std::nullopt;
    return col;
}

std::optional<CellRef> parseCellAddress(QStringView text)
{
    qsizetype i = 0;
    if (i < text.size() && text[i] == u'$')
        ++i;
    const qsizetype lettersStart = i;
    while (i < text.size() && text[i].isLetter())
        ++i;
    const std::optional<int> col = columnNumber(text.mid(lettersStart, i - lettersStart));
    if (!col)
        return std::nullopt;
    if (i < text.size() && text[i] == u'$')
        ++i;
    const QStringView digits = text.mid(i);
    if (digits.isEmpty() || digits.size() > 7)
        return std::nullopt;
    int row = 0;
    for (QChar ch : digits) {
        if (ch < u'0' || ch > u'9')
            return std::nullopt;
        row = row * 10 + (ch.unicode() - u'0');
    }
    if (row < 1 || row > kMaxSheetRow)
        return std::nullopt;
    return CellRef {row, *col};
}

QString columnLetters(int col)
{
    QString letters;
    while (col > 0) {
        const int rest = (col - 1) % 26;
        letters.prepend(QChar(u'A' + rest));
        col = (col - 1) / 26;
    }
    return letters;
}

QString cellAddress(int row, int col)
{
    return columnLetters(col) + QString::number(row);
}

QString absoluteAddress(int row, int col)
{
    return u'$' + columnLetters(col) + u'$' + QString::number(row);
}

} // namespace kulvera
