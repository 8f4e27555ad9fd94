#include "shell/BaseSchema.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

const TableDef *findTable(std::span<const TableDef> tables, QStringView name)
{
    for (const TableDef &t : tables) {
        if (t.name == name)
            return &t;
    }
    return nullptr;
}

const ColumnDef *findColumn(const TableDef &table, QStringView name)
{
    for (const ColumnDef &c : table.columns) {
        if (c.name == name)
            return &c;
    }
    return nullptr;
}

void expectSound(const TableDef &table)
{
    SCOPED_TRACE(table.name.toStdString());
    EXPECT_FALSE(table.name.isEmpty());
    EXPECT_FALSE(table.columns.empty());
    QSet<QString> seen;
    int counters = 0;
    for (const ColumnDef &c : table.columns) {
        EXPECT_FALSE(c.name.isEmpty());
        EXPECT_TRUE(!seen.contains(c.name.toLower())) << "repeated column " << c.name.toStdString();
        seen.insert(c.name.toLower());
        counters += c.type == ColumnType::Counter;
    }
    EXPECT_LE(counters, 1);
}

} // namespace

TEST(BaseSchema, EveryBaseHoldsItsIdentifyingTableAndSoundTables)
{
    for (const CatalogueEntry &e : catalogue()) {
        SCOPED_TRACE(baseName(e.id).toStdString());
        const auto tables = schemaOf(e.id);
        const TableDef *identifying = findTable(tables, e.identifyingTable);
        ASSERT_NE(identifying, nullptr);
        // A renamed identifying table must be renamed by the same setting.
        if (e.tableKey) {
            EXPECT_EQ(identifying->nameKey, QStringView(e.tableKey));
        }
        QSet<QString> names;
        for (const TableDef &t : tables) {
            EXPECT_FALSE(names.contains(t.name.toLower())) << "repeated table " << t.name.toStdString();
            names.insert(t.name.toLower());
            expectSound(t);
        }
    }
    expectSound(dishCollectionTable());
}

TEST(BaseSchema, ColumnsTheProgramReliesOn)
{
    const TableDef *products = findTable(schemaOf(BaseId::Products), u"dt010");
    ASSERT_NE(products, nullptr);
    EXPECT_EQ(products->nameKey, u"tbProd");
    for (const char16_t *name : {u"Код", u"Имя", u"Имя2", u"Код_Группы", u"Разм", u"Цена", u"ЕдИ_Ц", u"Потери12",
             u"Список12", u"l72", u"цистин", u"арахидоновая", u"pH"})
        EXPECT_NE(findColumn(*products, name), nullptr) << QString::fromUtf16(name).toStdString();
    EXPECT_EQ(findColumn(*products, u"Разм")->defaultValue, u"0");
    EXPECT_EQ(findColumn(*products, u"ЕдИ_Ц")->type, ColumnType::Long);
    EXPECT_EQ(findColumn(*products, u"ЕдИ_Ц")->defaultValue, u"1");
    EXPECT_TRUE(findColumn(*products, u"Код")->indexed);

    const TableDef &collection = dishCollectionTable();
    EXPECT_EQ(collection.columns.front().name, u"ID");
    EXPECT_EQ(collection.columns.front().type, ColumnType::Counter);
    for (int n = 1; n <= 49; ++n)
        EXPECT_NE(findColumn(collection, QStringLiteral("l%1").arg(n)), nullptr) << n;

    const TableDef *rations = findTable(schemaOf(BaseId::Menu), u"base_temp");
    ASSERT_NE(rations, nullptr);
    EXPECT_NE(findColumn(*rations, u"l32"), nullptr);
    EXPECT_EQ(findColumn(*rations, u"l33"), nullptr);
    EXPECT_NE(findTable(schemaOf(BaseId::Menu), u"BlocksDates"), nullptr);
    EXPECT_NE(findTable(schemaOf(BaseId::Warehouse), u"Склад"), nullptr);
    EXPECT_EQ(schemaOf(BaseId::ProductsSync).size(), schemaOf(BaseId::Products).size());
}
