#include "recipes/DishBase.h"
#include "recipes/CompositionString.h"
#include "recipes/PositionKey.h"
#include "shell/DishCollections.h"
#include "shell/SqlDialect.h"
#include "support/TempBases.h"

#include <gtest/gtest.h>

#include <map>

using namespace kulvera;
using kulvera::test::TempBases;

namespace {

constexpr int kDishes = static_cast<int>(BaseId::Dishes);

struct DishFixture {
    TempBases t;
    int number = t.create(BaseId::Dishes);
    QString table = addCollection(t.connections(), t.settings(), QStringLiteral("Проверочная"))->table;
    StoredTextCodec codec = installationCodec(t.connections(), kDishes, t.settings(), &t.prompter()).value();
    DishBase base {t.connections(), kDishes, t.settings(), t.prompter(), codec};
    RecipeSlots memory;

    QSqlDatabase db() { return t.connections().database(kDishes); }

    // A row written as another program would: column number -> plain value.
    void insertRaw(const std::map<int, QString> &values)
    {
        QStringList cols;
        QStringList marks;
        QVariantList params;
        for (const auto &[n, v] : values) {
            cols << QStringLiteral("l%1").arg(n);
            marks << QStringLiteral("?");
            params << codec.encode(v);
        }
        ASSERT_TRUE(execSql(db(),
            QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + cols.join(u',')
                + QStringLiteral(") VALUES (") + marks.join(u',') + u')',
            params));
    }
    int rowCount(const QString &name)
    {
        SqlStatement q(db(), QStringLiteral("SELECT COUNT(*) FROM ") + table + QStringLiteral(" WHERE l1 = ?"));
        q.exec({codec.encode(name)});
        return q.next() ? q.value(0).toInt() : -1;
    }
};

clsBludo position(const QString &key, const QString &product, double brutto, double netto, const QString &out = {})
{
    clsBludo b;
    clsProds &p = b.clsProds();
    p.Kod = key;
    p.ID_Prod = product;
    p.FullName = QStringLiteral("Продукт ") + product;
    p.ShortName = product;
    p.Brutto = brutto;
    p.Netto = netto;
    p.Out = out;
    p.Bel = netto / 10;
    p.En = netto;
    return b;
}

// A soup for 200 g: a top product, a semi-finished product with one product under it.
colBludo soup()
{
    colBludo r;
    r.Add(position(QStringLiteral("pro00000001"), QStringLiteral("11"), 120, 100, QStringLiteral("200")));
    r.Add(position(QStringLiteral("pfx00000002"), QStringLiteral("20"), 80, 60, QStringLiteral("50")));
    r.Add(position(QStringLiteral("pro00020003"), QStringLiteral("12"), 80, 60.5, QStringLiteral("200")));
    r.item(1)->clsProds().NameND = QStringLiteral("Сборник рецептур");
    r.item(1)->clsProds().sCode = QStringLiteral("К-1");
    return r;
}

} // namespace

TEST(DishBase, SavedRecipeLoadsBackWithEveryField)
{
    DishFixture f;
    SaveOptions options;
    options.texts
        = {QStringLiteral("Варить"), QStringLiteral("Подавать горячим"), {}, {}, {}, {}, QStringLiteral("Свежий")};
    options.cardType = 3;
    options.second = 2;
    ASSERT_FALSE(f.table.isEmpty());
    ASSERT_TRUE(f.base.save(soup(), f.table, QStringLiteral("Суп 'Дачный'"), options))
        << f.t.errorLog().recent().join(u'\n').toStdString() << f.t.prompter().transcript().toStdString();
    EXPECT_EQ(f.rowCount(QStringLiteral("Суп 'Дачный'")), 3);

    const auto loaded = f.base.load(f.memory, 2, f.table, QStringLiteral("Суп 'Дачный'"), QString());
    ASSERT_TRUE(loaded) << loaded.error().toStdString();
    EXPECT_EQ(loaded->storedOutput, u"200");
    EXPECT_EQ(loaded->output, u"200");
    const colBludo &r = *f.memory.slot(2);
    ASSERT_EQ(r.Count(), 3);
    const clsProds &p = r.item(3)->clsProds();
    EXPECT_EQ(p.Kod.toString(), u"pro00020003");
    EXPECT_EQ(p.ID_Prod, u"12");
    EXPECT_DOUBLE_EQ(p.Brutto, 80);
    EXPECT_DOUBLE_EQ(p.Netto, 60.5);
    EXPECT_DOUBLE_EQ(p.Bel, 6.05);
    EXPECT_EQ(p.NameND, u"Сборник рецептур");
    EXPECT_EQ(p.sCode, u"К-1");
    EXPECT_EQ(p.TN_Vid, 3);
    EXPECT_EQ(p.Form_Num, 2);
    EXPECT_EQ(p.Pref, u"г");
    EXPECT_EQ(p.Num_In_Base, u"0");
    EXPECT_EQ(splitCardTexts(p.Oform), options.texts);
    EXPECT_TRUE(f.t.prompter().shown().empty());

    // Stored encoded: the plain name is nowhere in the table.
    SqlStatement q(
        f.db(), QStringLiteral("SELECT COUNT(*) FROM ") + f.table + QStringLiteral(" WHERE l21 LIKE '%Продукт%'"));
    ASSERT_TRUE(q.exec());
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 0);
}

