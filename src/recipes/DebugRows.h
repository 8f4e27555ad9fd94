#pragma once

#include "common/Result.h"
#include "products/clsProds.h"
#include "recipes/clsBludo.h"

#include <QStringList>
#include <QVariant>

#include <vector>

namespace kulvera {

// The product records of the open recipe as the debug window lists them:
// the columns in their order, each record's value in a column, and the edits
// the window allows on the list (rows indexed from 0).
const QStringList &debugColumns();
QVariant debugValue(const clsProds &record, int column);

std::vector<clsProds> recordsOf(const colBludo &slot);
colBludo slotOf(const std::vector<clsProds> &records);

// A new empty record after `row` (at the end when `row` is out of range); its index.
int addDebugRow(std::vector<clsProds> &records, int row);
// Moves the row one place up (-1) or down (+1); false at either end.
bool moveDebugRow(std::vector<clsProds> &records, int row, int delta);
// The list keeps at least one row: "Не допускается удалять последнюю строку".
Status removeDebugRow(std::vector<clsProds> &records, int row);
// The first row after `from` (wrapping round) with a cell containing `text`
// (letter case ignored); -1 when none does.
int findDebugRow(const std::vector<clsProds> &records, const QString &text, int from);

} // namespace kulvera
