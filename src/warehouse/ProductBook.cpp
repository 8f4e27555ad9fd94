#include "warehouse/ProductBook.h"

#include "common/SettingsAccess.h"
#include "common/TextDate.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"
#include "warehouse/StockQueries.h"
#include "warehouse/WarehouseBase.h"

namespace kulvera {

void readBookListing(const SettingsAccess &settings, ProductBookFilter &filter)
{
    filter.fullIncoming
        = settings.get(Section::Data, QStringLiteral("bFullIncomPB"), QStringLiteral("1")).trimmed() == u"1";
    filter.fullOutgoing
        = settings.get(Section::Data, QStringLiteral("bFullExpPB"), QStringLiteral("0")).trimmed() == u"1";
}

Result<std::vector<ProductBookSection>> productBook(WarehouseBase &base, const ProductBookFilter &filter)
{
    using R = Result<std::vector<ProductBookSection>>;
    if (const Status c = base.requireConnected(); !c)
        return R::failure(c.error());
    if (!filter.from.isValid() || !filter.to.isValid() || filter.to < filter.from)
        return R::failure(QStringLiteral("Неверно указан период отчета."));
    QString lineFilter = QStringLiteral(" AND l.\"Проводка\" <> 0 AND l.\"Дата\" >= ? AND l.\"Дата\" <= ?");
    const DayRange days = wholeDays(filter.from, filter.to);
    QVariantList lineValues {days.from, days.to};
    if (filter.warehouse > 0) {
        lineFilter += QStringLiteral(" AND l.\"Код_Склада\" + 0 = ?");
        lineValues << filter.warehouse;
    }
    if (!filter.movements)
        lineFilter += QStringLiteral(" AND l.\"Код_опер\" <> 1");

    std::vector<ProductBookSection> sections;
    SqlStatement name(base.database(),
        QStringLiteral("SELECT \"Имя2\" FROM ") + base.productTable() + QStringLiteral(" WHERE \"Код\" = ?"),
        base.errorLog());
    if (filter.products.empty()) {
        QString sql = QStringLiteral("SELECT p.\"Код\", p.\"Имя2\" FROM ") + base.productTable()
            + QStringLiteral(
                " p WHERE p.\"Код\" IN (SELECT DISTINCT l.\"Код_Прод\" FROM \"Приход_Товара\" l WHERE 1 = 1");
        QVariantList values;
        if (filter.warehouse > 0) {
            sql += QStringLiteral(" AND l.\"Код_Склада\" = ?");
            values << filter.warehouse;
        }
        SqlStatement all(base.database(), sql + QStringLiteral(") ORDER BY p.\"Имя2\", p.\"Код\""), base.errorLog());
        if (const Status e = all.exec(values); !e)
            return R::failure(e.error());
        while (all.next())
            sections.push_back({all.value(0).toLongLong(), all.value(1).toString(), 0, {}, {}, 0});
    } else {
        for (const qint64 product : filter.products) {
            if (!name.exec({product}) || !name.next())
                return R::failure(QStringLiteral("Продукт не найден: ") + QString::number(product));
            sections.push_back({product, name.value(0).toString(), 0, {}, {}, 0});
            name.finish();
        }
    }

    SqlStatement receipts(base.database(),
        QStringLiteral("SELECT l.\"Дата\", l.\"Номер_Накл\", l.\"Брутто\" FROM \"Приход_Товара\" l "
                       "WHERE l.\"Код_Прод\" = ?")
            + lineFilter + QStringLiteral(" ORDER BY l.\"Дата\", l.\"Код\""),
        base.errorLog());
    SqlStatement outgoing(base.database(),
        QStringLiteral("SELECT l.\"Дата\", h.\"Номер\", l.\"Брутто\" FROM \"Расход_Товара\" l "
                       "LEFT JOIN \"Накладные_Заголовки\" h ON h.\"Код\" = l.\"Код_Накл\" WHERE l.\"Код_Прод\" = ?")
            + lineFilter + QStringLiteral(" ORDER BY l.\"Дата\", l.\"Код\""),
        base.errorLog());
    const auto entries = [&](SqlStatement &s, qint64 product, bool full, std::vector<BookEntry> &into) -> Status {
        if (const Status e = s.exec(QVariantList {product} + lineValues); !e)
            return e;
        BookEntry sum;
        while (s.next()) {
            const double quantity = s.value(2).toDouble();
            if (full)
                into.push_back({storedDate(s.value(0)), s.value(1).toString(), quantity});
            else
                sum.quantity += quantity;
        }
        s.finish();
        if (!full)
            into.push_back(sum);
        return {};
    };
    const StockQueries queries(base);
    const QString dayBefore = formatTextDate(filter.from.addDays(-1));
    const QString lastDay = formatTextDate(filter.to);
    for (ProductBookSection &section : sections) {
        section.opening = queries.balanceAtDate(section.product, filter.warehouse, dayBefore);
        if (const Status e = entries(receipts, section.product, filter.fullIncoming, section.receipts); !e)
            return R::failure(e.error());
        if (const Status e = entries(outgoing, section.product, filter.fullOutgoing, section.outgoing); !e)
            return R::failure(e.error());
        section.closing = queries.balanceAtDate(section.product, filter.warehouse, lastDay);
    }
    return sections;
}

} // namespace kulvera