TEST(DishBase, RequestedOutputScalesProductPositionsOnly)
{
    DishFixture f;
    f.t.settings().save(Section::Data, QStringLiteral("bUseRndBr"), QStringLiteral("0"));
    ASSERT_TRUE(f.base.save(soup(), f.table, QStringLiteral("Суп"), {}));

    for (const QString &same : {QString(), QStringLiteral("200"), QStringLiteral("0")}) {
        ASSERT_TRUE(f.base.load(f.memory, 1, f.table, QStringLiteral("Суп"), same));
        EXPECT_DOUBLE_EQ(f.memory.slot(1)->item(1)->clsProds().Brutto, 120) << same.toStdString();
        EXPECT_DOUBLE_EQ(f.memory.slot(1)->item(3)->clsProds().Netto, 60.5) << same.toStdString();
        EXPECT_EQ(f.memory.slot(1)->item(1)->clsProds().Out, u"200");
    }

    const auto half = f.base.load(f.memory, 1, f.table, QStringLiteral("Суп"), QStringLiteral("100"));
    ASSERT_TRUE(half);
    EXPECT_DOUBLE_EQ(half->factor, 0.5);
    const colBludo &r = *f.memory.slot(1);
    EXPECT_DOUBLE_EQ(r.item(1)->clsProds().Brutto, 60);
    EXPECT_DOUBLE_EQ(r.item(1)->clsProds().Netto, 50);
    EXPECT_DOUBLE_EQ(r.item(3)->clsProds().Netto, 30.25);
    EXPECT_EQ(r.item(1)->clsProds().Out, u"100");
    // Composition of products follows; that of a semi-finished product is taken as stored.
    EXPECT_DOUBLE_EQ(r.item(1)->clsProds().Bel, 5);
    EXPECT_DOUBLE_EQ(r.item(2)->clsProds().Bel, 6);
}

TEST(DishBase, LoadingRoundsProductMassesUnlessExcluded)
{
    DishFixture f;
    f.t.settings().save(Section::Data, QStringLiteral("sProdExc"), QStringLiteral("12"));
    colBludo r;
    r.Add(position(QStringLiteral("pro0001"), QStringLiteral("11"), 12.25, 12.24, QStringLiteral("100")));
    r.Add(position(QStringLiteral("pro0002"), QStringLiteral("12"), 12.25, 12.24, QStringLiteral("100")));
    ASSERT_TRUE(f.base.save(r, f.table, QStringLiteral("Салат"), {}));
    ASSERT_TRUE(f.base.load(f.memory, 1, f.table, QStringLiteral("Салат"), QString()));
    EXPECT_DOUBLE_EQ(f.memory.slot(1)->item(1)->clsProds().Brutto, 12.3);
    EXPECT_DOUBLE_EQ(f.memory.slot(1)->item(1)->clsProds().Netto, 12.2);
    EXPECT_DOUBLE_EQ(f.memory.slot(1)->item(2)->clsProds().Brutto, 12.25);

    f.t.settings().save(Section::Data, QStringLiteral("lRoundBrutto"), QStringLiteral("0"));
    ASSERT_TRUE(f.base.load(f.memory, 1, f.table, QStringLiteral("Салат"), QString()));
    EXPECT_DOUBLE_EQ(f.memory.slot(1)->item(1)->clsProds().Brutto, 12);
}

