#include "warehouse/StockMovements.h"

#include "common/NumberText.h"
#include "common/TextDate.h"
#include "shell/InsertedKey.h"
#include "shell/SettingDefaults.h"
#include "shell/SqlConflict.h"
#include "shell/SqlStatement.h"
#include "warehouse/DocumentNumbers.h"
#include "warehouse/StockLots.h"
#include "warehouse/WarehouseBase.h"

#include <cmath>
#include <map>

namespace kulvera {
namespace {

const QString kNoData = QStringLiteral("Нет данных для сохранения!");
const QString kTooMuch = QStringLiteral("Масса не может быть больше имеющегося количества!");

bool warehouseExists(const WarehouseBase &base, qint64 key)
{
    SqlStatement s(base.database(), QStringLiteral("SELECT 1 FROM \"Склады\" WHERE \"Код\" = ?"), base.errorLog());
    return s.exec({key}) && s.next();
}

QVariant noteOrNull(const QString &note)
{
    return note.isEmpty() ? QVariant() : QVariant(note);
}

// Lots are chosen by hand or by product, not both: the two choices could name one lot twice.
Status oneKindOfRows(const std::vector<LotQuantity> &rows, const std::vector<WriteOffItem> &products)
{
    if (rows.empty() && products.empty())
        return Status::failure(kNoData);
    if (!rows.empty() && !products.empty())
        return Status::failure(QStringLiteral("Партии выбраны и заданы продуктами одновременно"));
    return {};
}

} // namespace

struct StockMovements::Checked {
    std::vector<std::pair<Lot, double>> rows; // the lot as it stood, the quantity to take
};

StockMovements::StockMovements(WarehouseBase &base)
    : base_(base)
{
}

Result<std::vector<MovableLot>> StockMovements::movableLots(qint64 warehouse) const
{
    using R = Result<std::vector<MovableLot>>;
    const auto lots = StockLots(base_).list({warehouse, std::nullopt});
    if (!lots)
        return R::failure(lots.error());
    // The price and markup of the line that made each lot (a lot a movement
    // merged into also has the movement's line, at price 0).
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT l.\"Код\", g.\"Цена\", g.\"Наценка\", u.\"Имя_Пользователя\" FROM \"Склад\" l "
                       "LEFT JOIN \"Приход_Товара\" g ON g.\"Код\" = l.\"Приход_Код\" "
                       "LEFT JOIN \"Пользователи\" u ON u.\"Код\" = l.\"Код_Польз\" WHERE l.\"Код_Склада\" = ?"),
        base_.errorLog());
    if (const Status e = s.exec({warehouse}); !e)
        return R::failure(e.error());
    std::map<qint64, MovableLot> extra;
    while (s.next()) {
        MovableLot &m = extra[s.value(0).toLongLong()];
        m.price = s.value(1).toDouble();
        m.markup = s.value(2).toDouble();
        m.userName = s.value(3).toString();
    }
    std::vector<MovableLot> rows;
    for (const LotView &v : *lots) {
        if (v.lot.brutto <= 0)
            continue;
        MovableLot m = extra[v.lot.key];
        m.view = v;
        rows.push_back(std::move(m));
    }
    return rows;
}

Result<StockMovements::Checked> StockMovements::check(
    const QDate &date, qint64 warehouse, const std::vector<LotQuantity> &rows) const
{
    using R = Result<Checked>;
    if (!date.isValid())
        return R::failure(QStringLiteral("не определена дата накладной!"));
    if (rows.empty())
        return R::failure(kNoData);
    if (!warehouseExists(base_, warehouse))
        return R::failure(QStringLiteral("Склад не идентифицирован!"));
    StockLots lots(base_);
    std::map<qint64, double> perLot; // a lot named twice gives at most what it holds
    Checked checked;
    for (const LotQuantity &row : rows) {
        if (!std::isfinite(row.quantity) || row.quantity <= 0)
            return R::failure(QStringLiteral("Количество должно быть больше нуля: ") + formatNumber(row.quantity));
        // Locked until the posting ends: the quantity checked is the quantity taken.
        const auto found = lots.findToChange(row.lot);
        if (!found)
            return R::failure(found.error());
        const std::optional<Lot> &lot = *found;
        if (!lot || !lot->posted || lot->warehouse != warehouse)
            return R::failure(QStringLiteral("Партия не найдена на складе: ") + QString::number(row.lot));
        // A quantity cannot leave before it came: balances at the dates between would go below zero.
        if (lot->date > date)
            return R::failure(QStringLiteral("Продукт поступил на склад ") + formatTextDate(lot->date)
                + QStringLiteral(", позже даты документа ") + formatTextDate(date));
        double &sum = perLot[row.lot];
        sum += row.quantity;
        if (sum > lot->brutto + kStockEpsilon)
            return R::failure(kTooMuch);
        checked.rows.emplace_back(*lot, row.quantity);
    }
    return checked;
}

