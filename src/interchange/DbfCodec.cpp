#include "interchange/DbfCodec.h"

#include <charconv>
#include <cmath>

namespace kulvera::dbf {

int formatNumber(double value, int decimals, char *out, int capacity)
{
    if (!std::isfinite(value) || decimals < 0 || decimals > 30)
        return -1;
    // Fifteen significant digits, as a person reads the double.
    char sci[40];
    const auto res = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific, 14);
    if (res.ec != std::errc())
        return -1;
    const char *p = sci;
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    }
    char digits[16];
    int nd = 0;
    for (; p < res.ptr && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9' && nd < 15)
            digits[nd++] = *p;
    int exponent = 0;
    if (p < res.ptr && *p == 'e') {
        std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), res.ptr, exponent);
    }
    // Value = 0.d1d2... × 10^(exponent+1); build the fixed text in `fixed`
    // with a leading slot for a carry.
    const int pointAt = exponent + 1; // digits before the point
    const int intDigits = pointAt > 0 ? pointAt : 1;
    const int total = intDigits + decimals;
    if (intDigits > 330 || total + 3 > 400)
        return -1;
    char fixed[400];
    fixed[0] = '0';
    char *f = fixed + 1;
    // digit at decimal position k (k = 0 is the first integer digit of `intDigits`)
    auto digitAt = [&](int k) -> char {
        // position relative to the first significant digit
        const int idx = k - (intDigits - pointAt);
        return idx >= 0 && idx < nd ? digits[idx] : '0';
    };
    for (int k = 0; k < total; ++k)
        f[k] = digitAt(k);
    if (digitAt(total) >= '5') {
        int i = total - 1;
        while (i >= 0 && f[i] == '9')
            f[i--] = '0';
        if (i >= 0)
            ++f[i];
        else
            fixed[0] = '1';
    }
    const char *start = fixed[0] == '1' ? fixed : f;
    const int len = static_cast<int>((f + total) - start);
    bool zero = true;
    for (int k = 0; k < len; ++k)
        if (start[k] != '0')
            zero = false;
    const int needed = len + (decimals > 0 ? 1 : 0) + (negative && !zero ? 1 : 0);
    if (needed > capacity)
        return -1;
    char *o = out;
    if (negative && !zero)
        *o++ = '-';
    const int intLen = len - decimals;
    std::memcpy(o, start, static_cast<size_t>(intLen));
    o += intLen;
    if (decimals > 0) {
        *o++ = '.';
        std::memcpy(o, start + intLen, static_cast<size_t>(decimals));
        o += decimals;
    }
    return static_cast<int>(o - out);
}

std::optional<double> parseNumberText(const char *text, int length, bool *isInteger)
{
    int b = 0, e = length;
    while (b < e && (text[b] == ' ' || text[b] == '\0'))
        ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\0'))
        --e;
    if (b == e || e - b > 64)
        return std::nullopt;
    char buf[72];
    int n = 0;
    bool integer = true;
    int digits = 0;
    for (int i = b; i < e; ++i) {
        char c = text[i];
        if (c == ',')
            c = '.';
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c == '.' || c == 'e' || c == 'E')
            integer = false;
        else if (!((c == '-' || c == '+') && (i == b || text[i - 1] == 'e' || text[i - 1] == 'E')))
            return std::nullopt;
        buf[n++] = c;
    }
    if (digits == 0)
        return std::nullopt;
    const char *first = buf[0] == '+' ? buf + 1 : buf;
    double value = 0;
    const auto res = std::from_chars(first, buf + n, value);
    if (res.ec != std::errc() || res.ptr != buf + n)
        return std::nullopt;
    if (isInteger)
        *isInteger = integer;
    return value;
}

double readDecimal16(const char *p)
{
    const int scale = static_cast<unsigned char>(p[2]);
    const bool negative = (static_cast<unsigned char>(p[3]) & 0x80) != 0;
    const double hi = readLE32(p + 4);
    const double lo = static_cast<double>(readLE64(p + 8));
    double value = hi * 18446744073709551616.0 + lo;
    value /= std::pow(10.0, scale > 28 ? 28 : scale);
    return negative ? -value : value;
}

bool writeDecimal16(char *p, double value, int scale)
{
    if (!std::isfinite(value) || scale < 0 || scale > 28)
        return false;
    const double scaled = std::round(std::fabs(value) * std::pow(10.0, scale));
    if (scaled >= 18446744073709551616.0) // keep within the low 64 bits: exact enough for money
        return false;
    std::memset(p, 0, 16);
    p[2] = char(scale);
    p[3] = value < 0 && scaled != 0 ? char(0x80) : char(0);
    writeLE64(p + 8, static_cast<quint64>(scaled));
    return true;
}

} // namespace kulvera::dbf
