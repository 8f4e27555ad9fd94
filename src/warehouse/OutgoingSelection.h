#pragma once

#include "common/Result.h"
#include "warehouse/OutgoingDocuments.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kulvera {

class WarehouseBase;

// One product of the selected outgoing documents: their lines summed.
struct SelectionProduct {
    qint64 product = 0;
    QString name;
    QString warehouseName; // of the first line
    double brutto = 0; // base unit, rounded to `lRoundProdInNaklMinus` decimals
    double netto = 0;
    double shown = 0; // brutto in the unit of the first line
    QString unitPref;
    std::vector<qint64> lines;
    double available = 0; // base unit: lots of the warehouse dated up to the documents' date
    QString availableText; // the stock per unit of entry, "12,5 кг"
    QStringList stockWarnings; // lots whose receipt left the quantity empty
    bool short_ = false; // more is needed than the warehouse holds
};

// Several outgoing documents worked on together, as the outgoing documents
// form selects them: only documents of one date, posted together all or none.
class OutgoingSelection
{
public:
    // Decimals of the summed product table (`lRoundProdInNaklMinus`) and of the
    // comparison of needed and available quantities (`lRoundBruttoAndWSByTest`).
    static constexpr int kDefaultProductDigits = 3;
    static constexpr int kDefaultCompareDigits = 3;
    static const QString kDifferentDates;

    explicit OutgoingSelection(WarehouseBase &base);

    // Headers of kinds 2 and 3 by date: unposted ones, posted too with
    // `withPosted`, of one warehouse when given.
    Result<std::vector<OutgoingHeader>> list(bool withPosted, std::optional<qint64> warehouse) const;

    // The headers of the keys, in the order given; fails when one is gone or
    // when their dates differ.
    Result<std::vector<OutgoingHeader>> headers(const std::vector<qint64> &keys) const;
    // The lines of the documents summed per product, in the order of names,
    // with the stock of `warehouse` at the documents' date.
    Result<std::vector<SelectionProduct>> products(const std::vector<qint64> &keys, qint64 warehouse) const;

    // Posting from `warehouse`: refused when a document is posted or any
    // product is short; otherwise asks, then posts every document in one
    // transaction and says "Выполнено!". False when the user declined.
    Result<bool> post(const std::vector<qint64> &keys, qint64 warehouse);
    // Asks, then prices the lines of every document from stock, in one transaction.
    Result<bool> updatePrices(const std::vector<qint64> &keys);
    // Asks, then deletes the documents and their lines, in one transaction.
    Result<bool> remove(const std::vector<qint64> &keys);

    int productDigits() const;
    int compareDigits() const;

private:
    WarehouseBase &base_;
};

} // namespace kulvera
