#include "products/ProductFields.h"
#include "products/ProductRow.h"
#include "products/colProds.h"
#include "shell/Recordset.h"
#include "shell/SqlDialect.h"
#include "support/TempBases.h"

#include <QSet>

#include <algorithm>

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::TempBases;

namespace {

QSqlDatabase productDb(TempBases &t)
{
    EXPECT_EQ(t.create(BaseId::Products), static_cast<int>(BaseId::Products));
    return t.connections().database(BaseId::Products);
}

Recordset openProduct(TempBases &t, qint64 key)
{
    Recordset rs(t.connections().database(BaseId::Products), &t.errorLog());
    EXPECT_TRUE(rs.openTable(QStringLiteral("dt010"), QStringLiteral("\"Код\" = ?"), {key}).ok());
    return rs;
}

} // namespace

TEST(CompositionFields, EveryColumnIsInTheProductTableAndEveryMemberAppearsOnce)
{
    TempBases t;
    const QSqlDatabase db = productDb(t);
    const QStringList columns = SqlDialect::of(db).columns(db, QStringLiteral("dt010"));
    QSet<QString> seenColumns;
    std::vector<double clsProds::*> seenMembers;
    for (const CompositionField &f : compositionFields()) {
        EXPECT_EQ(std::count(seenMembers.begin(), seenMembers.end(), f.member), 0);
        seenMembers.push_back(f.member);
        if (!f.column)
            continue;
        const QString c = QString::fromUtf16(f.column);
        EXPECT_TRUE(columns.contains(c)) << c.toStdString();
        EXPECT_FALSE(seenColumns.contains(c)) << c.toStdString();
        seenColumns.insert(c);
        EXPECT_EQ(compositionFieldByColumn(c), &f);
    }
    // Every column the writer names exists, so a full row can be stored.
    for (const QString &c : productWritableColumns())
        EXPECT_TRUE(columns.contains(c)) << c.toStdString();
    EXPECT_EQ(compositionFieldByColumn(u"Нет такой"), nullptr);
}

TEST(ProductColumns, NullCompositionReadsAsZeroAndNullTextsAsEmpty)
{
    TempBases t;
    const QSqlDatabase db = productDb(t);
    // Composition columns default to 0; a row written by an older program holds nulls.
    QStringList sets;
    for (const CompositionField &f : compositionFields()) {
        if (f.column)
            sets << SqlDialect::of(db).quote(QString::fromUtf16(f.column)) + QStringLiteral(" = NULL");
    }
    ASSERT_TRUE(execSql(db, QStringLiteral("INSERT INTO \"dt010\" (\"Код\") VALUES (7)")).ok());
    ASSERT_TRUE(execSql(db, QStringLiteral("UPDATE \"dt010\" SET ") + sets.join(u", ")).ok());

    Recordset rs = openProduct(t, 7);
    ASSERT_EQ(rs.rowCount(), 1);
    const ProductColumnMap map(rs.fieldNames());
    const ProductRow row = map.read([&](int i) { return rs.value(i); });
    for (const CompositionField &f : compositionFields())
        EXPECT_EQ(row.prod.*f.member, 0.0) << (f.column ? QString::fromUtf16(f.column).toStdString() : "");
    EXPECT_EQ(row.key(), 7);
    EXPECT_TRUE(row.prod.FullName.isEmpty());
    EXPECT_TRUE(row.prod.ND.isEmpty());
    EXPECT_EQ(row.priceUnit, 1);
    EXPECT_FALSE(row.losses[0].has_value());
    EXPECT_EQ(prodNumber(rs, QStringLiteral("Вода")), 0.0);
    EXPECT_EQ(prodText(rs, QStringLiteral("Имя2")), QString());
    EXPECT_EQ(prodVariant(rs, 1), QString());
}

TEST(ProductColumns, RastIsVegetableForBooleanTrueAndDaInAnyCase)
{
    EXPECT_TRUE(rastValue(QStringLiteral("Да")));
    EXPECT_TRUE(rastValue(QStringLiteral("ДА")));
    EXPECT_TRUE(rastValue(QStringLiteral("да")));
    EXPECT_TRUE(rastValue(QStringLiteral(" дА ")));
    EXPECT_TRUE(rastValue(true));
    EXPECT_TRUE(rastValue(-1));
    EXPECT_FALSE(rastValue(false));
    EXPECT_FALSE(rastValue(0));
    EXPECT_FALSE(rastValue(QStringLiteral("Нет")));
    EXPECT_FALSE(rastValue(QStringLiteral("Дата")));
    EXPECT_FALSE(rastValue(QStringLiteral("")));
    EXPECT_FALSE(rastValue(QVariant()));

    // Through the table: the writer's text reads back, an engine flag too.
    TempBases t;
    const QSqlDatabase db = productDb(t);
    ASSERT_TRUE(
        execSql(db, QStringLiteral("INSERT INTO \"dt010\" (\"Код\", \"Rast\") VALUES (1, 'дА'), (2, 'yes'), (3, NULL)"))
            .ok());
    Recordset rs(db, &t.errorLog());
    ASSERT_TRUE(rs.openTable(QStringLiteral("dt010"), {}, {}, QStringLiteral("\"Код\"")).ok());
    EXPECT_TRUE(prodRast(rs));
    rs.moveNext();
    EXPECT_FALSE(prodRast(rs));
    ASSERT_TRUE(rs.edit().ok());
    ASSERT_TRUE(setProdRast(rs, true).ok());
    ASSERT_TRUE(rs.update().ok());
    rs.moveNext();
    EXPECT_FALSE(prodRast(rs));
    Recordset again = openProduct(t, 2);
    EXPECT_TRUE(prodRast(again));
}

