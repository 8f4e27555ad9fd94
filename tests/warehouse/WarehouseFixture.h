#pragma once

#include "support/TempBases.h"

#include "common/Clock.h"
#include "shell/AppContext.h"
#include "shell/Databases.h"
#include "warehouse/Counterparties.h"
#include "warehouse/IncomingInvoices.h"
#include "warehouse/StockLots.h"
#include "warehouse/WarehouseBase.h"
#include "warehouse/Warehouses.h"

#include <gtest/gtest.h>

namespace kulvera::test {

// A warehouse base and a small product base, attached as the program attaches
// them, a fixed "today", and the unit table: 1 kg (base), 2 g (1000 in a kg),
// 3 a box (0.1: a box holds 10 kg).
class WarehouseFixture : public ::testing::Test
{
protected:
    WarehouseFixture()
        : clock(QDateTime(QDate(2026, 6, 15), QTime(10, 30)))
    {
        EXPECT_NE(bases.create(BaseId::Warehouse), Connections::kFailed);
        EXPECT_NE(bases.create(BaseId::Products), Connections::kFailed);
        attachExternalTables(bases.connections());
        product(1, QStringLiteral("Картофель"), 1);
        product(2, QStringLiteral("Морковь"), 1);
        product(3, QStringLiteral("Соль без единицы"), 99);
        unitRow(1, QStringLiteral("кг"), 1);
        unitRow(2, QStringLiteral("г"), 1000);
        unitRow(3, QStringLiteral("ящ"), 0.1);
        store = Warehouses(base).add(QStringLiteral("Основной")).value();
        supplier = Counterparties(base).add(QStringLiteral("ООО Овощи")).value();
    }

    void product(qint64 key, const QString &name, qint64 unit)
    {
        ASSERT_TRUE(execSql(bases.connections().database(BaseId::Products),
            QStringLiteral("INSERT INTO \"dt010\" (\"Код\", \"Имя\", \"Имя2\", \"ЕдИ_Ц\") VALUES (?, ?, ?, ?)"),
            {key, name, name, unit}));
    }
    void unitRow(qint64 id, const QString &pref, double koef)
    {
        ASSERT_TRUE(base.exec(QStringLiteral("INSERT INTO \"dt105\" (\"ID\", \"Name\", \"Pref\", \"Koef\", \"SGroup\") "
                                             "VALUES (?, ?, ?, ?, 1)"),
            {id, pref, pref, koef}));
    }
    // One number from the warehouse base.
    QVariant scalar(const QString &sql, const QVariantList &values = {})
    {
        SqlStatement s(base.database(), sql);
        if (!s.exec(values) || !s.next())
            return {};
        return s.value(0);
    }
    int rows(const QString &table) { return scalar(QStringLiteral("SELECT COUNT(*) FROM \"") + table + u'"').toInt(); }
    NewInvoice invoice(const QString &number, const QDate &date = QDate(2026, 6, 10))
    {
        return {number, date, supplier, store, {}};
    }
    NewLine line(qint64 productKey, double quantity, double price)
    {
        NewLine l;
        l.product = productKey;
        l.quantity = quantity;
        l.price = price;
        return l;
    }

    TempBases bases;
    FixedClock clock;
    AppContext context {
        bases.prompter(), bases.settings(), bases.shared(), clock, bases.connections(), bases.errorLog()};
    WarehouseBase base {context};
    IncomingInvoices invoices {base};
    StockLots lots {base};
    qint64 store = 0;
    qint64 supplier = 0;
};

} // namespace kulvera::test
