#pragma once

#include "support/TempBases.h"

#include "menus/Ration.h"
#include "recipes/clsBludo.h"
#include "shell/SettingDefaults.h"

#include <QString>

#include <gtest/gtest.h>

namespace kulvera::test {

// A product position of a dish: key "pro" + number, product code, masses.
inline clsBludo productLine(int n, const QString &code, double brutto, double netto = -1)
{
    clsProds p;
    p.Kod = QStringLiteral("pro0000%1").arg(n, 4, 10, QChar(u'0'));
    p.ID_Prod = code;
    p.FullName = QStringLiteral("Продукт ") + code;
    p.Brutto = brutto;
    p.Netto = netto < 0 ? brutto : netto;
    return clsBludo(p);
}

inline colBludo dishOf(std::initializer_list<clsBludo> lines)
{
    colBludo dish;
    clsProds header;
    header.Kod = QStringLiteral("bld00000001");
    header.FullName = QStringLiteral("Блюдо");
    dish.Add(clsBludo(header));
    for (const clsBludo &b : lines)
        dish.Add(b);
    return dish;
}

// Bases with a product table, the warehouse's units and the menu base.
class CostingBases : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(bases.create(BaseId::Products), Connections::kFailed);
        ASSERT_NE(bases.create(BaseId::Warehouse), Connections::kFailed);
        ASSERT_NE(bases.create(BaseId::Menu), Connections::kFailed);
    }

    QSqlDatabase db(BaseId id) { return bases.connections().database(id); }

    void addProduct(qint64 code, const QVariant &price, const QVariant &unit = QVariant())
    {
        const QString table = readSetting(bases.settings(), Section::Prod, QStringLiteral("tbProd"));
        ASSERT_TRUE(execSql(db(BaseId::Products),
            QStringLiteral("INSERT INTO \"%1\" (\"Код\", \"Имя\", \"Цена\", \"ЕдИ_Ц\") VALUES (?, ?, ?, ?)").arg(table),
            {code, QStringLiteral("Продукт %1").arg(code), price, unit}));
    }

    void addUnit(qint64 id, double koef)
    {
        ASSERT_TRUE(execSql(db(BaseId::Warehouse),
            QStringLiteral("INSERT INTO \"dt105\" (\"ID\", \"Name\", \"Koef\", \"SGroup\") VALUES (?, ?, ?, 1)"),
            {id, QStringLiteral("ед%1").arg(id), koef}));
    }

    void setData(const QString &key, const QString &value) { bases.settings().save(Section::Data, key, value); }

    TempBases bases;
};

} // namespace kulvera::test