Result<qint64> StockMovements::insertHeader(
    int kind, const QDate &date, const QString &number, qint64 warehouse, const QString &note, const QDateTime &now)
{
    SqlStatement h(base_.database(),
        QStringLiteral("INSERT INTO \"Накладные_Заголовки\" (\"Номер\", \"Дата\", \"Документ\", \"Поставщик\", "
                       "\"Код_Склада\", \"Сумма\", \"Проводка\", \"Дата_Операции\", \"Пользователь\", \"Примечание\") "
                       "VALUES (?, ?, ?, -1, ?, 0, 1, ?, ?, ?) RETURNING \"Код\""),
        base_.errorLog());
    return execInsertReturningKey(h, {number, date, kind, warehouse, now, base_.user(), noteOrNull(note)});
}

Result<MovementKeys> StockMovements::move(const Movement &m)
{
    using R = Result<MovementKeys>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    if (m.from == m.to)
        return R::failure(QStringLiteral("Нельзя перемещать продукты внутри одного склада"));
    if (const Status given = oneKindOfRows(m.rows, m.products); !given)
        return R::failure(given.error());
    if (!warehouseExists(base_, m.to))
        return R::failure(QStringLiteral("Склад не идентифицирован!"));
    int used = 0;
    const auto keys = inWriteTransaction(base_.database(), base_.errorLog(), [&] { return postMovement(m, used); });
    if (!keys)
        return keys;
    for (int i = 0; i < used; ++i)
        base_.logDeletion(QStringLiteral("fMovingInternal - cmdSave_Click - "));
    return keys;
}

Result<MovementKeys> StockMovements::postMovement(const Movement &m, int &used)
{
    using R = Result<MovementKeys>;
    used = 0;
    const auto rows = lotRows(m.rows, m.products, m.from, m.date);
    if (!rows)
        return R::failure(rows.error());
    const auto checked = check(m.date, m.from, *rows);
    if (!checked)
        return R::failure(checked.error());
    const QDateTime now = base_.now();
    const QString note = readSetting(base_.context().settings, Section::Calc, QStringLiteral("sStTextMovInt")) + m.note;
    MovementKeys keys;
    const auto receipt = insertHeader(int(DocumentKind::Incoming), m.date, m.number, m.to, note, now);
    if (!receipt)
        return R::failure(receipt.error());
    const auto issue = insertHeader(int(DocumentKind::Outgoing), m.date, m.number, m.from, note, now);
    if (!issue)
        return R::failure(issue.error());
    keys = {*receipt, *issue};

    SqlStatement in(base_.database(),
        QStringLiteral("INSERT INTO \"Приход_Товара\" (\"Код_Накл\", \"Номер_Накл\", \"Код_Прод\", \"Код_Поставщика\", "
                       "\"Код_Склада\", \"Код_на_Складе\", \"Дата\", \"Брутто\", \"Нетто\", \"Ед_изм\", \"Цена\", "
                       "\"Проводка\", \"Код_Польз\", \"Дата_Операции\", \"Код_опер\") "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0, 1, ?, ?, 1) RETURNING \"Код\""),
        base_.errorLog());
    SqlStatement out(base_.database(),
        QStringLiteral("INSERT INTO \"Расход_Товара\" (\"Код_Накл\", \"Номер_Накл\", \"Код_Прод\", \"Код_Склада\", "
                       "\"Код_Поставщика\", \"Код_на_Складе\", \"Брутто\", \"Нетто\", \"Ед_изм\", \"Цена\", \"Дата\", "
                       "\"Код_опер\", \"Код_Польз\", \"Дата_Операции\", \"Проводка\") "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, 0, ?, 1, ?, ?, 1)"),
        base_.errorLog());
    StockLots lots(base_);
    StockWriteOff trail(base_);
    for (const auto &[source, quantity] : checked->rows) {
        const auto taken = lots.take(source.key, quantity);
        if (!taken)
            return R::failure(taken.error());
        if (const Status e = trail.appendTrail(*taken, m.date); !e)
            return R::failure(e.error());
        used += taken->deleted ? 1 : 0;
        const double q = taken->quantity;
        qint64 target = 0;
        bool made = false;
        const auto first = lots.firstLot(source.product, m.to);
        if (!first)
            return R::failure(first.error());
        if (*first) {
            target = (*first)->key;
            if (const Status e = lots.merge(target, q); !e)
                return R::failure(e.error());
        } else {
            Lot lot;
            lot.product = source.product;
            lot.warehouse = m.to;
            lot.supplier = source.supplier;
            lot.header = keys.receipt;
            lot.date = m.date;
            lot.brutto = q;
            lot.unit = source.unit;
            lot.user = base_.user();
            lot.operationTime = now;
            lot.posted = true;
            const auto key = lots.create(lot);
            if (!key)
                return R::failure(key.error());
            target = *key;
            made = true;
        }
        const auto line = execInsertReturningKey(in,
            {keys.receipt, m.number, source.product, source.supplier, m.to, target, m.date, q, q, source.unit,
                base_.user(), now});
        if (!line)
            return R::failure(line.error());
        // A lot the movement made belongs to its receipt line, as a received lot does.
        if (made) {
            if (const Status e = lots.linkIncomingLine(target, *line); !e)
                return R::failure(e.error());
        }
        // The issue line names the lot the quantity left.
        if (const Status e = out.exec({keys.issue, m.number, source.product, m.from, source.supplier, source.key, q, q,
                source.unit, m.date, base_.user(), now});
            !e)
            return R::failure(e.error());
    }
    return keys;
}

