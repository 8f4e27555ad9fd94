#include "warehouse/StockTurnover.h"

#include "common/TextDate.h"
#include "shell/SqlStatement.h"
#include "warehouse/StockLots.h"
#include "warehouse/StockQueries.h"
#include "warehouse/WarehouseBase.h"

#include <algorithm>

namespace kulvera {
namespace {

Status checkPeriod(const TurnoverFilter &f)
{
    if (!f.from.isValid() || !f.to.isValid())
        return Status::failure(QStringLiteral("Неверно указан период отчета."));
    if (f.to < f.from)
        return Status::failure(QStringLiteral("Дата окончания периода раньше даты начала."));
    return {};
}

// Posted quantities of one table over whole days, one product.
class PeriodSum
{
public:
    PeriodSum(const WarehouseBase &base, const QString &table, const TurnoverFilter &f)
        : filter_(f)
        , statement_(base.database(),
              QStringLiteral("SELECT SUM(\"Брутто\") FROM \"") + table
                  + QStringLiteral(
                      "\" WHERE \"Код_Прод\" = ? AND \"Проводка\" <> 0 AND \"Дата\" >= ? AND \"Дата\" <= ?")
                  + (f.warehouse > 0 ? QStringLiteral(" AND \"Код_Склада\" + 0 = ?") : QString())
                  + (f.movements ? QString() : QStringLiteral(" AND \"Код_опер\" <> 1")),
              base.errorLog())
    {
    }
    double operator()(qint64 product, const QDate &first, const QDate &last)
    {
        const DayRange days = wholeDays(first, last);
        QVariantList values {product, days.from, days.to};
        if (filter_.warehouse > 0)
            values << filter_.warehouse;
        const double sum = statement_.exec(values) && statement_.next() ? statement_.value(0).toDouble() : 0.0;
        statement_.finish();
        return sum;
    }

private:
    TurnoverFilter filter_;
    SqlStatement statement_;
};

} // namespace

Result<std::vector<TurnoverRow>> stockTurnover(WarehouseBase &base, const TurnoverFilter &filter)
{
    using R = Result<std::vector<TurnoverRow>>;
    if (const Status c = base.requireConnected(); !c)
        return R::failure(c.error());
    if (const Status p = checkPeriod(filter); !p)
        return R::failure(p.error());
    QString where = QStringLiteral(" WHERE 1 = 1");
    QVariantList values;
    if (filter.warehouse > 0) {
        where += QStringLiteral(" AND i.\"Код_Склада\" = ?");
        values << filter.warehouse;
    }
    if (!filter.movements)
        where += QStringLiteral(" AND i.\"Код_опер\" <> 1");
    // The unit quantities are kept in: the base unit of the group of the
    // product's unit, or that unit itself when its group names no base.
    SqlStatement products(base.database(),
        QStringLiteral("SELECT p.\"Код\", p.\"Имя2\", COALESCE((SELECT b.\"Pref\" FROM \"dt105\" b WHERE "
                       "b.\"SGroup\" = u.\"SGroup\" AND b.\"IsBase\" <> 0 ORDER BY b.\"ID\" LIMIT 1), u.\"Pref\") "
                       "FROM ")
            + base.productTable()
            + QStringLiteral(" p LEFT JOIN \"dt105\" u ON u.\"ID\" = p.\"ЕдИ_Ц\" WHERE p.\"Код\" IN "
                             "(SELECT DISTINCT i.\"Код_Прод\" FROM \"Приход_Товара\" i")
            + where + QStringLiteral(") ORDER BY p.\"Имя2\", p.\"Код\""),
        base.errorLog());
    if (const Status e = products.exec(values); !e)
        return R::failure(e.error());
    std::vector<TurnoverRow> rows;
    while (products.next())
        rows.push_back({0, products.value(0).toLongLong(), products.value(1).toString(), products.value(2).toString()});
    PeriodSum incoming(base, QStringLiteral("Приход_Товара"), filter);
    PeriodSum outgoing(base, QStringLiteral("Расход_Товара"), filter);
    const StockQueries queries(base);
    const StockLots lots(base);
    const QString dayBefore = formatTextDate(filter.from.addDays(-1));
    const QString lastDay = formatTextDate(filter.to);
    int number = 0;
    for (TurnoverRow &r : rows) {
        r.number = ++number;
        r.start = queries.balanceAtDate(r.product, filter.warehouse, dayBefore);
        r.incoming = incoming(r.product, filter.from, filter.to);
        r.outgoing = outgoing(r.product, filter.from, filter.to);
        r.finish = queries.balanceAtDate(r.product, filter.warehouse, lastDay);
        r.current = lots.stockUpTo(r.product, filter.warehouse, std::nullopt);
    }
    return rows;
}

Result<std::vector<TurnoverWeek>> weeklyTurnover(
    WarehouseBase &base, const std::vector<qint64> &products, const TurnoverFilter &filter)
{
    using R = Result<std::vector<TurnoverWeek>>;
    if (const Status c = base.requireConnected(); !c)
        return R::failure(c.error());
    if (const Status p = checkPeriod(filter); !p)
        return R::failure(p.error());
    PeriodSum incoming(base, QStringLiteral("Приход_Товара"), filter);
    PeriodSum outgoing(base, QStringLiteral("Расход_Товара"), filter);
    const StockQueries queries(base);
    std::vector<TurnoverWeek> weeks;
    for (QDate monday = filter.from.addDays(1 - filter.from.dayOfWeek()); monday <= filter.to;
         monday = monday.addDays(7)) {
        const QDate first = std::max(monday, filter.from);
        const QDate last = std::min(monday.addDays(6), filter.to);
        TurnoverWeek w {monday, 0, 0, 0};
        for (const qint64 product : products) {
            w.incoming += incoming(product, first, last);
            w.outgoing += outgoing(product, first, last);
            w.balance += queries.balanceAtDate(product, filter.warehouse, formatTextDate(last));
        }
        weeks.push_back(w);
    }
    return weeks;
}

} // namespace kulvera