TEST(DishBase, RowsWrittenElsewhereLoadWithTheirGaps)
{
    DishFixture f;
    // No output, a point and a comma, a 98-field and a 24-field composition.
    QStringList full(98);
    full[97] = QStringLiteral("6.5");
    full[39] = QStringLiteral("40");
    f.insertRaw({{1, QStringLiteral("Компот")}, {15, QStringLiteral("pro0001")}, {17, QStringLiteral("12.5")},
        {18, QStringLiteral("10,5")}, {23, full.join(QStringLiteral("<Str>"))}});
    f.insertRaw({{1, QStringLiteral("Компот")}, {15, QStringLiteral("pro0002")}, {17, QStringLiteral("12,5")},
        {18, QStringLiteral("10.5")}, {23, QStringList(24, QStringLiteral("1")).join(QStringLiteral("<Str>"))}});
    const auto loaded = f.base.load(f.memory, 1, f.table, QStringLiteral("Компот"), QString());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->storedOutput, u"100");
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral(
        "Для рецептуры 'Компот' в базе не установлен выход! \nДля продолжения работы выход установлен 100 г.")));
    const colBludo &r = *f.memory.slot(1);
    for (int i = 1; i <= 2; ++i) {
        EXPECT_DOUBLE_EQ(r.item(i)->clsProds().Brutto, 12.5);
        EXPECT_DOUBLE_EQ(r.item(i)->clsProds().Netto, 10.5);
    }
    EXPECT_DOUBLE_EQ(r.item(1)->clsProds().PH, 6.5);
    EXPECT_DOUBLE_EQ(r.item(1)->clsProds().Voda, 40);
    EXPECT_DOUBLE_EQ(r.item(2)->clsProds().Gir_SV, 1);
    EXPECT_DOUBLE_EQ(r.item(2)->clsProds().Voda, 0);
    EXPECT_TRUE(r.item(1)->clsProds().Oform.isEmpty());
}

TEST(DishBase, MissingCompositionAsksAndNoStopsTheLoad)
{
    DishFixture f;
    f.insertRaw({{1, QStringLiteral("Чай")}, {2, QStringLiteral("200")}, {15, QStringLiteral("pro0001")},
        {21, QStringLiteral("Чай черный")}});
    f.t.prompter().expect(QStringLiteral("отсутствует хим. состав!"), Prompter::Answer::No);
    EXPECT_FALSE(f.base.load(f.memory, 1, f.table, QStringLiteral("Чай"), QString()));
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("Для позиции в рецептуре: Чай черный отсутствует хим. "
                                                  "состав!\nНаименование рецептуры: Чай\nПродолжить работу?")));
    EXPECT_EQ(f.memory.slot(1)->Count(), 0);

    f.t.prompter().expect(QStringLiteral("отсутствует хим. состав!"), Prompter::Answer::Yes);
    EXPECT_TRUE(f.base.load(f.memory, 1, f.table, QStringLiteral("Чай"), QString()));
    EXPECT_EQ(f.memory.slot(1)->Count(), 1);
    EXPECT_TRUE(f.t.prompter().unexpected().isEmpty());
}

TEST(DishBase, AnEmptyRecipeIsReportedWithItsCode)
{
    DishFixture f;
    EXPECT_FALSE(f.base.load(f.memory, 1, f.table, QStringLiteral("Нет такого"), QString()));
    ASSERT_EQ(f.t.prompter().shown().size(), 1u);
    const auto &m = f.t.prompter().shown().front();
    EXPECT_EQ(m.text, u"В данном блюде нет продуктов\nКод ошибки 0060-00003");
    EXPECT_EQ(m.title, u"База блюд");
    EXPECT_EQ(m.icon, Prompter::Icon::Critical);
}

