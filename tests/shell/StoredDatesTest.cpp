#include "shell/SqlDialect.h"

#include <gtest/gtest.h>

using namespace kulvera;

TEST(StoredDates, DatesGoInAsTextAndComeBackAsTheyWent)
{
    const SqlDialect &sqlite = SqlDialect::forEngine(SqlDialect::Engine::SQLite);
    EXPECT_EQ(sqlite.toStorage(QDate(2026, 6, 5)).toString(), QStringLiteral("2026-06-05 00:00:00"));
    EXPECT_EQ(sqlite.toStorage(QDateTime(QDate(2026, 6, 5), QTime(7, 8, 9))).toString(),
        QStringLiteral("2026-06-05 07:08:09"));

    EXPECT_EQ(storedDateTime(QStringLiteral("2026-06-05 07:08:09")), QDateTime(QDate(2026, 6, 5), QTime(7, 8, 9)));
    EXPECT_EQ(storedDateTime(QStringLiteral("2026-06-05")), QDateTime(QDate(2026, 6, 5), QTime(0, 0)));
    EXPECT_EQ(storedDate(QStringLiteral("2026-12-31 23:59:59")), QDate(2026, 12, 31));
    EXPECT_EQ(storedDate(QVariant(QDate(2024, 2, 29))), QDate(2024, 2, 29));
    // Nothing, or something that is no date, reads as no date.
    EXPECT_FALSE(storedDate(QVariant()).isValid());
    EXPECT_FALSE(storedDate(QStringLiteral("2026-02-30 00:00:00")).isValid());
    EXPECT_FALSE(storedDateTime(QStringLiteral("вчера")).isValid());
}
