#include "ProductTestSupport.h"

#include "products/ProductMods.h"
#include "products/UnitBase.h"
#include "shell/SqlDialect.h"

#include <gtest/gtest.h>

using namespace kulvera;
using kulvera::test::ProductFixture;

namespace {

void expectSameRow(const ProductRow &a, const ProductRow &b)
{
    EXPECT_EQ(a.prod.FullName, b.prod.FullName);
    EXPECT_EQ(a.prod.ShortName, b.prod.ShortName);
    EXPECT_EQ(a.prod.ND, b.prod.ND);
    EXPECT_EQ(a.euroCode, b.euroCode);
    EXPECT_EQ(a.source, b.source);
    EXPECT_EQ(a.maker, b.maker);
    EXPECT_EQ(a.comment, b.comment);
    EXPECT_EQ(a.rast, b.rast);
    EXPECT_EQ(a.l70, b.l70);
    EXPECT_EQ(a.l71, b.l71);
    EXPECT_EQ(a.l72, b.l72);
    EXPECT_EQ(a.groupKey, b.groupKey);
    EXPECT_EQ(a.priceUnit, b.priceUnit);
    EXPECT_EQ(numberValue(a.size), numberValue(b.size));
    EXPECT_EQ(a.size.isNull(), b.size.isNull());
    EXPECT_EQ(a.prod.Price, b.prod.Price);
    EXPECT_EQ(a.priceR, b.priceR);
    EXPECT_EQ(a.priceK, b.priceK);
    EXPECT_EQ(a.exc, b.exc);
    EXPECT_EQ(a.aller, b.aller);
    EXPECT_EQ(a.fast, b.fast);
    EXPECT_EQ(a.conf, b.conf);
    EXPECT_EQ(a.out, b.out);
    EXPECT_EQ(a.iodine, b.iodine);
    EXPECT_EQ(a.losses, b.losses);
    EXPECT_EQ(a.variants, b.variants);
    for (const CompositionField &f : compositionFields()) {
        if (f.column) {
            EXPECT_EQ(a.prod.*f.member, b.prod.*f.member) << QString::fromUtf16(f.column).toStdString();
        }
    }
}

} // namespace

TEST(ProductBase, AddTakesLargestKeyPlusOneAndListsByFullName)
{
    ProductFixture f;
    f.t.prompter().setDefaultAnswer(Prompter::Answer::Yes);
    ASSERT_TRUE(
        execSql(f.base.database(), QStringLiteral("INSERT INTO \"dt010\" (\"Код\", \"Имя2\") VALUES (41, 'Яблоки')"))
            .ok());
    const auto key = f.base.add(ProductFixture::fullRow(QStringLiteral("Морковь 'каротель'")));
    ASSERT_TRUE(key.ok()) << key.error().toStdString();
    EXPECT_EQ(*key, 42);
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("Добавить новый продукт в базу?")));

    const auto stored = f.base.findQuiet(42);
    ASSERT_TRUE(stored);
    expectSameRow(*stored, ProductFixture::fullRow(QStringLiteral("Морковь 'каротель'")));

    const auto list = f.base.list();
    ASSERT_TRUE(list.ok());
    ASSERT_EQ(list->size(), 2u);
    EXPECT_EQ(list->at(0).prod.FullName, u"Морковь 'каротель'");
    EXPECT_EQ(list->at(1).prod.FullName, u"Яблоки");

    // Saving writes every column back.
    ProductRow changed = ProductFixture::fullRow(QStringLiteral("Морковь"), 7.0);
    changed.setKey(42);
    changed.losses[11].reset();
    changed.size = QVariant();
    ASSERT_TRUE(f.base.save(changed).ok());
    expectSameRow(*f.base.findQuiet(42), changed);
    changed.setKey(999);
    EXPECT_FALSE(f.base.save(changed).ok());
}