TEST(DishBase, ExistingNameIsReplacedAfterTheQuestionOrSilently)
{
    DishFixture f;
    ASSERT_TRUE(f.base.save(soup(), f.table, QStringLiteral("Суп"), {}));
    colBludo smaller;
    smaller.Add(position(QStringLiteral("pro0001"), QStringLiteral("11"), 10, 9, QStringLiteral("10")));

    f.t.prompter().expect(QStringLiteral("Заменить его?"), Prompter::Answer::No);
    EXPECT_FALSE(f.base.save(smaller, f.table, QStringLiteral("Суп"), {}));
    EXPECT_EQ(f.rowCount(QStringLiteral("Суп")), 3);

    SaveOptions silent;
    silent.silent = true;
    EXPECT_TRUE(f.base.save(smaller, f.table, QStringLiteral("Суп"), silent));
    EXPECT_EQ(f.rowCount(QStringLiteral("Суп")), 1);
    EXPECT_TRUE(f.t.prompter().unexpected().isEmpty());
    EXPECT_TRUE(f.t.prompter().scriptDone());
}

TEST(DishBase, ASaveThatFailsMidwayKeepsTheStoredRecipe)
{
    DishFixture f;
    ASSERT_TRUE(f.base.save(soup(), f.table, QStringLiteral("Суп"), {}));
    // The third row of the new version cannot be written.
    ASSERT_TRUE(execSql(f.db(),
        QStringLiteral("CREATE TRIGGER fail BEFORE INSERT ON ") + f.table + QStringLiteral(" WHEN NEW.l15 = '")
            + f.codec.encode(u"pro0003") + QStringLiteral("' BEGIN SELECT RAISE(ABORT, 'disk full'); END")));
    colBludo changed;
    for (int i = 1; i <= 4; ++i)
        changed.Add(position(QStringLiteral("pro000%1").arg(i), QStringLiteral("5"), 1, 1, QStringLiteral("4")));
    SaveOptions silent;
    silent.silent = true;
    const Status s = f.base.save(changed, f.table, QStringLiteral("Суп"), silent);
    EXPECT_FALSE(s);
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("Произошла ошибка записи в базу.")));
    ASSERT_TRUE(f.base.load(f.memory, 1, f.table, QStringLiteral("Суп"), QString()));
    EXPECT_EQ(f.memory.slot(1)->Count(), 3);
    EXPECT_DOUBLE_EQ(f.memory.slot(1)->item(1)->clsProds().Brutto, 120);
}

TEST(DishBase, MenuCopiesAreKeptApartFromTheRecipe)
{
    DishFixture f;
    ASSERT_TRUE(f.base.save(soup(), f.table, QStringLiteral("Суп"), {}));
    SaveOptions copy;
    copy.copy = CopyKeys {QStringLiteral("01.09.2026"), QStringLiteral("Обед"), QString()};
    colBludo one;
    one.Add(position(QStringLiteral("pro0001"), QStringLiteral("11"), 10, 9, QStringLiteral("10")));
    ASSERT_TRUE(f.base.save(one, f.table, QStringLiteral("Суп"), copy));
    copy.copy->third = QStringLiteral("Ясли");
    ASSERT_TRUE(f.base.save(one, f.table, QStringLiteral("Суп"), copy));
    EXPECT_TRUE(f.t.prompter().shown().empty());

    ASSERT_TRUE(f.base.load(f.memory, 1, f.table, QStringLiteral("Суп"), QString()));
    EXPECT_EQ(f.memory.slot(1)->Count(), 3);
    ASSERT_TRUE(f.base.load(f.memory, 1, f.table, QStringLiteral("Суп"), QString(), copy.copy));
    EXPECT_EQ(f.memory.slot(1)->Count(), 1);
    EXPECT_EQ(f.base.recipeNames(f.table).value(), QStringList {QStringLiteral("Суп")});
}

