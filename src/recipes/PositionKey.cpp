#include "recipes/PositionKey.h"

namespace kulvera {
namespace {

constexpr int kPrefixLength = 3;
constexpr int kNumberLength = 4;

} // namespace

QString keyNumberTooLongText()
{
    return QStringLiteral("Длина больше 4");
}

Result<QString> keyNumber(qint64 number)
{
    if (number < 0 || number > 9999)
        return Result<QString>::failure(keyNumberTooLongText());
    return QString(QStringLiteral("%1").arg(number, kNumberLength, 10, QLatin1Char('0')));
}

QString itemNumber(const QString &key)
{
    if (key.size() < kPrefixLength + kNumberLength)
        return {};
    return key.right(kNumberLength);
}

QString parentNumber(const QString &key)
{
    if (key.size() < kPrefixLength + 2 * kNumberLength)
        return {};
    return key.mid(key.size() - 2 * kNumberLength, kNumberLength);
}

bool isTopLevel(const QString &key)
{
    const QString parent = parentNumber(key);
    return parent.isEmpty() || parent.toInt() == 0;
}

bool hasKeyPrefix(const QString &key, QStringView prefix)
{
    return QStringView(key).left(kPrefixLength).compare(prefix) == 0;
}

Result<QString> makeKey(QStringView prefix, qint64 parent, qint64 item)
{
    const Result<QString> p = keyNumber(parent);
    if (!p)
        return p;
    const Result<QString> i = keyNumber(item);
    if (!i)
        return i;
    return QString(prefix.toString() + p.value() + i.value());
}

} // namespace kulvera