TEST(ProductBase, RepeatedFullNameAsksAndNoKeepsTheBaseAsItWas)
{
    ProductFixture f;
    f.t.prompter().setDefaultAnswer(Prompter::Answer::Yes);
    ASSERT_TRUE(f.base.add(ProductFixture::fullRow(QStringLiteral("Лук"))).ok());
    f.t.prompter().clear();
    f.t.prompter().expect(QStringLiteral("Добавить новый продукт"), Prompter::Answer::Yes);
    f.t.prompter().expect(
        QStringLiteral("В базе уже имеется продукт с именем 'Лук' Вы желаете внести дополнительную запись?"),
        Prompter::Answer::No);
    EXPECT_FALSE(f.base.add(ProductFixture::fullRow(QStringLiteral("Лук"))).ok());
    EXPECT_EQ(f.base.count(), 1);
    EXPECT_TRUE(f.t.prompter().scriptDone());
}

TEST(ProductBase, RecipeEditorAddUsesItsDefaultsAndCopyAppendsKopiya)
{
    ProductFixture f;
    ProductRow row = ProductFixture::fullRow(QStringLiteral("Соус"));
    const auto key = f.base.addFromRecipeEditor(row);
    ASSERT_TRUE(key.ok());
    EXPECT_TRUE(f.t.prompter().shown().empty()); // a new name asks nothing
    const auto stored = f.base.findQuiet(*key);
    EXPECT_EQ(stored->out, 100.0);
    EXPECT_TRUE(stored->l70);
    EXPECT_TRUE(stored->l71);
    EXPECT_FALSE(stored->l72);
    EXPECT_FALSE(stored->rast);
    Recordset rs(f.base.database(), &f.t.errorLog());
    ASSERT_TRUE(rs.openTable(QStringLiteral("dt010")).ok());
    EXPECT_EQ(rs.value(QStringLiteral("Rast")).toString(), u"Нет");

    f.t.prompter().expect(QStringLiteral("Вы желаете внести дополнительную запись?"), Prompter::Answer::No);
    EXPECT_FALSE(f.base.addFromRecipeEditor(row).ok());

    const auto copy = f.base.copy(*key);
    ASSERT_TRUE(copy.ok());
    EXPECT_EQ(*copy, *key + 1);
    EXPECT_EQ(f.base.findQuiet(*copy)->prod.FullName, u"Соус (копия)");
    EXPECT_EQ(f.base.findQuiet(*copy)->prod.ShortName, u"Соус (копия)");
    EXPECT_EQ(f.base.findQuiet(*copy)->prod.Bel, stored->prod.Bel);
}

TEST(ProductBase, FindReportsMissingAndUnidentifiedProducts)
{
    ProductFixture f;
    f.t.prompter().setDefaultAnswer(Prompter::Answer::Yes);
    ASSERT_TRUE(f.base.add(ProductFixture::fullRow(QStringLiteral("Рис")), false).ok());
    ASSERT_TRUE(f.base.add(ProductFixture::fullRow(QStringLiteral("Гречка")), false).ok());
    EXPECT_FALSE(f.base.find(77).has_value());
    EXPECT_TRUE(
        f.t.prompter().transcript().startsWith(u"Продукт с кодом - 77 не найден в базе!. Текущая активная база - "));
    f.t.prompter().clear();
    EXPECT_FALSE(f.base.find(0).has_value());
    EXPECT_EQ(f.t.prompter().transcript(), u"Продукт не идентифицирован!");

    const auto some = f.base.find(QList<qint64> {2, 77, 1});
    ASSERT_EQ(some.size(), 2u);
    EXPECT_EQ(some[0].prod.FullName, u"Гречка");
    EXPECT_TRUE(f.base.find(QList<qint64> {}).empty());
}

TEST(ProductBase, SeasonalProductInMarchUsesVariantThreeAndOthersUseOut)
{
    ProductFixture f;
    ProductRow row = ProductFixture::fullRow(QStringLiteral("Картофель"));
    row.losses[2] = 60;
    ASSERT_TRUE(f.base.add(row, false).ok());
    EXPECT_EQ(f.base.seasonalOutput(1), 60.0);
    EXPECT_EQ(f.base.currentOutput(*f.base.findQuiet(1)), 60.0);
    f.clock.set(QDateTime(QDate(2026, 12, 1), QTime(9, 0)));
    EXPECT_EQ(f.base.seasonalOutput(1), 71.0);

    row.l72 = false;
    row.setKey(1);
    ASSERT_TRUE(f.base.save(row).ok());
    EXPECT_EQ(f.base.seasonalOutput(1), 100.0);
    EXPECT_EQ(f.base.currentOutput(*f.base.findQuiet(1)), 75.0); // Out
    EXPECT_EQ(f.base.seasonalOutput(404), 100.0);
    EXPECT_TRUE(f.t.prompter().shown().empty());
}

