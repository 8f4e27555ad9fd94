#pragma once

#include "common/Result.h"

#include <QString>

#include <optional>
#include <vector>

namespace kulvera {

class WarehouseBase;

struct WarehouseRow {
    qint64 key = 0;
    QString name; // Склад_Название
    QString description;
    double markup = 0; // Доп_Нац, percent
};

struct StoragePlace {
    qint64 key = 0;
    qint64 warehouse = 0;
    QString name; // Структура_Название
    QString description;
};

// The warehouses (`Склады`) and their storage places (`Склады_Структура`).
// Every edit writes at once. Deleting a warehouse or a place keeps the lots
// and documents that name it: balances of a deleted warehouse still add up.
class Warehouses
{
public:
    explicit Warehouses(WarehouseBase &base);

    static constexpr QStringView kNewWarehouse = u"Новый склад";
    static constexpr QStringView kNewPlace = u"Новое место";

    Result<std::vector<WarehouseRow>> list() const;
    int count() const;
    std::optional<WarehouseRow> find(qint64 key) const;
    // A key, or a name (letter case ignored) when the text is no key of a warehouse.
    std::optional<WarehouseRow> findByNameOrKey(const QString &text) const;

    Result<qint64> add(const QString &name = kNewWarehouse.toString());
    Status rename(qint64 key, const QString &name);
    Status setDescription(qint64 key, const QString &text);
    // The markup as typed: empty text is 0, anything but a number is refused.
    Status setMarkup(qint64 key, const QString &text);
    // Asks first; on Yes deletes the warehouse's places, then the warehouse.
    Status remove(qint64 key);

    Result<std::vector<StoragePlace>> places(qint64 warehouse) const;
    Result<qint64> addPlace(qint64 warehouse, const QString &name = kNewPlace.toString());
    Status renamePlace(qint64 key, const QString &name);
    Status setPlaceDescription(qint64 key, const QString &text);
    // Asks first; lots keep their `Код_Полки`.
    Status removePlace(qint64 key);

private:
    Status setField(const QString &table, const QString &field, qint64 key, const QVariant &value) const;
    WarehouseBase &base_;
};

} // namespace kulvera