TEST(DishBase, TheCheckRemovesEmptyRowsAndOrphans)
{
    DishFixture f;
    const QString comp = QStringLiteral("1<Str>");
    f.insertRaw(
        {{1, QStringLiteral("Плов")}, {2, QStringLiteral("250")}, {15, QStringLiteral("pro00000001")}, {23, comp}});
    f.insertRaw({{1, QStringLiteral("Плов")}, {15, QStringLiteral("0")}, {23, comp}});
    f.insertRaw({{1, QStringLiteral("Плов")}, {15, QStringLiteral("pro00070002")}, {23, comp}}); // no node 7
    f.insertRaw({{1, QStringLiteral("Плов")}, {15, QStringLiteral("pfx00000003")}, {23, comp}});
    f.insertRaw({{1, QStringLiteral("Плов")}, {15, QStringLiteral("pro00030004")}, {23, comp}});
    const auto loaded = f.base.load(f.memory, 1, f.table, QStringLiteral("Плов"), QString());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->repairs,
        (QStringList {QStringLiteral("удалена пустая строка"), QStringLiteral("удалено не существующее подчинение")}));
    EXPECT_EQ(f.memory.slot(1)->Count(), 3);
    EXPECT_EQ(f.memory.slot(1)->item(3)->clsProds().Kod.toString(), u"pro00030004");
    EXPECT_TRUE(f.t.prompter().saw(QStringLiteral("В рецептуре исправлены следующие ошибки: удалена пустая строка;\n"
                                                  "удалено не существующее подчинение\n"
                                                  "Следует сохранить исправленную рецептуру в базе блюд")));
    // Nothing was saved by the check.
    EXPECT_EQ(f.rowCount(QStringLiteral("Плов")), 5);

    // Switched off by the user: the notice stays away, the repair does not.
    f.t.settings().save(Section::Messages, QStringLiteral("MasterErrorForDishe"), QStringLiteral("0"));
    f.t.prompter().clear();
    ASSERT_TRUE(f.base.load(f.memory, 1, f.table, QStringLiteral("Плов"), QString()));
    EXPECT_EQ(f.memory.slot(1)->Count(), 3);
    EXPECT_FALSE(f.t.prompter().saw(QStringLiteral("исправлены")));
}

TEST(DishBase, TheCheckAsksAfter200Passes)
{
    ScriptedPrompter prompter;
    colBludo r;
    for (int i = 0; i < 250; ++i)
        r.Add(position(QStringLiteral("0"), QString(), 0, 0));
    r.Add(position(QStringLiteral("pro0001"), QStringLiteral("1"), 1, 1));
    prompter.expect(QStringLiteral("Мастер исправления ошибок рецептуры запущен 200 раз."), Prompter::Answer::Yes);
    EXPECT_EQ(repairRecipe(r, prompter).size(), 200);
    EXPECT_EQ(r.Count(), 51);

    prompter.expect(QStringLiteral("Завершить работу мастера"), Prompter::Answer::No);
    colBludo again;
    for (int i = 0; i < 250; ++i)
        again.Add(position(QStringLiteral("0"), QString(), 0, 0));
    EXPECT_EQ(repairRecipe(again, prompter).size(), 250);
    EXPECT_EQ(again.Count(), 0);
    EXPECT_TRUE(prompter.scriptDone());
    EXPECT_TRUE(prompter.unexpected().isEmpty());
}

TEST(DishBase, TheInstallationNumberTravelsWithTheBase)
{
    DishFixture f;
    const QString number = installationNumber(f.t.connections(), kDishes, f.t.settings()).value();
    ASSERT_TRUE(f.base.save(soup(), f.table, QStringLiteral("Суп"), {}));
    // Settings reset: the base still knows its number and reads.
    f.t.settings().remove(Section::Data, kInstallationSetting.toString());
    const auto codec = installationCodec(f.t.connections(), kDishes, f.t.settings(), nullptr);
    ASSERT_TRUE(codec);
    EXPECT_EQ(codec->key(), f.codec.key());
    EXPECT_EQ(f.t.settings().get(Section::Data, kInstallationSetting.toString()), number);

    DishBase other(
        f.t.connections(), kDishes, f.t.settings(), f.t.prompter(), StoredTextCodec((f.codec.key() + 1) % 1000));
    const auto names = other.recipeNames(f.table);
    ASSERT_TRUE(names);
    ASSERT_EQ(names->size(), 1);
    EXPECT_NE(names->front(), u"Суп");
}