TEST(ProductBase, ChoosingVariantZeroActsAsOneAndAnEmptyVariantIsRepaired)
{
    ProductFixture f;
    ProductRow row = ProductFixture::fullRow(QStringLiteral("Свёкла"));
    row.losses[0] = 82;
    row.losses[4].reset();
    ASSERT_TRUE(f.base.add(row, false).ok());

    ASSERT_TRUE(f.base.chooseVariant(1, 0).ok());
    EXPECT_EQ(f.base.findQuiet(1)->out, 82.0);
    ASSERT_TRUE(f.base.chooseVariant(1, 2).ok());
    EXPECT_EQ(f.base.findQuiet(1)->out, 61.0);
    EXPECT_TRUE(f.t.prompter().shown().empty());

    ASSERT_TRUE(f.base.chooseVariant(1, 5).ok());
    EXPECT_EQ(f.t.prompter().transcript(),
        u"Для выбранного варианта не установлен процент потерь!\n"
        "Для устранения ошибки записана величина потерь 0%");
    const auto repaired = f.base.findQuiet(1);
    EXPECT_EQ(repaired->losses[4], 100.0);
    EXPECT_EQ(repaired->out, 61.0); // Out is not touched by the empty value
    EXPECT_FALSE(f.base.chooseVariant(1, 13).ok());
}

TEST(ProductBase, VariantListHasOneEntryPerVariantColumnPair)
{
    kulvera::test::TempBases t;
    FixedClock clock(QDate(2026, 3, 1));
    const int number = t.create(BaseId::Products);
    const QSqlDatabase db = t.connections().database(number);
    // A table that holds only five variants (a trimmed, older base).
    QString create = QStringLiteral("CREATE TABLE \"small\" (\"Код\" INTEGER, \"Имя2\" TEXT, \"Out\" REAL");
    for (int n = 1; n <= 5; ++n)
        create += QStringLiteral(", \"Потери%1\" REAL, \"Список%1\" TEXT").arg(n);
    create += QStringLiteral(", \"Потери6\" REAL)"); // a loss column without its description
    ASSERT_TRUE(execSql(db, create).ok());
    ASSERT_TRUE(execSql(db,
        QStringLiteral(
            "INSERT INTO \"small\" (\"Код\", \"Имя2\", \"Потери2\", \"Список2\") VALUES (1, 'Лук', 84, 'Очистка')"))
                    .ok());
    t.settings().save(Section::Prod, QStringLiteral("tbProd"), QStringLiteral("small"));
    ProductBase base(t.connections(), t.settings(), t.prompter(), clock);
    EXPECT_EQ(base.variantCount(), 5);
    const auto row = base.findQuiet(1);
    ASSERT_TRUE(row);
    const auto variants = base.variantList(*row);
    ASSERT_EQ(variants.size(), 5u);
    EXPECT_EQ(variants[1].n, 2);
    EXPECT_EQ(variants[1].name, u"Очистка");
    EXPECT_EQ(variants[1].output, 84.0);
    EXPECT_FALSE(variants[0].output.has_value());
    EXPECT_FALSE(base.chooseVariant(1, 6).ok());
}

