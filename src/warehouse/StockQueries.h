#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>

#include <optional>
#include <vector>

namespace kulvera {

class ErrorLog;
class WarehouseBase;

// Prices and quantities read from the warehouse tables. Every operation gives
// 0 (or nothing) when the warehouse base is not open. A date text is
// "dd.mm.yyyy"; an empty or invalid one sets no limit.

// The price per base unit of the oldest posted lot with something left of the
// product in the warehouse, dated up to the end of `upTo`: the receipt's price
// per unit of entry × `Koef`; with `markup`, the receipt's markup and then the
// warehouse's `Доп_Нац` (when above 0) on top. Nothing when there is no such lot.
std::optional<double> oldestLotPrice(const QSqlDatabase &db, ErrorLog *log, qint64 product, qint64 warehouse,
    bool markup, const std::optional<QDate> &upTo);

// The first supplier-list row of the product whose supplier and unit exist: its
// `Price`, and with `markup` its `Nac` on top rounded to `roundPrice` decimals
// (unrounded without). 0 when the list has none.
double supplierListPrice(const QSqlDatabase &db, ErrorLog *log, qint64 product, bool markup, int roundPrice);

// Stock of one unit of entry: the lots summed and shown in that unit.
struct UnitStock {
    double quantity = 0; // sum × Koef
    QString pref;
    double koef = 1;
    // "12,5 кг"
    QString display() const;
};

struct UnitStockResult {
    std::vector<UnitStock> units;
    // The texts of groups whose sum was empty (a receipt without a quantity).
    QStringList warnings;
};

// The operations as the rest of the program asks them, on the warehouse base.
class StockQueries
{
public:
    explicit StockQueries(WarehouseBase &base);

    double priceFromStock(qint64 product, qint64 warehouse, bool markup, const QString &dateText) const;
    double supplierListPrice(qint64 product, bool markup) const;
    // `Цена` of the product record rounded to RoundPrice; 0 when empty.
    double productRecordPrice(qint64 product) const;
    // By the settings: the supplier list when `bUsePriceFromWS` is "1", else
    // the stock when `bUsePriceFromWS2` is "1", else the product record.
    double currentProductPrice(qint64 product, qint64 warehouse, bool markup) const;
    // Posted receipts minus posted outgoing lines up to the end of the date;
    // `warehouse` ≤ 0 counts all. Movements are lines too, so they count.
    double balanceAtDate(qint64 product, qint64 warehouse, const QString &dateText) const;
    // Lots summed per unit of entry; `warehouse` ≤ 0 counts all.
    UnitStockResult stockByUnit(qint64 product, qint64 warehouse, const QString &dateText) const;

    int roundPrice() const;

private:
    WarehouseBase &base_;
};

// A date text as the operations read it: a valid "dd.mm.yyyy" or no limit.
std::optional<QDate> dateLimit(const QString &dateText);

} // namespace kulvera
