#include "warehouse/LineValues.h"

#include "common/NumberText.h"

namespace kulvera {

LineValues computeLineValues(const LineInput &input)
{
    LineValues v;
    v.price = input.price;
    v.vatPercent = input.vatPercent;
    v.markupPercent = input.markupPercent;
    const double purchase = input.price * input.quantity;
    // A rate of −100 % would divide by zero; no VAT can be contained then.
    const double net = input.vatPercent != -100 ? purchase * 100.0 / (100.0 + input.vatPercent) : purchase;
    v.vatAmount = roundTo(purchase - net, kLineAmountDecimals);
    const double markup = purchase * input.markupPercent / 100.0;
    v.markupAmount = roundTo(markup, kLineAmountDecimals);
    v.value = roundTo(purchase + markup, kLineAmountDecimals);
    return v;
}

bool priceFromValue(double value, double quantity, double markupPercent, double &price)
{
    const double divisor = (100.0 + markupPercent) * quantity;
    if (divisor == 0)
        return false;
    price = value * 100.0 / divisor;
    return true;
}

bool markupFromAmount(double amount, double quantity, double price, double &markupPercent)
{
    const double purchase = price * quantity;
    if (purchase == 0)
        return false;
    markupPercent = amount * 100.0 / purchase;
    return true;
}

} // namespace kulvera
