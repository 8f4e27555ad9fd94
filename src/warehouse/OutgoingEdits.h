#pragma once

#include "common/Result.h"

#include <QString>

#include <vector>

namespace kulvera {

class WarehouseBase;

// Edits of outgoing documents before they are posted: a line's gross mass,
// the note, and one product replaced by another. A posted document records
// what left the lots and is refused; every edit is one transaction, run again
// whole when it loses a race with another workstation (a deadlock on the
// server, where two edits lock the same documents in another order).
class OutgoingEdits
{
public:
    explicit OutgoingEdits(WarehouseBase &base);

    // `shown` is typed in the line's unit; the base quantity (÷ `Koef`) is stored.
    Status setGrossMass(qint64 line, double shown);
    // The same note on every document, or on none when one is posted or gone.
    Status setNote(const std::vector<qint64> &headers, const QString &note);
    // Every line of `source` in the documents takes `target` with its gross and
    // net masses × `factor`; where a document already has a line of `target`,
    // the multiplied masses are added to that line and the source line goes.
    // Returns the number of source lines replaced.
    Result<int> replaceProduct(const std::vector<qint64> &headers, qint64 source, qint64 target, double factor);

private:
    WarehouseBase &base_;
};

} // namespace kulvera
