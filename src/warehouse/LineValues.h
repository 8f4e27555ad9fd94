#pragma once

namespace kulvera {

// The money of one incoming line. The price includes VAT and is per unit of
// entry; the quantity is the one shown, in that unit.
struct LineInput {
    double quantity = 0;
    double price = 0;
    double vatPercent = 0;
    double markupPercent = 0;
};

struct LineValues {
    double price = 0;
    double vatPercent = 0;
    double vatAmount = 0; // the VAT contained in price × quantity
    double markupPercent = 0;
    double markupAmount = 0;
    double value = 0; // price × quantity + markup: "Стоимость,руб."
};

// Decimals of the amounts written to a line: the value is shown with four.
inline constexpr int kLineAmountDecimals = 4;

// S = P × Q; VAT = S − S × 100 / (100 + V); markup = S × M / 100; value = S +
// markup. Amounts are rounded as they are written.
LineValues computeLineValues(const LineInput &input);

// The price that gives a typed value: value × 100 / ((100 + M) × Q). Nothing
// when the quantity is 0 or the markup −100 %, which no price can satisfy.
bool priceFromValue(double value, double quantity, double markupPercent, double &price);

// The markup percent that gives a typed markup amount on S = P × Q. False when S is 0.
bool markupFromAmount(double amount, double quantity, double price, double &markupPercent);

} // namespace kulvera
