#include "warehouse/StockLots.h"

#include "common/NumberText.h"
#include "shell/InsertedKey.h"
#include "shell/SqlConflict.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"
#include "warehouse/WarehouseBase.h"

#include <algorithm>

namespace kulvera {
namespace {

const QString kLotColumns = QStringLiteral(
    "l.\"Код\", l.\"Код_Прод\", l.\"Код_Склада\", l.\"Код_Полки\", l.\"Код_Поставщика\", l.\"Код_Накл\", "
    "l.\"Приход_Код\", l.\"Дата\", l.\"Брутто\", l.\"Ед_изм\", l.\"Код_Польз\", l.\"Дата_Операции\", l.\"Проводка\"");
constexpr int kLotColumnCount = 13;

Lot readLot(const SqlStatement &s)
{
    Lot lot;
    lot.key = s.value(0).toLongLong();
    lot.product = s.value(1).toLongLong();
    lot.warehouse = s.value(2).toLongLong();
    lot.place = s.value(3).toLongLong();
    lot.supplier = s.value(4).toLongLong();
    lot.header = s.value(5).toLongLong();
    lot.incomingLine = s.value(6).toLongLong();
    lot.date = storedDate(s.value(7));
    lot.brutto = s.value(8).toDouble();
    lot.unit = s.value(9).toLongLong();
    lot.user = s.value(10).toLongLong();
    lot.operationTime = storedDateTime(s.value(11));
    lot.posted = s.value(12).toInt() != 0;
    return lot;
}

} // namespace

StockLots::StockLots(WarehouseBase &base)
    : base_(base)
{
}

std::optional<Lot> StockLots::find(qint64 key) const
{
    const auto lot = findLot(key, false);
    return lot ? *lot : std::nullopt;
}

Result<std::optional<Lot>> StockLots::findToChange(qint64 key) const
{
    return findLot(key, true);
}

Result<std::optional<Lot>> StockLots::findLot(qint64 key, bool toChange) const
{
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT ") + kLotColumns + QStringLiteral(" FROM \"Склад\" l WHERE l.\"Код\" = ?")
            + (toChange ? rowLockSuffix(base_.database()) : QString()),
        base_.errorLog());
    if (const Status e = s.exec({key}); !e)
        return Result<std::optional<Lot>>::failure(e.error());
    if (!s.next())
        return std::optional<Lot>();
    return std::optional<Lot>(readLot(s));
}

Result<std::vector<LotView>> StockLots::list(const LotFilter &filter) const
{
    using R = Result<std::vector<LotView>>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    QString where = QStringLiteral(" WHERE l.\"Проводка\" <> 0");
    QVariantList values;
    if (filter.warehouse) {
        // With a product, its index finds the lots: "+ 0" keeps the engine off the warehouse's,
        // which would walk every lot of the warehouse.
        where += filter.product ? QStringLiteral(" AND l.\"Код_Склада\" + 0 = ?")
                                : QStringLiteral(" AND l.\"Код_Склада\" = ?");
        values << *filter.warehouse;
    }
    if (filter.product) {
        where += QStringLiteral(" AND l.\"Код_Прод\" = ?");
        values << *filter.product;
    }
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT ") + kLotColumns
            + QStringLiteral(", p.\"Имя2\", w.\"Склад_Название\", c.\"l1\", u.\"Pref\", u.\"Koef\" FROM \"Склад\" l "
                             "LEFT JOIN ")
            + base_.productTable()
            + QStringLiteral(" p ON p.\"Код\" = l.\"Код_Прод\" "
                             "LEFT JOIN \"Склады\" w ON w.\"Код\" = l.\"Код_Склада\" "
                             "LEFT JOIN \"dt101\" c ON c.\"ID\" = l.\"Код_Поставщика\" "
                             "LEFT JOIN \"dt105\" u ON u.\"ID\" = l.\"Ед_изм\"")
            + where + QStringLiteral(" ORDER BY l.\"Дата\", l.\"Код\""),
        base_.errorLog());
    if (const Status e = s.exec(values); !e)
        return R::failure(e.error());
    std::vector<LotView> rows;
    while (s.next()) {
        LotView v;
        v.lot = readLot(s);
        v.productName = s.value(kLotColumnCount).toString();
        v.warehouseName = s.value(kLotColumnCount + 1).toString();
        v.supplierName = s.value(kLotColumnCount + 2).toString();
        v.unitPref = s.value(kLotColumnCount + 3).toString();
        v.koef = s.value(kLotColumnCount + 4).isNull() ? 1.0 : s.value(kLotColumnCount + 4).toDouble();
        rows.push_back(std::move(v));
    }
    return rows;
}