TEST(DishBase, SemiFinishedProductsAreNamedInL6)
{
    DishFixture f;
    const int pf = f.t.create(BaseId::SemiFinished);
    ASSERT_NE(pf, Connections::kFailed);
    DishBase base(f.t.connections(), pf, f.t.settings(), f.t.prompter(), f.codec);
    base.setNameColumn(DishBase::kSemiFinishedNameColumn);
    colBludo r;
    r.Add(position(DishBase::kSemiFinishedRootKey.toString(), QString(), 0, 0, QStringLiteral("1000")));
    r.Add(position(QStringLiteral("pro0001"), QStringLiteral("4"), 1200, 1000, QStringLiteral("1000")));
    ASSERT_TRUE(base.save(r, DishBase::kSemiFinishedTable.toString(), QStringLiteral("Фарш котлетный"), {}));
    SqlStatement q(f.t.connections().database(pf), QStringLiteral("SELECT COUNT(*) FROM dt001 WHERE l6 = ?"));
    ASSERT_TRUE(q.exec({f.codec.encode(u"Фарш котлетный")}));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 2);
    EXPECT_EQ(base.recipeNames(DishBase::kSemiFinishedTable.toString()).value(),
        QStringList {QStringLiteral("Фарш котлетный")});
    const auto loaded = base.load(
        f.memory, 1, DishBase::kSemiFinishedTable.toString(), QStringLiteral("Фарш котлетный"), QStringLiteral("500"));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(f.memory.slot(1)->item(1)->clsProds().Kod.toString(), u"main");
    EXPECT_EQ(f.memory.slot(1)->item(1)->clsProds().Out, u"500"); // the root follows the requested output
    EXPECT_DOUBLE_EQ(f.memory.slot(1)->item(2)->clsProds().Brutto, 600);
}

TEST(DishBase, LoadingForAnotherOutputScalesChildlessSemiFinishedProductsAndTheHeader)
{
    DishFixture f;
    f.t.settings().save(Section::Data, QStringLiteral("bUseRndBr"), QStringLiteral("0"));
    colBludo r;
    // A dish-node header for 400 g; a semi-finished product kept with its
    // composition only (no products under it); a product; a semi-finished
    // product with its product under it.
    r.Add(position(QStringLiteral("bld00000001"), QString(), 400, 400, QStringLiteral("400")));
    r.Add(position(QStringLiteral("pfx00000002"), QStringLiteral("20"), 220, 200, QStringLiteral("200")));
    r.Add(position(QStringLiteral("pro00000003"), QStringLiteral("11"), 250, 200, QStringLiteral("400")));
    r.Add(position(QStringLiteral("pfx00000004"), QStringLiteral("21"), 100, 100, QStringLiteral("100")));
    r.Add(position(QStringLiteral("pro00040005"), QStringLiteral("12"), 120, 100, QStringLiteral("400")));
    r.item(2)->clsProds().Bel = 12;
    r.item(2)->clsProds().Kr = 30;
    r.item(2)->clsProds().MD = 8;
    r.item(4)->clsProds().Bel = 7;
    ASSERT_TRUE(f.base.save(r, f.table, QStringLiteral("Гуляш"), {}));

    ASSERT_TRUE(f.base.load(f.memory, 1, f.table, QStringLiteral("Гуляш"), QStringLiteral("200")));
    const colBludo &half = *f.memory.slot(1);
    ASSERT_EQ(half.Count(), 5);
    const clsProds &header = half.item(1)->clsProds();
    EXPECT_EQ(header.Out, u"200");
    EXPECT_DOUBLE_EQ(header.Netto, 200);
    // The childless semi-finished product is half of what was stored: 12 g of
    // protein in 200 g become 6 g in 100 g.
    const clsProds &kept = half.item(2)->clsProds();
    EXPECT_DOUBLE_EQ(kept.Brutto, 110);
    EXPECT_DOUBLE_EQ(kept.Netto, 100);
    EXPECT_EQ(kept.Out, u"100");
    EXPECT_DOUBLE_EQ(kept.Bel, 6);
    EXPECT_DOUBLE_EQ(kept.Kr, 15);
    EXPECT_DOUBLE_EQ(kept.MD, 4);
    EXPECT_DOUBLE_EQ(half.item(3)->clsProds().Bel, 10); // 200 g / 10 = 20 stored, halved
    // One with products under it is worked out from them; it is taken as stored.
    EXPECT_DOUBLE_EQ(half.item(4)->clsProds().Bel, 7);
    EXPECT_DOUBLE_EQ(half.item(5)->clsProds().Bel, 5);

    // Loaded for the stored output nothing changes.
    ASSERT_TRUE(f.base.load(f.memory, 1, f.table, QStringLiteral("Гуляш"), QString()));
    EXPECT_EQ(f.memory.slot(1)->item(1)->clsProds().Out, u"400");
    EXPECT_DOUBLE_EQ(f.memory.slot(1)->item(2)->clsProds().Bel, 12);
}