TEST(ProductColumns, LossVariantsOneToTwelveByNumberAndThirteenReadsZeroWithoutTheTable)
{
    TempBases t;
    const QSqlDatabase db = productDb(t);
    // A column "Потери13" would be read if the reader built names blindly.
    ASSERT_TRUE(execSql(db, QStringLiteral("ALTER TABLE \"dt010\" ADD COLUMN \"Потери13\" REAL")).ok());
    ASSERT_TRUE(execSql(db,
        QStringLiteral("INSERT INTO \"dt010\" (\"Код\", \"Потери1\", \"Потери12\", \"Список12\", \"Потери13\")"
                       " VALUES (1, 80, 75.5, 'Декабрь', 55)"))
                    .ok());
    Recordset rs = openProduct(t, 1);
    EXPECT_EQ(prodLoss(rs, 1), 80.0);
    EXPECT_EQ(prodLoss(rs, 12), 75.5);
    EXPECT_EQ(prodVariant(rs, 12), u"Декабрь");
    EXPECT_EQ(prodLoss(rs, 13), 0.0);
    EXPECT_EQ(prodLoss(rs, 0), 0.0);
    EXPECT_EQ(prodVariant(rs, 13), QString());

    ASSERT_TRUE(rs.edit().ok());
    EXPECT_FALSE(setProdLoss(rs, 13, 10).ok());
    ASSERT_TRUE(setProdLoss(rs, 2, 90).ok());
    ASSERT_TRUE(setProdVariant(rs, 2, QStringLiteral("Очистка")).ok());
    ASSERT_TRUE(setProdFlag(rs, QStringLiteral("l72"), true).ok());
    ASSERT_TRUE(setProdNumber(rs, QStringLiteral("Out"), 90).ok());
    ASSERT_TRUE(setProdText(rs, QStringLiteral("Имя2"), QStringLiteral("Картофель 'ранний'")).ok());
    ASSERT_TRUE(rs.update().ok());

    Recordset again = openProduct(t, 1);
    const ProductRow row = ProductColumnMap(again.fieldNames()).read([&](int i) { return again.value(i); });
    EXPECT_EQ(row.losses[1], 90.0);
    EXPECT_EQ(row.variants[1], u"Очистка");
    EXPECT_TRUE(row.l72);
    EXPECT_EQ(row.out, 90.0);
    EXPECT_EQ(row.prod.Out, u"90");
    EXPECT_EQ(row.prod.FullName, u"Картофель 'ранний'");
}

TEST(ProductColumns, NumbersStoredAsTextAcceptCommaOrPoint)
{
    EXPECT_EQ(numberValue(QStringLiteral("12,5")), 12.5);
    EXPECT_EQ(numberValue(QStringLiteral("12.5")), 12.5);
    EXPECT_EQ(numberValue(QStringLiteral("abc")), 0.0);
    EXPECT_FALSE(optionalNumber(QStringLiteral(" ")).has_value());
    EXPECT_FALSE(optionalNumber(QVariant(QMetaType(QMetaType::Double))).has_value());
}

TEST(colProds, KeyedAndUnkeyedItemsKeepInsertionOrderAndOneBasedPositions)
{
    colProds list;
    clsProds a;
    a.FullName = QStringLiteral("Морковь");
    clsProds b;
    b.FullName = QStringLiteral("Свёкла");
    clsProds c;
    c.FullName = QStringLiteral("Лук");
    ASSERT_NE(list.Add(a, QStringLiteral("K1")), nullptr);
    ASSERT_NE(list.Add(b), nullptr);
    clsProds *third = list.Add(c, QStringLiteral("k3"));
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(list.Add(a, QStringLiteral("k1")), nullptr); // key taken, letter case aside
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Item(1)->FullName, u"Морковь");
    EXPECT_EQ(list.Item(QStringLiteral("K3"))->FullName, u"Лук");
    EXPECT_EQ(list.Item(0), nullptr);
    EXPECT_EQ(list.Item(4), nullptr);
    EXPECT_EQ(list.Item(QStringLiteral("none")), nullptr);

    // Removing the first shifts positions but keys still find their items,
    // and a record held elsewhere stays valid.
    ASSERT_TRUE(list.Remove(QStringLiteral("k1")));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Item(QStringLiteral("k3")), third);
    EXPECT_EQ(list.Item(2), third);
    EXPECT_FALSE(list.Remove(QStringLiteral("k1")));
    EXPECT_FALSE(list.Remove(3));
    ASSERT_NE(list.Add(a, QStringLiteral("k1")), nullptr); // the key is free again

    QStringList order;
    for (const clsProds &p : list)
        order << p.FullName;
    EXPECT_EQ(order, (QStringList {QStringLiteral("Свёкла"), QStringLiteral("Лук"), QStringLiteral("Морковь")}));
    ASSERT_TRUE(list.Remove(1));
    EXPECT_EQ(list.Item(QStringLiteral("K1"))->FullName, u"Морковь");
    EXPECT_EQ(list.Item(QStringLiteral("K1")), list.Item(2));
}

TEST(CompositionFields, SummingAndScalingWalkEveryField)
{
    clsProds a;
    clsProds b;
    for (const CompositionField &f : compositionFields()) {
        a.*f.member = 1.0;
        b.*f.member = 2.0;
    }
    addComposition(a, b, 0.5);
    scaleComposition(a, 10.0);
    for (const CompositionField &f : compositionFields())
        EXPECT_EQ(a.*f.member, f.summed ? 20.0 : 10.0);
}