double StockLots::stock(qint64 product, qint64 warehouse) const
{
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT SUM(\"Брутто\") FROM \"Склад\" WHERE \"Проводка\" <> 0 AND \"Код_Прод\" = ? "
                       "AND \"Код_Склада\" + 0 = ?"),
        base_.errorLog());
    return s.exec({product, warehouse}) && s.next() ? s.value(0).toDouble() : 0.0;
}

namespace {

// The lot filter of one product, its warehouse (≤ 0: all) and a last day.
QString lotsWhere(qint64 warehouse, const std::optional<QDate> &upTo, QVariantList &values, qint64 product)
{
    QString where = QStringLiteral(" WHERE \"Проводка\" <> 0 AND \"Код_Прод\" = ?");
    values << product;
    if (warehouse > 0) {
        where += QStringLiteral(" AND \"Код_Склада\" + 0 = ?");
        values << warehouse;
    }
    if (upTo && upTo->isValid()) {
        where += QStringLiteral(" AND \"Дата\" <= ?");
        values << QDateTime(*upTo, QTime(23, 59, 59));
    }
    return where;
}

} // namespace

double StockLots::stockUpTo(qint64 product, qint64 warehouse, const std::optional<QDate> &upTo) const
{
    QVariantList values;
    const QString where = lotsWhere(warehouse, upTo, values, product);
    SqlStatement s(base_.database(), QStringLiteral("SELECT SUM(\"Брутто\") FROM \"Склад\"") + where, base_.errorLog());
    return s.exec(values) && s.next() ? s.value(0).toDouble() : 0.0;
}

Result<std::vector<Lot>> StockLots::lotsUpTo(qint64 product, qint64 warehouse, const std::optional<QDate> &upTo) const
{
    return readLotsUpTo(product, warehouse, upTo, false);
}

Result<std::vector<Lot>> StockLots::lotsUpToToChange(
    qint64 product, qint64 warehouse, const std::optional<QDate> &upTo) const
{
    return readLotsUpTo(product, warehouse, upTo, true);
}

Result<std::vector<Lot>> StockLots::readLotsUpTo(
    qint64 product, qint64 warehouse, const std::optional<QDate> &upTo, bool toChange) const
{
    using R = Result<std::vector<Lot>>;
    QVariantList values;
    // The alias "l" of the column list names the table itself here.
    const QString where = lotsWhere(warehouse, upTo, values, product);
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT ") + kLotColumns + QStringLiteral(" FROM \"Склад\" l") + where
            + QStringLiteral(" ORDER BY l.\"Дата\", l.\"Код\"")
            + (toChange ? rowLockSuffix(base_.database()) : QString()),
        base_.errorLog());
    if (const Status e = s.exec(values); !e)
        return R::failure(e.error());
    std::vector<Lot> rows;
    while (s.next())
        rows.push_back(readLot(s));
    return rows;
}

