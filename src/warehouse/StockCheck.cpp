#include "warehouse/StockCheck.h"

#include "shell/SqlStatement.h"
#include "warehouse/WarehouseBase.h"

#include <cmath>
#include <map>
#include <utility>

namespace kulvera {

Result<std::vector<StockDifference>> checkStock(const WarehouseBase &base)
{
    using R = Result<std::vector<StockDifference>>;
    if (const Status c = base.requireConnected(); !c)
        return R::failure(c.error());
    using Key = std::pair<qint64, qint64>; // product, warehouse
    std::map<Key, std::pair<double, double>> figures; // lots, lines
    const auto add = [&](const QString &sql, bool lots, double sign) -> Status {
        SqlStatement s(base.database(), sql, base.errorLog());
        if (const Status e = s.exec(); !e)
            return e;
        while (s.next()) {
            auto &f = figures[{s.value(0).toLongLong(), s.value(1).toLongLong()}];
            (lots ? f.first : f.second) += sign * s.value(2).toDouble();
        }
        return {};
    };
    const QString grouped = QStringLiteral(" GROUP BY \"Код_Прод\", \"Код_Склада\"");
    if (const Status e = add(QStringLiteral("SELECT \"Код_Прод\", \"Код_Склада\", SUM(\"Брутто\") FROM \"Склад\" "
                                            "WHERE \"Проводка\" <> 0")
                + grouped,
            true, 1);
        !e)
        return R::failure(e.error());
    if (const Status e = add(QStringLiteral("SELECT \"Код_Прод\", \"Код_Склада\", SUM(\"Брутто\") FROM "
                                            "\"Приход_Товара\" WHERE \"Проводка\" <> 0")
                + grouped,
            false, 1);
        !e)
        return R::failure(e.error());
    if (const Status e = add(QStringLiteral("SELECT \"Код_Прод\", \"Код_Склада\", SUM(\"Брутто\") FROM "
                                            "\"Расход_Товара\" WHERE \"Проводка\" <> 0")
                + grouped,
            false, -1);
        !e)
        return R::failure(e.error());
    std::vector<StockDifference> differences;
    for (const auto &[key, f] : figures) {
        if (std::abs(f.first - f.second) >= 0.000005)
            differences.push_back({key.first, key.second, f.first, f.second});
    }
    return differences;
}

} // namespace kulvera
