#include "warehouse/LineValues.h"

#include <gtest/gtest.h>

using namespace kulvera;

TEST(LineValues, VatIsContainedInThePurchaseValueAndMarkupComesOnTop)
{
    // 118 with 18 % VAT contains exactly 18.
    const LineValues v = computeLineValues({1, 118, 18, 0});
    EXPECT_EQ(v.vatAmount, 18);
    EXPECT_EQ(v.value, 118);
    const LineValues m = computeLineValues({3, 33.33, 10, 20});
    EXPECT_DOUBLE_EQ(m.vatAmount, 9.09); // 99.99 − 90.9
    EXPECT_DOUBLE_EQ(m.markupAmount, 19.998);
    EXPECT_DOUBLE_EQ(m.value, 119.988);
    const LineValues zero = computeLineValues({0, 0, 18, 15});
    EXPECT_EQ(zero.vatAmount, 0);
    EXPECT_EQ(zero.markupAmount, 0);
    EXPECT_EQ(zero.value, 0);
}

TEST(LineValues, APriceFollowsFromATypedValueUnlessTheQuantityIsZero)
{
    double price = 0;
    ASSERT_TRUE(priceFromValue(100, 3, 0, price));
    EXPECT_DOUBLE_EQ(computeLineValues({3, price, 18, 0}).value, 100);
    ASSERT_TRUE(priceFromValue(150, 4, 25, price));
    EXPECT_DOUBLE_EQ(price, 30);
    EXPECT_FALSE(priceFromValue(100, 0, 0, price));
    double markup = 0;
    EXPECT_FALSE(markupFromAmount(5, 0, 10, markup));
    ASSERT_TRUE(markupFromAmount(5, 2, 10, markup));
    EXPECT_DOUBLE_EQ(markup, 25);
}