Result<std::vector<LotTake>> StockLots::takeOldestFirst(
    qint64 product, qint64 warehouse, double quantity, const std::optional<QDate> &upTo)
{
    using R = Result<std::vector<LotTake>>;
    if (!(quantity >= 0))
        return R::failure(QStringLiteral("Количество не может быть отрицательным: ") + formatNumber(quantity));
    // Locked as they are read: what is compared with the quantity is what the lots hold when taken.
    const auto lots = readLotsUpTo(product, warehouse, upTo, true);
    if (!lots)
        return R::failure(lots.error());
    double held = 0;
    for (const Lot &lot : *lots)
        held += lot.brutto;
    if (held + kStockEpsilon < quantity) {
        return R::failure(QStringLiteral("Продукта с кодом ") + QString::number(product)
            + QStringLiteral(" недостаточно на складе! Не хватает: ") + formatNumber(roundTo(quantity - held, 5)));
    }
    std::vector<LotTake> taken;
    double rest = quantity;
    for (const Lot &lot : *lots) {
        if (rest <= kStockEpsilon)
            break;
        LotTake t {lot.key, lot.incomingLine, std::min(lot.brutto, rest), false};
        const double left = lot.brutto - t.quantity;
        if (left <= kStockEpsilon) {
            // The whole lot: what the trail records is what the lot held.
            t.quantity = lot.brutto;
            t.deleted = true;
            if (const Status e = base_.exec(QStringLiteral("DELETE FROM \"Склад\" WHERE \"Код\" = ?"), {lot.key}); !e)
                return R::failure(e.error());
        } else if (const Status e = base_.exec(
                       QStringLiteral("UPDATE \"Склад\" SET \"Брутто\" = ? WHERE \"Код\" = ?"), {left, lot.key});
                   !e) {
            return R::failure(e.error());
        }
        rest -= t.quantity;
        taken.push_back(t);
    }
    return taken;
}

StockLots::~StockLots() = default;

Result<qint64> StockLots::create(const Lot &lot)
{
    if (!insert_)
        insert_ = std::make_unique<SqlStatement>(base_.database(),
            QStringLiteral("INSERT INTO \"Склад\" (\"Код_Прод\", \"Код_Склада\", \"Код_Полки\", \"Код_Поставщика\", "
                           "\"Код_Накл\", \"Приход_Код\", \"Дата\", \"Брутто\", \"Ед_изм\", \"Код_Польз\", "
                           "\"Дата_Операции\", \"Проводка\") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                           "RETURNING \"Код\""),
            base_.errorLog());
    return execInsertReturningKey(*insert_,
        {lot.product, lot.warehouse, lot.place, lot.supplier, lot.header, lot.incomingLine, lot.date, lot.brutto,
            lot.unit, lot.user, lot.operationTime, lot.posted});
}

Result<LotTake> StockLots::take(qint64 key, double quantity)
{
    using R = Result<LotTake>;
    if (!(quantity >= 0))
        return R::failure(QStringLiteral("Количество не может быть отрицательным: ") + formatNumber(quantity));
    const auto found = findToChange(key);
    if (!found)
        return R::failure(found.error());
    const std::optional<Lot> &lot = *found;
    if (!lot)
        return R::failure(QStringLiteral("Ошибка идентификации продукта на складе!"));
    if (quantity > lot->brutto + kStockEpsilon)
        return R::failure(QStringLiteral("Масса не может быть больше имеющегося количества!"));
    LotTake t {key, lot->incomingLine, quantity, false};
    const double left = lot->brutto - quantity;
    if (left <= kStockEpsilon) {
        t.quantity = lot->brutto;
        t.deleted = true;
        if (const Status e = base_.exec(QStringLiteral("DELETE FROM \"Склад\" WHERE \"Код\" = ?"), {key}); !e)
            return R::failure(e.error());
        return t;
    }
    if (const Status e
        = base_.exec(QStringLiteral("UPDATE \"Склад\" SET \"Брутто\" = ? WHERE \"Код\" = ?"), {left, key});
        !e)
        return R::failure(e.error());
    return t;
}

