#include "warehouse/StockList.h"

#include "common/NumberText.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"
#include "warehouse/StockLots.h"
#include "warehouse/WarehouseBase.h"

namespace kulvera {

StockList::StockList(WarehouseBase &base)
    : base_(base)
{
}

Result<std::vector<StockTotal>> StockList::totals(qint64 warehouse) const
{
    using R = Result<std::vector<StockTotal>>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT p.\"Код\", p.\"Имя2\", SUM(l.\"Брутто\") FROM \"Склад\" l JOIN ") + base_.productTable()
            + QStringLiteral(" p ON p.\"Код\" = l.\"Код_Прод\" WHERE l.\"Код_Склада\" = ? AND l.\"Проводка\" <> 0 "
                             "GROUP BY p.\"Имя2\", p.\"Код\" ORDER BY p.\"Имя2\", p.\"Код\""),
        base_.errorLog());
    if (const Status e = s.exec({warehouse}); !e)
        return R::failure(e.error());
    std::vector<StockTotal> rows;
    while (s.next())
        rows.push_back({s.value(0).toLongLong(), s.value(1).toString(), s.value(2).toDouble()});
    return rows;
}

Result<std::vector<StockListLot>> StockList::lots(qint64 warehouse) const
{
    using R = Result<std::vector<StockListLot>>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    // Outer joins throughout: a lot must not drop out of the list (and so out
    // of its total) because a name it points to is missing.
    SqlStatement s(base_.database(),
        QStringLiteral(
            "SELECT l.\"Код\", l.\"Код_Прод\", p.\"Имя2\", l.\"Код_Поставщика\", m.\"l1\", g.\"Цена\", g.\"Наценка\", "
            "g.\"Цена_с_нац\", l.\"Дата\", l.\"Брутто\", l.\"Ед_изм\", e.\"Pref\", e.\"Koef\", l.\"Код_Полки\", "
            "r.\"Структура_Название\", l.\"Дата_Операции\", l.\"Код_Польз\", u.\"Имя_Пользователя\" "
            "FROM \"Склад\" l LEFT JOIN ")
            + base_.productTable()
            + QStringLiteral(
                " p ON p.\"Код\" = l.\"Код_Прод\" LEFT JOIN \"dt101\" m ON m.\"ID\" = l.\"Код_Поставщика\" "
                "LEFT JOIN \"dt105\" e ON e.\"ID\" = l.\"Ед_изм\" "
                "LEFT JOIN \"Склады_Структура\" r ON r.\"Код\" = l.\"Код_Полки\" AND l.\"Код_Полки\" <> 0 "
                "LEFT JOIN \"Пользователи\" u ON u.\"Код\" = l.\"Код_Польз\" "
                "LEFT JOIN \"Приход_Товара\" g ON g.\"Код\" = (SELECT MIN(i.\"Код\") FROM \"Приход_Товара\" i "
                "WHERE i.\"Код_на_Складе\" = l.\"Код\") "
                "WHERE l.\"Код_Склада\" = ? AND l.\"Проводка\" <> 0 AND l.\"Брутто\" > 0 "
                "ORDER BY p.\"Имя2\", l.\"Дата\", l.\"Код\""),
        base_.errorLog());
    if (const Status e = s.exec({warehouse}); !e)
        return R::failure(e.error());
    std::vector<StockListLot> rows;
    while (s.next()) {
        StockListLot v;
        v.lot = s.value(0).toLongLong();
        v.product = s.value(1).toLongLong();
        v.productName = s.value(2).toString();
        v.supplier = s.value(3).toLongLong();
        v.supplierName = s.value(4).toString();
        v.price = s.value(5).toDouble();
        v.markup = s.value(6).toDouble();
        v.value = s.value(7).toDouble();
        v.date = storedDate(s.value(8));
        v.brutto = s.value(9).toDouble();
        v.unit = s.value(10).toLongLong();
        v.unitPref = s.value(11).toString();
        const double koef = s.value(12).toDouble();
        v.koef = s.value(12).isNull() || koef == 0 ? 1.0 : koef;
        v.place = s.value(13).toLongLong();
        v.placeName = s.value(14).toString();
        v.operationTime = storedDateTime(s.value(15));
        v.user = s.value(16).toLongLong();
        v.userName = s.value(17).toString();
        rows.push_back(std::move(v));
    }
    return rows;
}

Status StockList::setPlace(qint64 lot, qint64 place)
{
    if (const Status c = base_.requireConnected(); !c)
        return c;
    return StockLots(base_).setPlace(lot, place);
}

double stockValue(const std::vector<StockListLot> &lots)
{
    double total = 0;
    for (const StockListLot &l : lots)
        total += l.quantity() * l.priceWithMarkup();
    return roundTo(total, 2);
}

QString stockListHeading(const QString &warehouseName, double total)
{
    return QStringLiteral("Остатки продуктов '") + warehouseName + QStringLiteral("', итого: ") + formatFixed(total, 2)
        + QStringLiteral(" руб.");
}

} // namespace kulvera