Result<qint64> StockMovements::writeOffAct(const WriteOffAct &act)
{
    using R = Result<qint64>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    if (const Status given = oneKindOfRows(act.rows, act.products); !given)
        return R::failure(given.error());
    int used = 0;
    const auto header = inWriteTransaction(base_.database(), base_.errorLog(), [&] { return postAct(act, used); });
    if (!header)
        return header;
    for (int i = 0; i < used; ++i)
        base_.logDeletion(QStringLiteral("fMovingInternal - cmdAkt_Click - "));
    return header;
}

Result<qint64> StockMovements::postAct(const WriteOffAct &act, int &used)
{
    using R = Result<qint64>;
    used = 0;
    const auto rows = lotRows(act.rows, act.products, act.warehouse, act.date);
    if (!rows)
        return R::failure(rows.error());
    const auto checked = check(act.date, act.warehouse, *rows);
    if (!checked)
        return R::failure(checked.error());
    const QDateTime now = base_.now();
    const QString note
        = act.note.isEmpty() ? readSetting(base_.context().settings, Section::Calc, QStringLiteral("sAktS")) : act.note;
    const auto header = insertHeader(int(DocumentKind::WriteOffAct), act.date, act.number, act.warehouse, note, now);
    if (!header)
        return R::failure(header.error());
    SqlStatement out(base_.database(),
        QStringLiteral("INSERT INTO \"Расход_Товара\" (\"Код_Накл\", \"Номер_Накл\", \"Код_Прод\", \"Код_Склада\", "
                       "\"Код_Поставщика\", \"Код_на_Складе\", \"Брутто\", \"Нетто\", \"Ед_изм\", \"Цена\", \"Дата\", "
                       "\"Код_опер\", \"Код_Польз\", \"Дата_Операции\", \"Проводка\") "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, 0, ?, 0, ?, ?, 1)"),
        base_.errorLog());
    StockLots lots(base_);
    StockWriteOff trail(base_);
    for (const auto &[lot, quantity] : checked->rows) {
        const auto taken = lots.take(lot.key, quantity);
        if (!taken)
            return R::failure(taken.error());
        if (const Status e = trail.appendTrail(*taken, act.date); !e)
            return R::failure(e.error());
        used += taken->deleted ? 1 : 0;
        if (const Status e = out.exec({*header, act.number, lot.product, lot.warehouse, lot.supplier, lot.key,
                taken->quantity, taken->quantity, lot.unit, act.date, base_.user(), now});
            !e)
            return R::failure(e.error());
    }
    return *header;
}

Result<std::vector<LotQuantity>> StockMovements::lotRows(const std::vector<LotQuantity> &rows,
    const std::vector<WriteOffItem> &products, qint64 warehouse, const QDate &date) const
{
    if (products.empty())
        return rows;
    return chooseOldestFirst(products, warehouse, date, true);
}

Result<std::vector<LotQuantity>> StockMovements::oldestFirst(
    const std::vector<WriteOffItem> &items, qint64 warehouse, const QDate &date) const
{
    return chooseOldestFirst(items, warehouse, date, false);
}

Result<std::vector<LotQuantity>> StockMovements::chooseOldestFirst(
    const std::vector<WriteOffItem> &items, qint64 warehouse, const QDate &date, bool lock) const
{
    using R = Result<std::vector<LotQuantity>>;
    // A product named twice is taken once, in its whole quantity.
    std::map<qint64, double> needed;
    std::vector<qint64> order;
    for (const WriteOffItem &item : items) {
        if (!std::isfinite(item.quantity) || item.quantity <= 0)
            return R::failure(QStringLiteral("Количество должно быть больше нуля: ") + formatNumber(item.quantity));
        if (!needed.count(item.product))
            order.push_back(item.product);
        needed[item.product] += item.quantity;
    }
    StockLots lots(base_);
    std::vector<LotQuantity> rows;
    QStringList short_;
    for (const qint64 product : order) {
        const auto available
            = lock ? lots.lotsUpToToChange(product, warehouse, date) : lots.lotsUpTo(product, warehouse, date);
        if (!available)
            return R::failure(available.error());
        double rest = needed[product];
        for (const Lot &lot : *available) {
            if (rest <= kStockEpsilon)
                break;
            const double q = lot.brutto - rest <= kStockEpsilon ? lot.brutto : rest;
            rows.push_back({lot.key, q});
            rest -= q;
        }
        if (rest > kStockEpsilon) {
            short_ << QStringLiteral("Продукта с кодом ") + QString::number(product)
                    + QStringLiteral(" недостаточно на складе! Не хватает: ") + formatNumber(roundTo(rest, 5));
        }
    }
    if (!short_.isEmpty())
        return R::failure(short_.join(u'\n'));
    return rows;
}

} // namespace kulvera
