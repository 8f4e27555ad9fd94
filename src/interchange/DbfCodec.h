#pragma once

#include <QtGlobal>

#include <cstring>
#include <optional>

namespace kulvera::dbf {

// Byte-level helpers of the DBF and memo layouts: fixed-endian integers, the
// numbers of N/F fields, the 16-byte decimal of type 255 files.

inline quint32 readLE32(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}
inline quint16 readLE16(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return quint16(u[0] | u[1] << 8);
}
inline quint32 readBE32(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return quint32(u[3]) | quint32(u[2]) << 8 | quint32(u[1]) << 16 | quint32(u[0]) << 24;
}
inline quint64 readLE64(const char *p)
{
    return quint64(readLE32(p)) | quint64(readLE32(p + 4)) << 32;
}
inline void writeLE16(char *p, quint16 v)
{
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}
inline void writeLE32(char *p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}
inline void writeBE32(char *p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[3 - i] = char((v >> (8 * i)) & 0xFF);
}
inline void writeLE64(char *p, quint64 v)
{
    writeLE32(p, quint32(v));
    writeLE32(p + 4, quint32(v >> 32));
}
inline double readDouble(const char *p)
{
    const quint64 bits = readLE64(p);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}
inline void writeDouble(char *p, double d)
{
    quint64 bits;
    std::memcpy(&bits, &d, sizeof d);
    writeLE64(p, bits);
}

// Writes `value` with exactly `decimals` decimals and a '.' separator, the
// rounding of the program (15 significant digits, halves away from zero).
// Returns the number of characters, or -1 when more than `capacity` are needed
// or the value is not finite.
int formatNumber(double value, int decimals, char *out, int capacity);
// Parses the text of an N or F field (blanks around, "," or "."); nothing for
// text that is not a number. `isInteger` tells whether it had no fraction or exponent.
std::optional<double> parseNumberText(const char *text, int length, bool *isInteger = nullptr);

// The 16-byte decimal: 2 reserved bytes, scale, sign (0x80 negative), a 96-bit
// magnitude as high 32 bits then low 64 bits, little-endian.
double readDecimal16(const char *p);
bool writeDecimal16(char *p, double value, int scale);

} // namespace kulvera::dbf