namespace {

// The decoded value of column `n` on the first stored row of a recipe.
QString storedColumn(DishFixture &f, const QString &name, int n)
{
    SqlStatement q(f.db(),
        QStringLiteral("SELECT l%1 FROM ").arg(n) + f.table + QStringLiteral(" WHERE l1 = ? ORDER BY ID LIMIT 1"));
    if (!q.exec({f.codec.encode(name)}) || !q.next())
        return QStringLiteral("<no row>");
    return f.codec.decode(q.value(0).toString());
}

} // namespace

TEST(DishBase, SavingFollowsTheFullCompositionSettingAndL22SaysWhichWasWritten)
{
    DishFixture f;
    colBludo r = soup();
    r.item(1)->clsProds().PH = 6.5; // index 97: only in the full string
    r.item(1)->clsProds().Na = 12; // index 26

    f.t.settings().save(Section::Data, QStringLiteral("bShowFullHS"), QStringLiteral("1"));
    ASSERT_TRUE(f.base.save(r, f.table, QStringLiteral("Полный"), {}));
    EXPECT_EQ(storedColumn(f, QStringLiteral("Полный"), 22), u"True");
    const QStringList full = storedColumn(f, QStringLiteral("Полный"), 23).split(QStringLiteral("<Str>"));
    ASSERT_EQ(full.size(), 98);
    EXPECT_EQ(full[97], u"6,5");
    EXPECT_EQ(full[26], u"12");
    ASSERT_TRUE(f.base.load(f.memory, 1, f.table, QStringLiteral("Полный"), QString()));
    EXPECT_TRUE(f.memory.slot(1)->item(1)->clsProds().HS_Full);
    EXPECT_DOUBLE_EQ(f.memory.slot(1)->item(1)->clsProds().PH, 6.5);

    f.t.settings().save(Section::Data, QStringLiteral("bShowFullHS"), QStringLiteral("0"));
    ASSERT_TRUE(f.base.save(r, f.table, QStringLiteral("Краткий"), {}));
    EXPECT_EQ(storedColumn(f, QStringLiteral("Краткий"), 22), u"False");
    EXPECT_EQ(storedColumn(f, QStringLiteral("Краткий"), 23).split(QStringLiteral("<Str>")).size(), 24);

    // A caller that says which wins over the setting.
    f.t.settings().save(Section::Data, QStringLiteral("bShowFullHS"), QStringLiteral("1"));
    SaveOptions shortly;
    shortly.fullComposition = false;
    ASSERT_TRUE(f.base.save(r, f.table, QStringLiteral("Краткий 2"), shortly));
    EXPECT_EQ(storedColumn(f, QStringLiteral("Краткий 2"), 22), u"False");
    EXPECT_EQ(storedColumn(f, QStringLiteral("Краткий 2"), 23).split(QStringLiteral("<Str>")).size(), 24);
}

TEST(DishBase, CharactersTheBaseCannotHoldAreNamedBeforeSaving)
{
    DishFixture f;
    colBludo r = soup();
    // « » ° № ё and the dash are in code page 1251; è, ½ and the lemon are not.
    r.item(1)->clsProds().FullName = QStringLiteral("Лимон 🍋");
    r.item(1)->clsProds().ShortName = QStringLiteral("Лимон №1 — ёмкий");
    SaveOptions options;
    options.texts[0] = QStringLiteral("Нагреть до 80 °C, ½ порции");
    const QString name = QStringLiteral("Суп-пюре «Crème»");
    ASSERT_TRUE(f.base.save(r, f.table, name, options));

    const auto warnings = std::count_if(f.t.prompter().shown().begin(), f.t.prompter().shown().end(),
        [](const Prompter::Message &m) { return m.text.contains(QStringLiteral("кодовой странице 1251")); });
    ASSERT_EQ(warnings, 1) << f.t.prompter().transcript().toStdString();
    const Prompter::Message &m = f.t.prompter().shown().front();
    EXPECT_EQ(m.title, u"База блюд");
    EXPECT_EQ(m.icon, Prompter::Icon::Warning);
    EXPECT_TRUE(m.text.endsWith(QStringLiteral(": «è» (U+00E8), «½» (U+00BD), «🍋» (U+1F34B).")))
        << m.text.toStdString();
    for (const char16_t *fine : {u"«№»", u"«°»", u"«ё»", u"«—»", u"(U+00AB)"})
        EXPECT_FALSE(m.text.contains(QString::fromUtf16(fine))) << QString::fromUtf16(fine).toStdString();

    // Stored as the warning said: each of them a "?".
    ASSERT_TRUE(f.base.load(f.memory, 1, f.table, name, QString()));
    EXPECT_EQ(f.memory.slot(1)->item(1)->clsProds().FullName, u"Лимон ??");
    EXPECT_EQ(f.memory.slot(1)->item(1)->clsProds().ShortName, u"Лимон №1 — ёмкий");
    EXPECT_EQ(f.base.recipeNames(f.table).value(), QStringList {QStringLiteral("Суп-пюре «Cr?me»")});
}

