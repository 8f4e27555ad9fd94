#pragma once

#include "common/Result.h"

#include <QDate>
#include <QString>

#include <vector>

namespace kulvera {

class WarehouseBase;

struct ProductBookFilter {
    std::vector<qint64> products; // empty: every product with receipt lines
    qint64 warehouse = 0; // ≤ 0: every warehouse
    QDate from;
    QDate to;
    bool movements = true; // false leaves out internal movement lines (Код_опер = 1)
    bool fullIncoming = true; // bFullIncomPB: every receipt, else one sum
    bool fullOutgoing = false; // bFullExpPB: every outgoing line, else one sum
};

// A receipt or an outgoing quantity of the period. A summed entry has no date
// and no number.
struct BookEntry {
    QDate date;
    QString number; // Номер_Накл of a receipt, the document's number of an outgoing line
    double quantity = 0; // base unit
};

// One product of the book ("Книга учета продуктов"). The opening quantity is
// the balance at the end of the day before `from`, the closing one at the end
// of `to`; the entries are the posted lines of the days from `from` to `to`.
struct ProductBookSection {
    qint64 product = 0;
    QString name;
    double opening = 0;
    std::vector<BookEntry> receipts;
    std::vector<BookEntry> outgoing;
    double closing = 0;
};

inline constexpr QStringView kProductBookTitle = u"Книга учета продуктов";

// The settings of the book in section Data: `bFullIncomPB` ("1" full, the
// default) and `bFullExpPB` ("0" summed, the default).
class SettingsAccess;
void readBookListing(const SettingsAccess &settings, ProductBookFilter &filter);

Result<std::vector<ProductBookSection>> productBook(WarehouseBase &base, const ProductBookFilter &filter);

} // namespace kulvera
