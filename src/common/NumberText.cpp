#include "common/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

namespace kulvera {
namespace {

// Decimal digits of |value| as "d.dddddddddddddde±X" reduced to a digit
// string and the power of ten of its first digit.
struct Decimal {
    bool negative = false;
    std::string digits; // 15 significant digits, no leading zeros unless value is 0
    int exponent = 0; // value = 0.d1d2d3... × 10^(exponent + 1)
};

Decimal toDecimal15(double value)
{
    Decimal d;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", value);
    const char *p = buffer;
    if (*p == '-') {
        d.negative = true;
        ++p;
    }
    while (*p && *p != 'e') {
        if (*p >= '0' && *p <= '9')
            d.digits.push_back(*p);
        ++p;
    }
    if (*p == 'e')
        d.exponent = std::atoi(p + 1);
    return d;
}

// Rounds the decimal text at `decimals` places after the point, halves away
// from zero, and returns the fixed-point text with a '.' separator.
std::string roundDecimalText(double value, int decimals)
{
    const Decimal d = toDecimal15(value);
    // Integer digits and fraction digits of the 15-digit value.
    std::string intPart;
    std::string fracPart;
    const int pointAt = d.exponent + 1; // digits before the point
    if (pointAt <= 0) {
        intPart = "0";
        fracPart = std::string(static_cast<size_t>(-pointAt), '0') + d.digits;
    } else if (pointAt >= static_cast<int>(d.digits.size())) {
        intPart = d.digits + std::string(static_cast<size_t>(pointAt) - d.digits.size(), '0');
    } else {
        intPart = d.digits.substr(0, static_cast<size_t>(pointAt));
        fracPart = d.digits.substr(static_cast<size_t>(pointAt));
    }
    const bool roundUp = static_cast<int>(fracPart.size()) > decimals && fracPart[static_cast<size_t>(decimals)] >= '5';
    fracPart.resize(static_cast<size_t>(decimals), '0');
    std::string all = intPart + fracPart;
    if (roundUp) {
        int i = static_cast<int>(all.size()) - 1;
        while (i >= 0 && all[static_cast<size_t>(i)] == '9') {
            all[static_cast<size_t>(i)] = '0';
            --i;
        }
        if (i < 0)
            all.insert(all.begin(), '1');
        else
            ++all[static_cast<size_t>(i)];
    }
    std::string result = all.substr(0, all.size() - static_cast<size_t>(decimals));
    if (decimals > 0)
        result += '.' + all.substr(all.size() - static_cast<size_t>(decimals));
    const bool isZero = all.find_first_not_of('0') == std::string::npos;
    if (d.negative && !isZero)
        result.insert(result.begin(), '-');
    return result;
}

} // namespace

std::optional<double> parseNumber(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty() || t.size() > 400)
        return std::nullopt;
    std::string ascii;
    ascii.reserve(static_cast<size_t>(t.size()));
    qsizetype i = 0;
    if (t[i] == u'+' || t[i] == u'-')
        ascii.push_back(static_cast<char>(t[i++].unicode()));
    int digits = 0;
    bool separator = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c.unicode() >= u'0' && c.unicode() <= u'9') {
            ascii.push_back(static_cast<char>(c.unicode()));
            ++digits;
        } else if ((c == u',' || c == u'.') && !separator) {
            separator = true;
            ascii.push_back('.');
        } else {
            break;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < t.size() && (t[i] == u'e' || t[i] == u'E')) {
        ascii.push_back('e');
        ++i;
        if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
            ascii.push_back(static_cast<char>(t[i++].unicode()));
        int expDigits = 0;
        for (; i < t.size() && t[i].unicode() >= u'0' && t[i].unicode() <= u'9'; ++i, ++expDigits)
            ascii.push_back(static_cast<char>(t[i].unicode()));
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != t.size())
        return std::nullopt;
    char *end = nullptr;
    const double value = std::strtod(ascii.c_str(), &end);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

double numberOr(QStringView text, double fallback)
{
    return parseNumber(text).value_or(fallback);
}

double roundTo(double value, int decimals)
{
    if (!std::isfinite(value))
        return value;
    decimals = std::max(decimals, 0);
    if (decimals > 15)
        return value;
    const std::string text = roundDecimalText(value, decimals);
    return std::strtod(text.c_str(), nullptr);
}

double roundHalfEven(double value)
{
    // Independent of the FPU rounding mode.
    const double r = std::round(value); // halves away from zero
    if (std::fabs(value - std::trunc(value)) == 0.5 && std::fmod(r, 2.0) != 0.0)
        return r - std::copysign(1.0, value);
    return r;
}

QString formatFixed(double value, int decimals)
{
    if (!std::isfinite(value))
        return QString::number(value);
    decimals = std::clamp(decimals, 0, 15);
    QString text = QString::fromLatin1(roundDecimalText(value, decimals));
    return text.replace(u'.', u',');
}

QString formatNumber(double value)
{
    if (value == 0.0)
        return QStringLiteral("0");
    QString text = QString::number(value, 'g', std::numeric_limits<double>::max_digits10);
    // Prefer the shortest form that still reads back exactly. The shortest
    // round-trip digits give the first precision worth trying; the search
    // goes on from there only in the rare case that one does not read back.
    int first = 1;
    char digits[64];
    if (const auto r = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::scientific);
        r.ec == std::errc()) {
        const std::string_view mantissa(digits, static_cast<size_t>(std::find(digits, r.ptr, 'e') - digits));
        first = static_cast<int>(
            std::count_if(mantissa.begin(), mantissa.end(), [](char c) { return c >= '0' && c <= '9'; }));
        first = std::clamp(first, 1, std::numeric_limits<double>::max_digits10);
    }
    for (int precision = first; precision <= std::numeric_limits<double>::max_digits10; ++precision) {
        const QString candidate = QString::number(value, 'g', precision);
        if (candidate.toDouble() == value) {
            text = candidate;
            break;
        }
    }
    if (text.contains(u'e')) {
        // Plain fixed text for the magnitudes users type.
        if (std::fabs(value) >= 1e-6 && std::fabs(value) < 1e15) {
            text = QString::number(value, 'f', 15);
            while (text.endsWith(u'0'))
                text.chop(1);
            if (text.endsWith(u'.'))
                text.chop(1);
        }
    }
    return text.replace(u'.', u',');
}

} // namespace kulvera
