#pragma once

#include "common/Result.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace kulvera {

class WarehouseBase;

// A header of kind 2 (write-off) or 3 (act) in `Накладные_Заголовки`.
struct OutgoingHeader {
    qint64 key = 0;
    int kind = 2;
    QString number;
    QDate date;
    qint64 warehouse = 0;
    double sum = 0;
    bool posted = false;
    QString note;
};

// A row of `Расход_Товара`. Quantities are kept in the base unit and shown
// in the line's unit (× `Koef`).
struct OutgoingLine {
    qint64 key = 0;
    qint64 header = 0;
    qint64 product = 0;
    QString productName;
    qint64 warehouse = 0;
    QDate date;
    double brutto = 0;
    double netto = 0;
    qint64 unit = 0;
    QString unitPref;
    double koef = 1;
    double price = 0; // per unit of the line
    double value = 0; // Цена_с_нац
    bool posted = false;

    double quantity() const { return brutto * koef; }
};

struct NewOutgoingLine {
    qint64 product = 0;
    double brutto = 0; // base unit
    std::optional<qint64> unit; // default: the product's unit (ЕдИ_Ц)
    std::optional<double> netto {}; // base unit; default: the gross mass
    // The dish whose preparation consumes the product (a write-off by dishes).
    QString dish {};
    double output = 0; // grams
    double portions = 0;
};

struct NewOutgoing {
    QDate date;
    qint64 warehouse = 0;
    QString note;
};

// Outgoing documents: a header and its lines, written unposted; posting takes
// the products from stock first in, first out and marks the document posted,
// all in one transaction or not at all. Posted documents do not change.
class OutgoingDocuments
{
public:
    explicit OutgoingDocuments(WarehouseBase &base);

    // A write-off document (kind 2) with its lines, unposted, in one transaction.
    Result<qint64> create(const NewOutgoing &document, const std::vector<NewOutgoingLine> &lines);
    // The header alone, to be filled later by replaceLines().
    Result<qint64> addHeader(const NewOutgoing &document);
    // The lines of an unposted document become these, in one transaction; the
    // deletion of the old ones goes to the session log under `procedure`.
    Status replaceLines(qint64 header, const std::vector<NewOutgoingLine> &lines, const QString &procedure);
    std::optional<OutgoingHeader> header(qint64 key) const;
    // The header of a document the transaction goes on to change: where the
    // engine locks rows it stays locked until the transaction ends, so a
    // posting, an edit and a deletion of one document take turns. A failed
    // read (the wait may end in a deadlock) is a failure with the engine's text.
    Result<std::optional<OutgoingHeader>> headerToChange(qint64 key) const;
    // The header, locked, of a document that is not posted; read inside the transaction that changes it.
    // A missing document fails with `missing`, or when none is given with the posting's own message.
    Result<OutgoingHeader> editable(qint64 key, const QString &missing = {}) const;
    Result<std::vector<OutgoingLine>> lines(qint64 header) const;

    // Each line's price becomes the price from stock at the document's date
    // (markups on) per unit of the line, its value quantity × price, and the
    // header's sum the lines' total.
    Status updatePrices(qint64 header);
    // Prices the lines at the document's date, takes every product's total
    // from the lots dated up to that day and marks lines and header posted.
    // When any product is short nothing changes and the failure names each.
    Status post(qint64 header);
    // An unposted document and all its lines.
    Status remove(qint64 header);
    // Every unposted line above 10 gets its gross mass rounded to tens, halves
    // to the even ten (15 → 20, 25 → 20). Returns the number of lines changed.
    Result<int> roundGrossMasses();

private:
    // The unit of each line, every line checked before anything is written.
    Result<std::vector<qint64>> checkLines(const std::vector<NewOutgoingLine> &lines) const;
    Status insertLines(qint64 header, const QDate &date, qint64 warehouse, const std::vector<NewOutgoingLine> &lines,
        const std::vector<qint64> &units);
    Status priceLines(const OutgoingHeader &header);
    Status postLocked(qint64 key);
    Result<std::optional<OutgoingHeader>> readHeader(qint64 key, bool toChange) const;
    Result<std::vector<OutgoingLine>> readLines(qint64 header, bool toChange) const;

    WarehouseBase &base_;
};

} // namespace kulvera
