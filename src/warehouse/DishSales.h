#pragma once

#include "common/Result.h"

#include <QDate>
#include <QString>

#include <optional>
#include <vector>

namespace kulvera {

class DishBase;
class WarehouseBase;

// A dish sales invoice: a header of kind 2 whose `Поставщик` is the buyer
// (`dt101`), posted when written, with no warehouse: it records dishes sold
// and never touches stock.
struct DishSaleHeader {
    qint64 key = 0;
    QString number;
    QDate date;
    qint64 buyer = 0;
    QString buyerName;
    double sum = 0; // Σ price × portions
    QString note;
};

// A row of `Расход_Рецептуры`.
struct DishSaleLine {
    qint64 key = 0;
    qint64 header = 0;
    QString dish;
    double output = 0; // grams
    double portions = 0;
    double price = 0; // one portion, roubles

    double total() const { return price * portions; }
};

inline constexpr QStringView kDishNotFound = u"Рецептура не найдена!";
inline constexpr QStringView kDishSaleNotFound = u"Не удалось найти накладную в списке!";

class DishSales
{
public:
    explicit DishSales(WarehouseBase &base);

    // Every dish sales invoice, by date.
    Result<std::vector<DishSaleHeader>> list() const;
    std::optional<DishSaleHeader> header(qint64 key) const;
    // Asks "Добавить новую накладную?" and, for a number already used this
    // year, whether to go on; the buyer must be a counterparty.
    Result<qint64> add(const QString &number, const QDate &date, qint64 buyer);
    Status setDate(qint64 key, const QDate &date);
    Status setNumber(qint64 key, const QString &number);
    Status setBuyer(qint64 key, qint64 buyer);
    // Asks "Удалить накладную из базы?" and deletes the header with its lines.
    Status remove(qint64 key);

    Result<std::vector<DishSaleLine>> lines(qint64 header) const;
    // A dish of `table` in the recipe base ("Рецептура не найдена!" otherwise).
    Result<qint64> addLine(qint64 header, const DishBase &dishes, const QString &table, const DishSaleLine &line);
    // Output, portions and price of a line; the header's sum follows.
    Status updateLine(const DishSaleLine &line);
    Status removeLine(qint64 line);

private:
    Status checkValues(const DishSaleLine &line) const;
    // The header's `Сумма` becomes its lines' total.
    Status updateSum(qint64 header);
    Status setHeaderField(qint64 key, const QString &column, const QVariant &value);

    WarehouseBase &base_;
};

} // namespace kulvera
