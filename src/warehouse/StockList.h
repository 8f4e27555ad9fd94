#pragma once

#include "common/Result.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <vector>

namespace kulvera {

class WarehouseBase;

// What a warehouse holds of one product: its posted lots summed (base unit).
struct StockTotal {
    qint64 product = 0;
    QString name; // Имя2
    double brutto = 0;
};

// A posted lot with something left, as the stock list shows it.
struct StockListLot {
    qint64 lot = 0;
    qint64 product = 0;
    QString productName;
    qint64 supplier = 0;
    QString supplierName; // l1 of dt101
    double price = 0; // of the receipt, per unit of entry
    double markup = 0; // percent, of the receipt
    double value = 0; // the receipt line's Цена_с_нац
    QDate date;
    double brutto = 0; // base unit
    qint64 unit = 0;
    QString unitPref;
    double koef = 1;
    qint64 place = 0; // Код_Полки; 0 = none
    QString placeName;
    QDateTime operationTime;
    qint64 user = 0;
    QString userName;

    // In the unit of entry, as counted on the shelf.
    double quantity() const { return brutto * koef; }
    double priceWithMarkup() const { return price * (100 + markup) / 100; }
};

// The stock list of one warehouse: the totals per product and the lots with
// their receipts' prices, suppliers and storage places.
class StockList
{
public:
    explicit StockList(WarehouseBase &base);

    // By product name, then key.
    Result<std::vector<StockTotal>> totals(qint64 warehouse) const;
    // By product name, then date (oldest first). A lot whose receipt line,
    // supplier, place or user is gone is still listed, with the name empty.
    Result<std::vector<StockListLot>> lots(qint64 warehouse) const;
    // A lot's storage place: one of its warehouse's places, or 0.
    Status setPlace(qint64 lot, qint64 place);

private:
    WarehouseBase &base_;
};

// The money the lots stand for at their prices with markup, rounded to kopecks.
double stockValue(const std::vector<StockListLot> &lots);
// "Остатки продуктов 'Основной', итого: 1250,00 руб."
QString stockListHeading(const QString &warehouseName, double total);

} // namespace kulvera