Status StockLots::merge(qint64 key, double quantity)
{
    if (!(quantity >= 0))
        return Status::failure(QStringLiteral("Количество не может быть отрицательным: ") + formatNumber(quantity));
    SqlStatement s(base_.database(),
        QStringLiteral("UPDATE \"Склад\" SET \"Брутто\" = \"Брутто\" + ? WHERE \"Код\" = ?"), base_.errorLog());
    if (const Status e = s.exec({quantity, key}); !e)
        return e;
    if (s.rowsAffected() != 1)
        return Status::failure(QStringLiteral("Ошибка идентификации продукта на складе!"));
    return {};
}

Result<std::optional<Lot>> StockLots::firstLot(qint64 product, qint64 warehouse) const
{
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT ") + kLotColumns
            + QStringLiteral(" FROM \"Склад\" l WHERE l.\"Код_Прод\" = ? AND l.\"Код_Склада\" + 0 = ? "
                             "AND l.\"Проводка\" <> 0 ORDER BY l.\"Код\" LIMIT 1")
            + rowLockSuffix(base_.database()),
        base_.errorLog());
    if (const Status e = s.exec({product, warehouse}); !e)
        return Result<std::optional<Lot>>::failure(e.error());
    if (!s.next())
        return std::optional<Lot>();
    return std::optional<Lot>(readLot(s));
}

Status StockLots::lockWarehouse(qint64 warehouse)
{
    const QString lock = rowLockSuffix(base_.database());
    if (lock.isEmpty())
        return {};
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT \"Код\" FROM \"Склад\" WHERE \"Код_Склада\" = ? ORDER BY \"Код\"") + lock,
        base_.errorLog());
    return s.exec({warehouse});
}

Status StockLots::linkIncomingLine(qint64 key, qint64 incomingLine)
{
    return base_.exec(QStringLiteral("UPDATE \"Склад\" SET \"Приход_Код\" = ? WHERE \"Код\" = ?"), {incomingLine, key});
}

Status StockLots::correctReceived(qint64 key, double received, double quantity)
{
    SqlStatement s(base_.database(),
        QStringLiteral("UPDATE \"Склад\" SET \"Брутто\" = ? WHERE \"Код\" = ? AND \"Брутто\" = ?"), base_.errorLog());
    if (const Status e = s.exec({quantity, key, received}); !e)
        return e;
    if (s.rowsAffected() != 1)
        return Status::failure(QStringLiteral("Для данного продукта уже вносились изменения!"));
    return {};
}

Status StockLots::setPlace(qint64 key, qint64 place)
{
    const auto lot = find(key);
    if (!lot)
        return Status::failure(QStringLiteral("Ошибка идентификации продукта на складе!"));
    if (place != 0) {
        SqlStatement s(base_.database(),
            QStringLiteral("SELECT \"Код_Склада\" FROM \"Склады_Структура\" WHERE \"Код\" = ?"), base_.errorLog());
        if (!s.exec({place}) || !s.next() || s.value(0).toLongLong() != lot->warehouse)
            return Status::failure(QStringLiteral("Место хранения не принадлежит складу партии!"));
    }
    return base_.exec(QStringLiteral("UPDATE \"Склад\" SET \"Код_Полки\" = ? WHERE \"Код\" = ?"), {place, key});
}

Result<int> StockLots::deleteEmptyLots()
{
    if (const Status c = base_.requireConnected(); !c)
        return Result<int>::failure(c.error());
    SqlStatement s(base_.database(),
        QStringLiteral("DELETE FROM \"Склад\" WHERE \"Брутто\" = 0 AND NOT EXISTS (SELECT 1 FROM \"Приход_Товара\" i "
                       "WHERE i.\"Код_на_Складе\" = \"Склад\".\"Код\" AND i.\"Брутто\" = 0)"),
        base_.errorLog());
    if (const Status e = s.exec(); !e)
        return Result<int>::failure(e.error());
    return s.rowsAffected();
}

} // namespace kulvera
