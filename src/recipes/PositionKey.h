#pragma once

#include "common/Result.h"

#include <QString>
#include <QStringView>

namespace kulvera {

// Keys of recipe positions and tree nodes: a three-letter prefix and
// four-digit numbers, the last four the item number, the four before them
// the parent number ("pro00030012": product 12 under node 3).
inline constexpr QStringView kKeyProduct = u"pro"; // raw product position
inline constexpr QStringView kKeySemiFinished = u"pfx"; // semi-finished product position
inline constexpr QStringView kKeyDish = u"bld"; // dish: group or recipe node
inline constexpr QStringView kKeyProductNode = u"prd"; // product node of a product tree
inline constexpr QStringView kKeyRation = u"pri"; // nodes of the menu trees and lists
inline constexpr QStringView kKeyRat = u"rat";
inline constexpr QStringView kKeyList = u"lst";

// "0001" for 1; a number of more than four digits (or a negative one) is
// refused with "Длина больше 4".
Result<QString> keyNumber(qint64 number);
QString keyNumberTooLongText(); // "Длина больше 4"

// The last four characters of the key ("" for a key shorter than a prefix
// and four digits).
QString itemNumber(const QString &key);
// The four characters that start eight from the end; "" when the key has no
// room for a parent after its prefix.
QString parentNumber(const QString &key);
// True when the parent number is absent or all zeros.
bool isTopLevel(const QString &key);

bool hasKeyPrefix(const QString &key, QStringView prefix);
inline bool isProductKey(const QString &key)
{
    return hasKeyPrefix(key, kKeyProduct);
}
inline bool isSemiFinishedKey(const QString &key)
{
    return hasKeyPrefix(key, kKeySemiFinished);
}
inline bool isDishKey(const QString &key)
{
    return hasKeyPrefix(key, kKeyDish);
}
inline bool isProductNodeKey(const QString &key)
{
    return hasKeyPrefix(key, kKeyProductNode);
}
inline bool isRationKey(const QString &key)
{
    return hasKeyPrefix(key, kKeyRation);
}
inline bool isRatKey(const QString &key)
{
    return hasKeyPrefix(key, kKeyRat);
}
inline bool isListKey(const QString &key)
{
    return hasKeyPrefix(key, kKeyList);
}

// prefix + parent + item, each number four digits ("pfx" 0 3 -> "pfx00000003").
Result<QString> makeKey(QStringView prefix, qint64 parent, qint64 item);

} // namespace kulvera
