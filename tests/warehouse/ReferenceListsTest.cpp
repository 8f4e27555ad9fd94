#include "WarehouseFixture.h"

#include "warehouse/ReferenceGuard.h"

using namespace kulvera;
using kulvera::test::WarehouseFixture;

namespace {

using Answer = Prompter::Answer;

class ReferenceLists : public WarehouseFixture
{
};

TEST_F(ReferenceLists, WarehousesAndPlacesStartWithTheirDefaultNamesAndAnEmptyMarkupIsZero)
{
    Warehouses w(base);
    const qint64 key = w.add().value();
    EXPECT_EQ(w.find(key)->name, QStringLiteral("Новый склад"));
    ASSERT_TRUE(w.setMarkup(key, QStringLiteral("12,5")));
    EXPECT_DOUBLE_EQ(w.find(key)->markup, 12.5);
    ASSERT_TRUE(w.setMarkup(key, QStringLiteral("  ")));
    EXPECT_EQ(w.find(key)->markup, 0);
    // Stored as a number, not as the text typed.
    if (test::testOnServer())
        EXPECT_EQ(
            scalar(QStringLiteral("SELECT \"Доп_Нац\" = 0 FROM \"Склады\" WHERE \"Код\" = ?"), {key}).toBool(), true);
    else
        EXPECT_EQ(
            scalar(QStringLiteral("SELECT typeof(\"Доп_Нац\") FROM \"Склады\" WHERE \"Код\" = ?"), {key}).toString(),
            QStringLiteral("real"));
    ASSERT_TRUE(w.setMarkup(key, QStringLiteral("7")));
    EXPECT_FALSE(w.setMarkup(key, QStringLiteral("семь")));
    EXPECT_DOUBLE_EQ(w.find(key)->markup, 7);

    const qint64 place = w.addPlace(key).value();
    EXPECT_EQ(w.places(key)->front().name, QStringLiteral("Новое место"));
    ASSERT_TRUE(w.renamePlace(place, QStringLiteral("Холодильник")));
    EXPECT_EQ(w.places(key)->front().name, QStringLiteral("Холодильник"));
    EXPECT_EQ(w.findByNameOrKey(QStringLiteral("основной"))->key, store);
    EXPECT_EQ(w.findByNameOrKey(QString::number(key))->key, key);
    EXPECT_FALSE(w.findByNameOrKey(QStringLiteral("Нет такого")));
}

TEST_F(ReferenceLists, DeletingAWarehouseAsksTakesItsPlacesAndKeepsItsLotsAndDocuments)
{
    auto &prompter = bases.prompter();
    Warehouses w(base);
    const qint64 place = w.addPlace(store, QStringLiteral("Полка 1")).value();
    const qint64 h = invoices.receive(invoice(QStringLiteral("1")), {line(1, 5, 10)}).value();

    prompter.expect(QStringLiteral("Удалить склад 'Основной'?"), Answer::No);
    EXPECT_FALSE(w.remove(store));
    EXPECT_TRUE(w.find(store));

    prompter.expect(QStringLiteral("Удалить склад 'Основной'?"), Answer::Yes);
    ASSERT_TRUE(w.remove(store));
    EXPECT_EQ(prompter.shown().back().text,
        QStringLiteral("Удалить склад 'Основной'?\nВсе проводки по этому складу перестанут работать!\n"
                       "Удалятся и все структурные элементы!\nВосстановление информации невозможно!\nКод: 10006!"));
    EXPECT_FALSE(w.find(store));
    EXPECT_TRUE(w.places(store)->empty());
    EXPECT_TRUE(invoices.header(h));
    EXPECT_DOUBLE_EQ(lots.stock(1, store), 5); // balances of the deleted warehouse still add up
    (void)place;
    EXPECT_TRUE(prompter.unexpected().isEmpty());
}

TEST_F(ReferenceLists, DeletingAPlaceAsksAndLotsKeepTheirPlace)
{
    auto &prompter = bases.prompter();
    Warehouses w(base);
    const qint64 place = w.addPlace(store, QStringLiteral("Полка 1")).value();
    invoices.receive(invoice(QStringLiteral("1")), {line(1, 5, 10)}).value();
    ASSERT_TRUE(base.exec(QStringLiteral("UPDATE \"Склад\" SET \"Код_Полки\" = ?"), {place}));
    prompter.expect(QStringLiteral("Удалить структуру склада 'Полка 1'?"), Answer::Yes);
    ASSERT_TRUE(w.removePlace(place));
    EXPECT_EQ(prompter.shown().back().text,
        QStringLiteral("Удалить структуру склада 'Полка 1'?\nВсе продукты по этой структуре потеряют свою привязку!\n"
                       "Восстановление информации невозможно!\nКод сообщения: 10005"));
    EXPECT_TRUE(w.places(store)->empty());
    EXPECT_EQ(lots.list().value().front().lot.place, place);
}

TEST_F(ReferenceLists, CounterpartiesHaveEveryColumnAndAskBeforeDeletion)
{
    auto &prompter = bases.prompter();
    Counterparties c(base);
    const auto columns = counterpartyColumns();
    ASSERT_EQ(columns.size(), 44u);
    EXPECT_EQ(QString::fromUtf16(columns.front().caption), QStringLiteral("Имя в программе"));
    EXPECT_EQ(QString::fromUtf16(columns[4].caption), QStringLiteral("Руководитель:фамилия"));
    EXPECT_EQ(QString::fromUtf16(columns.back().caption), QStringLiteral("Примечание"));
    // Every column exists in the table: reading them all works.
    const qint64 id = c.add().value();
    EXPECT_EQ(c.find(id)->name, QStringLiteral("Новый поставщик"));
    ASSERT_TRUE(c.setField(id, QStringLiteral("ИНН"), QStringLiteral("7701234567")));
    ASSERT_TRUE(c.setField(id, QStringLiteral("Тел5"), QStringLiteral("123-45-67")));
    EXPECT_FALSE(c.setField(id, QStringLiteral("ID"), QStringLiteral("1")));
    const QVariantList values = c.fields(id);
    ASSERT_EQ(values.size(), 44);
    EXPECT_EQ(values[2].toString(), QStringLiteral("7701234567"));
    EXPECT_EQ(values[36].toString(), QStringLiteral("123-45-67"));

    prompter.expect(QStringLiteral("Удалить поставщика 'Новый поставщик'?"), Answer::Yes);
    ASSERT_TRUE(c.remove(id));
    EXPECT_EQ(prompter.shown().back().text,
        QStringLiteral("Удалить поставщика 'Новый поставщик'?\nВсе проводки по этому поставщику перестанут работать!\n"
                       "Восстановление информации невозможно!"));
    EXPECT_FALSE(c.find(id));
}

TEST_F(ReferenceLists, ACombоReloadsWhenItsTableChangedLength)
{
    auto &prompter = bases.prompter();
    EXPECT_FALSE(referenceListChanged(base, ReferenceList::Warehouses, 1));
    Warehouses(base).add();
    EXPECT_TRUE(referenceListChanged(base, ReferenceList::Warehouses, 1));
    EXPECT_TRUE(referenceListChanged(base, ReferenceList::Suppliers, 0));
    EXPECT_TRUE(referenceListChanged(base, ReferenceList::Units, 2));
    EXPECT_EQ(prompter.texts(),
        QStringList({QStringLiteral("Изменили список складов!"), QStringLiteral("Изменили список поставщиков!"),
            QStringLiteral("Изменили список ед. изм.!")}));
}

TEST_F(ReferenceLists, LotsOnlyDecreaseAndGoAtExactlyZero)
{
    const qint64 h = invoices.receive(invoice(QStringLiteral("1")), {line(1, 1, 10), line(2, 1, 10)}).value();
    const auto all = invoices.lines(h).value();
    EXPECT_FALSE(lots.take(all[0].lot, -0.5));
    EXPECT_FALSE(lots.take(all[0].lot, 1.5));
    EXPECT_DOUBLE_EQ(lots.find(all[0].lot)->brutto, 1);
    ASSERT_TRUE(lots.take(all[0].lot, 0.9999999));
    ASSERT_TRUE(lots.find(all[0].lot)); // a tiny remainder stays and is still the oldest lot
    EXPECT_GT(lots.find(all[0].lot)->brutto, 0);
    ASSERT_TRUE(lots.take(all[1].lot, 1));
    EXPECT_FALSE(lots.find(all[1].lot));
    const auto listed = lots.list({store, std::nullopt}).value();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed.front().productName, QStringLiteral("Картофель"));
    EXPECT_EQ(listed.front().supplierName, QStringLiteral("ООО Овощи"));
    EXPECT_EQ(listed.front().warehouseName, QStringLiteral("Основной"));
    EXPECT_EQ(listed.front().unitPref, QStringLiteral("кг"));
}

} // namespace
