#pragma once

#include "products/clsProds.h"

#include <QString>

namespace kulvera {

// The composition of a recipe position as one stored text: values joined by
// "<Str>", each at its index of the composition field table (indices 16-23
// are reserved and empty). The short string holds indices 0-23; the full one
// all 98. Six fields stand twice (2/40, 3/41, 5/45, 6/46, 11/50, 10/51); a
// reader lets the later index win.
inline constexpr int kShortCompositionCount = 24;
inline constexpr int kFullCompositionCount = 98;

QString compositionString(const clsProds &record, bool full);
// Reads the values into the record, each multiplied by `factor`; empty and
// non-numeric fields leave the value as it is. Returns the number of fields
// in the text (0 for an empty text: no composition at all).
int readCompositionString(const QString &text, clsProds &record, double factor = 1.0);

// The field at an index, or nullptr for the reserved ones.
double clsProds::*compositionMemberAt(int index);

} // namespace kulvera
