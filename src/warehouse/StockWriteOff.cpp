#include "warehouse/StockWriteOff.h"

#include "common/NumberText.h"
#include "common/TextDate.h"
#include "shell/SqlConflict.h"
#include "shell/SqlStatement.h"
#include "warehouse/WarehouseBase.h"

#include <map>

namespace kulvera {

StockWriteOff::StockWriteOff(WarehouseBase &base)
    : base_(base)
    , lots_(base)
{
}

StockWriteOff::~StockWriteOff() = default;

double StockWriteOff::shortage(
    qint64 product, double quantity, qint64 warehouse, const std::optional<QDate> &date) const
{
    const double missing = quantity - lots_.stockUpTo(product, warehouse, date);
    return missing > kStockEpsilon ? missing : 0.0;
}

Result<std::vector<LotTake>> StockWriteOff::take(
    qint64 product, double quantity, qint64 warehouse, const std::optional<QDate> &date)
{
    using R = Result<std::vector<LotTake>>;
    auto taken = lots_.takeOldestFirst(product, warehouse, quantity, date);
    if (!taken)
        return taken;
    for (const LotTake &t : *taken) {
        if (const Status e = appendTrail(t, date); !e)
            return R::failure(e.error());
    }
    return taken;
}

Result<std::vector<LotTake>> StockWriteOff::prodMinus(
    qint64 product, double quantity, qint64 warehouse, const std::optional<QDate> &date)
{
    using R = Result<std::vector<LotTake>>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    auto taken = inWriteTransaction(
        base_.database(), base_.errorLog(), [&] { return take(product, quantity, warehouse, date); });
    if (taken)
        logDeletions(*taken);
    return taken;
}

Status StockWriteOff::writeOffAll(
    const std::vector<WriteOffItem> &items, qint64 warehouse, const std::optional<QDate> &date)
{
    if (const Status c = base_.requireConnected(); !c)
        return c;
    // A product named on several lines is taken once, in its whole quantity.
    std::map<qint64, double> needed;
    for (const WriteOffItem &item : items) {
        if (!(item.quantity >= 0))
            return Status::failure(
                QStringLiteral("Количество не может быть отрицательным: ") + formatNumber(item.quantity));
        needed[item.product] += item.quantity;
    }
    std::vector<LotTake> all;
    const Status done = runWriteTransaction(base_.database(), base_.errorLog(), [&]() -> Status {
        all.clear();
        QStringList short_;
        for (const auto &[product, quantity] : needed) {
            if (const double missing = shortage(product, quantity, warehouse, date); missing > 0) {
                short_ << QStringLiteral("Продукта с кодом ") + QString::number(product) + QStringLiteral(" (")
                        + productName(product) + QStringLiteral(") недостаточно на складе! Не хватает: ")
                        + formatNumber(roundTo(missing, 5));
            }
        }
        if (!short_.isEmpty())
            return Status::failure(QStringLiteral("Часть продуктов не хватает на складе!\n") + short_.join(u'\n'));
        for (const auto &[product, quantity] : needed) {
            if (quantity <= 0)
                continue;
            const auto taken = take(product, quantity, warehouse, date);
            if (!taken)
                return Status::failure(taken.error());
            all.insert(all.end(), taken->begin(), taken->end());
        }
        return {};
    });
    if (done)
        logDeletions(all);
    return done;
}

Status StockWriteOff::appendTrail(const LotTake &taken, const std::optional<QDate> &date)
{
    if (!readTrail_) {
        readTrail_ = std::make_unique<SqlStatement>(base_.database(),
            QStringLiteral("SELECT \"Код\", \"Списание_Детали\" FROM \"Приход_Товара\" WHERE \"Код_на_Складе\" = ?")
                + rowLockSuffix(base_.database()),
            base_.errorLog());
        writeTrail_ = std::make_unique<SqlStatement>(base_.database(),
            QStringLiteral("UPDATE \"Приход_Товара\" SET \"Списание_Детали\" = ? WHERE \"Код\" = ?"), base_.errorLog());
    }
    if (const Status e = readTrail_->exec({taken.lot}); !e)
        return e;
    std::vector<std::pair<qint64, QString>> lines;
    while (readTrail_->next())
        lines.emplace_back(readTrail_->value(0).toLongLong(), readTrail_->value(1).toString());
    readTrail_->finish();
    const QString pair
        = (date && date->isValid() ? formatTextDate(*date) : QString()) + u',' + formatNumber(taken.quantity);
    for (const auto &[key, trail] : lines) {
        if (const Status e = writeTrail_->exec({trail.isEmpty() ? pair : trail + u';' + pair, key}); !e)
            return e;
    }
    return {};
}

void StockWriteOff::logDeletions(const std::vector<LotTake> &taken) const
{
    for (const LotTake &t : taken) {
        if (t.deleted)
            base_.logDeletion(QStringLiteral("mWS - ProdMinus"));
    }
}

QString StockWriteOff::productName(qint64 product) const
{
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT \"Имя2\" FROM ") + base_.productTable() + QStringLiteral(" WHERE \"Код\" = ?"),
        base_.errorLog());
    return s.exec({product}) && s.next() ? s.value(0).toString() : QString();
}

} // namespace kulvera