TEST(ProductBase, DeleteAsksAndTakesTheModificationLinksAlong)
{
    ProductFixture f;
    ASSERT_TRUE(f.base.add(ProductFixture::fullRow(QStringLiteral("Перец")), false).ok());
    ProductMods mods(f.t.connections(), f.t.prompter(), f.number);
    Modification mod;
    mod.name = QStringLiteral("Фарширование");
    mod.coldLoss = 25;
    mod.norm = 80;
    const auto code = mods.add(mod, 1);
    ASSERT_TRUE(code.ok());
    ASSERT_EQ(mods.ofProduct(1).size(), 1u);
    EXPECT_EQ(mods.ofProduct(1).front().coldLoss, 25.0);

    f.t.prompter().expect(QStringLiteral("Удалить продукт - 'Перец' ?"), Prompter::Answer::No);
    EXPECT_FALSE(f.base.remove(1).ok());
    EXPECT_EQ(f.base.count(), 1);
    f.t.prompter().expect(QStringLiteral("Удалить продукт - 'Перец' ?"), Prompter::Answer::Yes);
    ASSERT_TRUE(f.base.remove(1).ok());
    EXPECT_EQ(f.base.count(), 0);
    EXPECT_TRUE(mods.ofProduct(1).empty());
    EXPECT_EQ(mods.all().size(), 1u); // the modification itself stays
    EXPECT_EQ(f.t.prompter().shown().back().title, u"База продуктов");

    mod.name = QString(256, u'я');
    EXPECT_FALSE(mods.add(mod).ok());
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("Максимум 255 символов!")));
    EXPECT_EQ(mods.all().size(), 1u);
}

TEST(UnitBase, RulesOfTheUnitsWindow)
{
    kulvera::test::TempBases t;
    const int number = t.create(BaseId::Warehouse);
    UnitBase units(t.connections(), t.settings(), t.prompter(), number);
    ASSERT_TRUE(units.available());
    const auto group = units.addGroup();
    ASSERT_TRUE(group.ok());
    ASSERT_TRUE(units.addGroup().ok());
    ASSERT_TRUE(units.addGroup(*group).ok());
    QStringList names;
    for (const UnitGroup &g : units.groups())
        names << g.name;
    EXPECT_EQ(names,
        (QStringList {QStringLiteral("Новая группа (1)"), QStringLiteral("Новая группа (2)"),
            QStringLiteral("Новая подгруппа (1)")}));

    const auto kg = units.addUnit(*group, QStringLiteral("кг"), 5);
    const auto g = units.addUnit(*group, QStringLiteral("г"), 1000);
    ASSERT_TRUE(kg.ok() && g.ok());
    EXPECT_TRUE(units.unit(*kg)->isBase);
    EXPECT_EQ(units.unit(*kg)->koef, 1.0); // a base unit counts as itself
    EXPECT_FALSE(units.unit(*g)->isBase);

    EXPECT_FALSE(units.setKoef(*g, 0).ok());
    EXPECT_TRUE(t.prompter().saw(QStringLiteral("Коэффициент не может быть равен нулю!")));
    EXPECT_EQ(units.unit(*g)->koef, 1000.0);
    EXPECT_FALSE(units.addUnit(*group, QStringLiteral("ц"), 0).ok());

    EXPECT_FALSE(units.setBase(*kg, false).ok());
    EXPECT_TRUE(t.prompter().saw(
        QStringLiteral("Нельзя отменить базовую единицу измерения.\nСледует назначить ее для другой группы!")));
    ASSERT_TRUE(units.setBase(*g, true).ok());
    EXPECT_FALSE(units.unit(*kg)->isBase);
    EXPECT_TRUE(units.unit(*g)->isBase);

    t.prompter().expect(QStringLiteral("Удаляем?"), Prompter::Answer::No);
    EXPECT_FALSE(units.remove(*kg).ok());
    t.prompter().expect(QStringLiteral("Удаление ед. измерения может повлиять на работу программы\nгде эти ед. "
                                       "измерения уже использовались!\nУдаляем?"),
        Prompter::Answer::Yes);
    ASSERT_TRUE(units.remove(*kg).ok());
    EXPECT_EQ(units.units(*group).size(), 1u);

    ASSERT_TRUE(execSql(t.connections().database(number), QStringLiteral("DROP TABLE \"dt105\"")).ok());
    t.prompter().clear();
    EXPECT_FALSE(units.available());
    EXPECT_EQ(t.prompter().transcript(),
        u"Не обнаружена таблица единиц измерений для продуктов в базе калькуляций\n"
        "Необходимо обновить базу калькуляций");
}
