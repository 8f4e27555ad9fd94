#include "warehouse/StockReconciliation.h"

#include "common/NumberText.h"
#include "common/SettingsAccess.h"
#include "common/TextDate.h"
#include "shell/InsertedKey.h"
#include "shell/SqlConflict.h"
#include "shell/SqlStatement.h"
#include "warehouse/DocumentNumbers.h"
#include "warehouse/LineValues.h"
#include "warehouse/StockList.h"
#include "warehouse/StockLots.h"
#include "warehouse/StockQueries.h"
#include "warehouse/StockWriteOff.h"
#include "warehouse/WarehouseBase.h"

#include <cmath>
#include <map>

namespace kulvera {
namespace {

QString setting(const WarehouseBase &base, const QString &key, const QString &fallback)
{
    const QString value = base.context().settings.get(Section::Data, key).trimmed();
    return value.isEmpty() ? fallback : value;
}

// What the write-off lines are named after: the reconciliation's date, in the
// format of `sDefDisheNameByCompare` (a Qt date format) or dd.mm.yyyy.
QString actDate(const WarehouseBase &base, const QDate &date)
{
    const QString format
        = base.context().settings.get(Section::Data, QStringLiteral("sDefDisheNameByCompare")).trimmed();
    return format.isEmpty() ? formatTextDate(date) : date.toString(format);
}

struct Difference {
    StockListLot lot;
    double counted = 0; // unit of entry
};

} // namespace

StockReconciliation::StockReconciliation(WarehouseBase &base)
    : base_(base)
{
}

Result<ReconciliationOutcome> StockReconciliation::reconcile(qint64 warehouse, const std::vector<LotCount> &counts)
{
    using R = Result<ReconciliationOutcome>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    return inWriteTransaction(base_.database(), base_.errorLog(), [&] { return reconcileLocked(warehouse, counts); });
}

Result<ReconciliationOutcome> StockReconciliation::reconcileLocked(
    qint64 warehouse, const std::vector<LotCount> &counts)
{
    using R = Result<ReconciliationOutcome>;
    // Read inside the transaction, the lots locked: the counts are compared with what the lots hold now.
    if (const Status e = StockLots(base_).lockWarehouse(warehouse); !e)
        return R::failure(e.error());
    const auto listed = StockList(base_).lots(warehouse);
    if (!listed)
        return R::failure(listed.error());
    std::map<qint64, StockListLot> byKey;
    for (const StockListLot &l : *listed)
        byKey.emplace(l.lot, l);
    std::vector<Difference> differences;
    for (const LotCount &c : counts) {
        if (!std::isfinite(c.counted) || c.counted < 0)
            return R::failure(QStringLiteral("Количество не может быть отрицательным: ") + formatNumber(c.counted));
        const auto found = byKey.find(c.lot);
        if (found == byKey.end())
            return R::failure(QStringLiteral("Ошибка идентификации продукта на складе!"));
        if (std::abs(c.counted - found->second.quantity()) > kStockEpsilon)
            differences.push_back({found->second, c.counted});
    }
    if (differences.empty())
        return R::failure(QStringLiteral("Сверка не требуется: подсчитанное совпадает с остатками."));

    const QString number = setting(base_, QStringLiteral("sDefNaklNameByCompare"), QStringLiteral("б/н"));
    const QString note = setting(base_, QStringLiteral("sDefNaklPrimByCompare"), QStringLiteral("Акт сверки"));
    const QDateTime now = base_.now();
    const QDate today = now.date();
    SqlStatement header(base_.database(),
        QStringLiteral("INSERT INTO \"Накладные_Заголовки\" (\"Номер\", \"Дата\", \"Документ\", \"Поставщик\", "
                       "\"Код_Склада\", \"Сумма\", \"Проводка\", \"Дата_Операции\", \"Пользователь\", \"Примечание\") "
                       "VALUES (?, ?, ?, 0, ?, 0, 1, ?, ?, ?) RETURNING \"Код\""),
        base_.errorLog());
    ReconciliationOutcome out;
    for (const DocumentKind kind : {DocumentKind::Incoming, DocumentKind::Outgoing}) {
        const auto key = execInsertReturningKey(
            header, {number, today, static_cast<int>(kind), warehouse, now, base_.user(), note});
        if (!key)
            return R::failure(key.error());
        (kind == DocumentKind::Incoming ? out.incomingHeader : out.outgoingHeader) = *key;
    }

    StockLots lots(base_);
    StockWriteOff trail(base_);
    SqlStatement receipt(base_.database(),
        QStringLiteral("INSERT INTO \"Приход_Товара\" (\"Код_Накл\", \"Номер_Накл\", \"Код_Прод\", \"Код_Поставщика\", "
                       "\"Код_Склада\", \"Код_на_Складе\", \"Дата\", \"Брутто\", \"Нетто\", \"Ед_изм\", \"Цена\", "
                       "\"Наценка\", \"Наценка_Вел\", \"Цена_с_нац\", \"Проводка\", \"Код_Польз\", \"Дата_Операции\", "
                       "\"Код_опер\") VALUES (?, ?, ?, ?, ?, 0, ?, ?, ?, ?, ?, ?, ?, ?, 1, ?, ?, 0) RETURNING \"Код\""),
        base_.errorLog());
    SqlStatement linkLot(base_.database(),
        QStringLiteral("UPDATE \"Приход_Товара\" SET \"Код_на_Складе\" = ? WHERE \"Код\" = ?"), base_.errorLog());
    SqlStatement writeOff(base_.database(),
        QStringLiteral("INSERT INTO \"Расход_Товара\" (\"Код_Накл\", \"Номер_Накл\", \"Код_Прод\", "
                       "\"Название_рецептуры\", \"Выход\", \"Количество_Пор\", \"Код_Склада\", \"Код_Поставщика\", "
                       "\"Код_на_Складе\", \"Брутто\", \"Нетто\", \"Ед_изм\", \"Цена\", \"Наценка\", \"Цена_с_нац\", "
                       "\"Дата\", \"Код_опер\", \"Код_Польз\", \"Дата_Операции\", \"Проводка\") "
                       "VALUES (?, ?, ?, ?, -1, 1, ?, 0, ?, ?, ?, ?, ?, ?, ?, ?, 0, ?, ?, 1)"),
        base_.errorLog());
    const QString dishName = QStringLiteral("акт сверки от ") + actDate(base_, today);
    for (const Difference &d : differences) {
        const StockListLot &l = d.lot;
        const double shown = std::abs(d.counted - l.quantity());
        const LineValues money = computeLineValues({shown, l.price, 0, l.markup});
        if (d.counted > l.quantity()) {
            const double brutto = shown / l.koef;
            const auto inserted = execInsertReturningKey(receipt,
                {out.incomingHeader, number, l.product, l.supplier, warehouse, today, brutto, brutto, l.unit, l.price,
                    l.markup, money.markupAmount, money.value, base_.user(), now});
            if (!inserted)
                return R::failure(inserted.error());
            const qint64 line = *inserted;
            Lot lot;
            lot.product = l.product;
            lot.warehouse = warehouse;
            lot.place = l.place;
            lot.supplier = l.supplier;
            lot.header = out.incomingHeader;
            lot.incomingLine = line;
            lot.date = today;
            lot.brutto = brutto;
            lot.unit = l.unit;
            lot.user = base_.user();
            lot.operationTime = now;
            lot.posted = true;
            const auto created = lots.create(lot);
            if (!created)
                return R::failure(created.error());
            if (const Status e = linkLot.exec({*created, line}); !e)
                return R::failure(e.error());
            ++out.surpluses;
        } else {
            // The lot keeps exactly the count; the line records what left it.
            const double left = d.counted / l.koef;
            const double taken = l.brutto - left;
            const auto took = lots.take(l.lot, d.counted == 0 ? l.brutto : taken);
            if (!took)
                return R::failure(took.error());
            // Like any write-off: the receipt keeps a record of what left its lot.
            if (const Status e = trail.appendTrail(*took, today); !e)
                return R::failure(e.error());
            if (const Status e = writeOff.exec({out.outgoingHeader, number, l.product, dishName, warehouse, l.lot,
                    taken, taken, l.unit, l.price, l.markup, money.value, today, base_.user(), now});
                !e)
                return R::failure(e.error());
            ++out.shortages;
        }
    }

    const int decimals = StockQueries(base_).roundPrice();
    SqlStatement incomingSum(base_.database(),
        QStringLiteral("SELECT SUM(\"Цена_с_нац\") FROM \"Приход_Товара\" WHERE \"Код_Накл\" = ?"), base_.errorLog());
    SqlStatement outgoingSum(base_.database(),
        QStringLiteral("SELECT SUM(\"Цена_с_нац\") FROM \"Расход_Товара\" WHERE \"Код_Накл\" = ?"), base_.errorLog());
    SqlStatement writeSum(base_.database(),
        QStringLiteral("UPDATE \"Накладные_Заголовки\" SET \"Сумма\" = ? WHERE \"Код\" = ?"), base_.errorLog());
    for (auto [sum, key, target] : {std::tuple {&incomingSum, out.incomingHeader, &out.incomingSum},
             std::tuple {&outgoingSum, out.outgoingHeader, &out.outgoingSum}}) {
        if (const Status e = sum->exec({key}); !e)
            return R::failure(e.error());
        *target = sum->next() ? roundTo(sum->value(0).toDouble(), decimals) : 0.0;
        if (const Status e = writeSum.exec({*target, key}); !e)
            return R::failure(e.error());
    }
    return out;
}

} // namespace kulvera
