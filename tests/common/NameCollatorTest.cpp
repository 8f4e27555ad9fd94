#include "common/NameCollator.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>

using namespace kulvera;

TEST(NameCollator, SortsNamesAsARussianReaderExpectsWhateverTheMachinesLocale)
{
    QStringList names = {QStringLiteral("яблоки"), QStringLiteral("Мука 10"), QStringLiteral("ёрш"),
        QStringLiteral("Ежевика"), QStringLiteral("мука 2"), QStringLiteral("Apple"), QStringLiteral("Жир")};
    const QCollator collator = nameCollator();
    std::sort(
        names.begin(), names.end(), [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    // Cyrillic letters come before Latin ones in Russian order.
    const QStringList expected = {QStringLiteral("Ежевика"), QStringLiteral("ёрш"), QStringLiteral("Жир"),
        QStringLiteral("мука 2"), QStringLiteral("Мука 10"), QStringLiteral("яблоки"), QStringLiteral("Apple")};
    EXPECT_EQ(names, expected);
}