namespace {

bool hasNameIndex(DishFixture &f, const QString &table)
{
    SqlStatement q(f.db(), QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'index' AND tbl_name = ?"));
    q.exec({table});
    while (q.next()) {
        if (q.value(0).toString().contains(QStringLiteral("\"l26\", \"l1\"")))
            return true;
    }
    return false;
}

} // namespace

TEST(DishBase, TheFirstLoadOrSaveOfATableMakesTheNameIndexEveryLookupUses)
{
    DishFixture f;
    ASSERT_FALSE(hasNameIndex(f, f.table));
    ASSERT_TRUE(f.base.save(soup(), f.table, QStringLiteral("Суп"), {}));
    EXPECT_TRUE(hasNameIndex(f, f.table));

    // A table written by another program and only ever loaded from.
    const QString other = addCollection(f.t.connections(), f.t.settings(), QStringLiteral("Чужая"))->table;
    f.table = other;
    f.insertRaw({{1, QStringLiteral("Чай")}, {2, QStringLiteral("200")}, {15, QStringLiteral("pro00000001")},
        {17, QStringLiteral("10")}, {18, QStringLiteral("10")},
        {23, QStringList(24, QStringLiteral("1")).join(QStringLiteral("<Str>"))}});
    ASSERT_FALSE(hasNameIndex(f, other));
    DishBase fresh {f.t.connections(), kDishes, f.t.settings(), f.t.prompter(), f.codec};
    f.t.prompter().setDefaultAnswer(Prompter::Answer::Yes);
    ASSERT_TRUE(fresh.load(f.memory, 1, other, QStringLiteral("Чай"), QString()));
    EXPECT_TRUE(hasNameIndex(f, other));

    SqlStatement plan(f.db(),
        QStringLiteral("EXPLAIN QUERY PLAN SELECT 1 FROM ") + other
            + QStringLiteral(" WHERE \"l1\" = ? AND (\"l26\" IS NULL OR \"l26\" = '') AND (\"l28\" IS NULL OR "
                             "\"l28\" = '')"));
    ASSERT_TRUE(plan.exec({QStringLiteral("x")}));
    QString steps;
    while (plan.next())
        steps += plan.value(3).toString() + u'\n';
    EXPECT_FALSE(steps.contains(QStringLiteral("SCAN"))) << steps.toStdString();
}

TEST(DishBase, StatementsKeptForTheNextRecipeDoNotHoldTheTable)
{
    DishFixture f;
    ASSERT_TRUE(f.base.save(soup(), f.table, QStringLiteral("Суп"), {}));
    ASSERT_TRUE(f.base.load(f.memory, 1, f.table, QStringLiteral("Суп"), QString()));
    ASSERT_TRUE(f.base.exists(f.table, QStringLiteral("Суп")));
    ASSERT_FALSE(f.base.load(f.memory, 1, f.table, QStringLiteral("Нет такого"), QString()));
    // A table with a statement still running cannot be dropped.
    EXPECT_TRUE(execSql(f.db(), QStringLiteral("DROP TABLE ") + f.table));
    // The base goes on after the table it had statements for is gone.
    const QString next = addCollection(f.t.connections(), f.t.settings(), QStringLiteral("Новая"))->table;
    ASSERT_TRUE(f.base.save(soup(), next, QStringLiteral("Суп"), {}));
    ASSERT_TRUE(f.base.load(f.memory, 1, next, QStringLiteral("Суп"), QString()));
    EXPECT_EQ(f.memory.slot(1)->Count(), 3);
}
