#pragma once

#include "common/Result.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace kulvera {

class Connections;
class SettingsAccess;

// Fills the empty product base of a new installation from the seed CSV
// (header row = column names of the product table), in one transaction. When
// the warehouse base is connected, the groups ("product_groups.csv") and
// units ("units.csv") beside the CSV go into its empty tables as well. Tables
// that already hold rows are left alone, so calling it twice changes nothing.
// A malformed file changes nothing and names the line at fault.
Status seedProductBase(Connections &connections, const SettingsAccess &settings, const QString &csvPath);

// RFC 4180 rows (quoted fields, doubled quotes, CRLF or LF); fails on an
// unterminated quote.
Result<std::vector<QStringList>> parseCsv(const QString &text);

} // namespace kulvera
