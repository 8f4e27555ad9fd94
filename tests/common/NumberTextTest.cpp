#include "common/NumberText.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

using namespace kulvera;

TEST(NumberText, AcceptsCommaAndPointAlike)
{
    EXPECT_DOUBLE_EQ(*parseNumber(u"12,5"), 12.5);
    EXPECT_DOUBLE_EQ(*parseNumber(u"12.5"), 12.5);
    EXPECT_DOUBLE_EQ(*parseNumber(u" -0,25 "), -0.25);
    EXPECT_DOUBLE_EQ(*parseNumber(u"+3"), 3.0);
    EXPECT_DOUBLE_EQ(*parseNumber(u",5"), 0.5);
    EXPECT_DOUBLE_EQ(*parseNumber(u"5,"), 5.0);
    EXPECT_DOUBLE_EQ(*parseNumber(u"1,5E3"), 1500.0);
    EXPECT_DOUBLE_EQ(*parseNumber(u"2e-2"), 0.02);
}

TEST(NumberText, RefusesWhatIsNotANumber)
{
    for (const char16_t *bad : {u"", u"  ", u"abc", u"1,2,3", u"1.2.3", u"1,2.3", u"12a", u"--1", u"+", u",", u"1e",
             u"1 000", u"0x10", u"inf", u"nan"})
        EXPECT_FALSE(parseNumber(bad).has_value()) << QString::fromUtf16(bad).toStdString();
    EXPECT_DOUBLE_EQ(numberOr(u"", 7.0), 7.0);
    EXPECT_DOUBLE_EQ(numberOr(u"x"), 0.0);
    EXPECT_FALSE(parseNumber(u"1e999").has_value()); // overflow is not a number
}

TEST(NumberText, RoundsHalvesAwayFromZero)
{
    EXPECT_DOUBLE_EQ(roundTo(12.25, 1), 12.3);
    EXPECT_DOUBLE_EQ(roundTo(12.24, 1), 12.2);
    EXPECT_DOUBLE_EQ(roundTo(-12.25, 1), -12.3);
    EXPECT_DOUBLE_EQ(roundTo(-12.24, 1), -12.2);
    EXPECT_DOUBLE_EQ(roundTo(2.5, 0), 3.0);
    EXPECT_DOUBLE_EQ(roundTo(-2.5, 0), -3.0);
    EXPECT_DOUBLE_EQ(roundTo(0.5, 0), 1.0);
    EXPECT_DOUBLE_EQ(roundTo(12.4, 0), 12.0);
    EXPECT_DOUBLE_EQ(roundTo(99.95, 1), 100.0);
    EXPECT_DOUBLE_EQ(roundTo(9.999, 2), 10.0);
    EXPECT_DOUBLE_EQ(roundTo(7.0, -3), 7.0);
}

TEST(NumberText, RoundsTheDecimalValueAPersonSees)
{
    // Binary doubles just below the half: 1.005 is 1.00499999999999989...
    EXPECT_DOUBLE_EQ(roundTo(1.005, 2), 1.01);
    EXPECT_DOUBLE_EQ(roundTo(2.675, 2), 2.68);
    EXPECT_DOUBLE_EQ(roundTo(1.045, 2), 1.05);
    EXPECT_DOUBLE_EQ(roundTo(0.1 + 0.2, 1), 0.3);
    EXPECT_DOUBLE_EQ(roundTo(-1.005, 2), -1.01);
    // Sums that land a hair below a half still round as a person expects.
    EXPECT_DOUBLE_EQ(roundTo(0.615 * 100, 0), 62.0);
}

TEST(NumberText, RoundingKeepsTinyLargeAndSpecialValues)
{
    EXPECT_DOUBLE_EQ(roundTo(0.0004, 3), 0.0);
    EXPECT_DOUBLE_EQ(roundTo(0.0005, 3), 0.001);
    EXPECT_DOUBLE_EQ(roundTo(1e-20, 2), 0.0);
    EXPECT_DOUBLE_EQ(roundTo(123456789012.345, 2), 123456789012.35);
    EXPECT_DOUBLE_EQ(roundTo(1e20, 2), 1e20);
    EXPECT_TRUE(std::isinf(roundTo(std::numeric_limits<double>::infinity(), 2)));
}

TEST(NumberText, FormatsWithTheProgramsComma)
{
    EXPECT_EQ(formatFixed(12.25, 1), u"12,3");
    EXPECT_EQ(formatFixed(-12.25, 1), u"-12,3");
    EXPECT_EQ(formatFixed(12.3, 2), u"12,30");
    EXPECT_EQ(formatFixed(12.5, 0), u"13");
    EXPECT_EQ(formatFixed(0.004, 2), u"0,00");
    EXPECT_EQ(formatFixed(-0.004, 2), u"0,00"); // no negative zero
    EXPECT_EQ(formatFixed(1.005, 2), u"1,01");
    EXPECT_EQ(formatFixed(999.96, 1), u"1000,0");
    EXPECT_EQ(formatNumber(0.1), u"0,1");
    EXPECT_EQ(formatNumber(12), u"12");
    EXPECT_EQ(formatNumber(-3.25), u"-3,25");
    EXPECT_EQ(formatNumber(0), u"0");
}

TEST(NumberText, FormattedTextReadsBackAsTheSameNumber)
{
    for (double v : {0.1, 1.0 / 3.0, 123.456, -98765.4321, 1e-5, 2.5e12, 4.9e-300}) {
        const auto back = parseNumber(formatNumber(v));
        ASSERT_TRUE(back.has_value()) << v;
        EXPECT_EQ(*back, v);
    }
}

namespace {

// The plain rule the formatter must keep to: the fewest significant digits
// ('g' precision 1, 2, ...) that read back as the same number; exponent forms
// of everyday magnitudes written out in full.
QString shortestByTrial(double value)
{
    if (value == 0.0)
        return QStringLiteral("0");
    QString text = QString::number(value, 'g', 17);
    for (int precision = 1; precision <= 17; ++precision) {
        const QString candidate = QString::number(value, 'g', precision);
        if (candidate.toDouble() == value) {
            text = candidate;
            break;
        }
    }
    if (text.contains(u'e') && std::fabs(value) >= 1e-6 && std::fabs(value) < 1e15) {
        text = QString::number(value, 'f', 15);
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    return text.replace(u'.', u',');
}

} // namespace

TEST(NumberText, FormattedTextIsTheShortestThatReadsBack)
{
    std::mt19937_64 random(20240611);
    std::vector<double> values = {1, 10, 100, 1e15, 1e16, 1e-6, 9.999999999999999e-7, 1e21, 123456789012345678.0,
        0.30000000000000004, 5e-324, std::numeric_limits<double>::max(), -std::numeric_limits<double>::min(), 2.0 / 3.0,
        70.25, 1.25 * 7, 0.7 * 3};
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-12, 18);
    for (int i = 0; i < 20000; ++i) {
        values.push_back(mantissa(random) * std::pow(10.0, exponent(random)));
        // Values as recipes hold them: a few decimals, scaled.
        values.push_back(std::round(mantissa(random) * 1000) / 100 * (1 + i % 7) / 3);
        values.push_back(std::bit_cast<double>(random()));
    }
    int compared = 0;
    for (double v : values) {
        if (!std::isfinite(v))
            continue;
        ASSERT_EQ(formatNumber(v), shortestByTrial(v)) << std::hexfloat << v;
        ++compared;
    }
    EXPECT_GT(compared, 50000);
}
