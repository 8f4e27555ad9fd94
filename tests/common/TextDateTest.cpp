#include "common/TextDate.h"
#include "common/StrSeparator.h"

#include <gtest/gtest.h>

using namespace kulvera;

TEST(TextDate, ReadsAndWritesDayMonthYear)
{
    EXPECT_EQ(formatTextDate(QDate(2026, 3, 7)), u"07.03.2026");
    EXPECT_EQ(parseTextDate(u"07.03.2026"), QDate(2026, 3, 7));
    EXPECT_EQ(parseTextDate(u"7.3.2026"), QDate(2026, 3, 7));
    EXPECT_FALSE(parseTextDate(u"31.02.2026").has_value());
    EXPECT_FALSE(parseTextDate(u"2026-03-07").has_value());
    EXPECT_FALSE(parseTextDate(u"07.03.26").has_value());
    EXPECT_FALSE(parseTextDate(u"").has_value());
    EXPECT_EQ(formatTextDate(QDate()), u"");
}

TEST(TextDate, CriteriaCoverWholeDays)
{
    const DayRange r = wholeDays(QDate(2026, 1, 1), QDate(2026, 1, 31));
    EXPECT_EQ(r.from, QDateTime(QDate(2026, 1, 1), QTime(0, 0, 0)));
    EXPECT_EQ(r.to, QDateTime(QDate(2026, 1, 31), QTime(23, 59, 59)));
    const DayRange one = wholeDay(QDate(2026, 5, 9));
    EXPECT_EQ(one.from.date(), one.to.date());
}

TEST(StrSeparator, SplitsAndJoins)
{
    EXPECT_EQ(splitStr(QStringLiteral("a<Str>b<Str><Str>c")),
        (QStringList {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral(""), QStringLiteral("c")}));
    EXPECT_EQ(joinStr({QStringLiteral("1"), QStringLiteral("2")}), u"1<Str>2");
    EXPECT_TRUE(splitStr(QString()).isEmpty());
    EXPECT_EQ(splitStr(joinStr({QStringLiteral("x"), QStringLiteral("")})),
        (QStringList {QStringLiteral("x"), QStringLiteral("")}));
}
