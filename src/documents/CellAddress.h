#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace kulvera {

inline constexpr int kMaxSheetRow = 1048576;
inline constexpr int kMaxSheetColumn = 16384;

// A cell of a sheet, rows and columns counted from 1.
struct CellRef {
    int row = 0;
    int col = 0;
    friend bool operator==(const CellRef &, const CellRef &) = default;
};

// "C6", "$C$6", "c84" → the cell; nothing for anything else or a cell
// beyond the sheet.
std::optional<CellRef> parseCellAddress(QStringView text);
QString columnLetters(int col); // 1 → "A", 27 → "AA"
std::optional<int> columnNumber(QStringView letters); // "AA" → 27
QString cellAddress(int row, int col); // (6, 3) → "C6"
QString absoluteAddress(int row, int col); // (6, 3) → "$C$6"

} // namespace kulvera
