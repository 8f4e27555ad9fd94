#include "support/CliRunner.h"

#include "DemoKitchen.h"
#include "common/Clock.h"
#include "common/ProgramLocale.h"
#include "common/ScriptedPrompter.h"
#include "menus/MealList.h"
#include "menus/MenuBase.h"
#include "menus/RationTotals.h"
#include "recipes/DishBase.h"
#include "recipes/DishComposition.h"
#include "recipes/HeatTreatment.h"
#include "recipes/Masses.h"
#include "recipes/PositionKey.h"
#include "shell/AppContext.h"
#include "shell/Connections.h"
#include "shell/Databases.h"
#include "shell/DishCollections.h"
#include "shell/ErrorLog.h"
#include "shell/SettingsStore.h"
#include "shell/SharedSettings.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"
#include "warehouse/StockCheck.h"
#include "warehouse/WarehouseBase.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <QFileInfo>
#include <algorithm>
#include <map>

#include <gtest/gtest.h>

using namespace kulvera;

namespace {

// A folder for the kitchen and a settings file of "the user's own" that the
// command must leave alone.
struct DemoCli {
    QTemporaryDir dir;
    test::CliRunner runner {dir.filePath(QStringLiteral("own.ini"))};
    QString kitchen = dir.filePath(QStringLiteral("kitchen"));
    QString kitchenSettings = QDir(kitchen).filePath(QStringLiteral("Kulvera.ini"));

    int demo() { return runner.run({QStringLiteral("demo"), kitchen}); }
    int inKitchen(const QStringList &args)
    {
        test::CliRunner k(kitchenSettings);
        const int code = k.run(args);
        runner.out = k.out;
        runner.err = k.err;
        return code;
    }
};

// Every file below `folder` with its size and time of change.
QStringList snapshot(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo f(it.next());
        files << f.filePath() + u' ' + QString::number(f.size()) + u' '
                + QString::number(f.lastModified().toMSecsSinceEpoch());
    }
    files.sort();
    return files;
}

// The kitchen's bases opened the way the programs open them.
struct OpenedKitchen {
    SettingsStore settings;
    SharedSettings shared;
    ScriptedPrompter prompter;
    ErrorLog log;
    Connections connections {prompter, settings, log};

    explicit OpenedKitchen(const QString &ini)
        : settings(ini)
        , shared(SharedSettings::load(settings, {QString(), QString(), QString(), QString()}))
    {
        connections.setDefaultFolder(shared.databasesFolder());
        for (BaseId b : {BaseId::Dishes, BaseId::Products, BaseId::Losses, BaseId::LossesOutput, BaseId::Menu})
            connections.connectBase(b, shared, true);
    }
};

} // namespace

TEST(CliDemo, MakesAKitchenWhoseRecipesAllComputeWithKnownLossTypes)
{
    DemoCli cli;
    ASSERT_EQ(cli.demo(), 0) << cli.runner.err.toStdString();
    EXPECT_TRUE(cli.runner.out.contains(cli.kitchenSettings)) << cli.runner.out.toStdString();
    // The user's own settings got nothing.
    EXPECT_FALSE(SettingsStore(cli.runner.settingsFile()).contains(Section::Data, QStringLiteral("Dir_book")));

    ASSERT_TRUE(QFileInfo::exists(cli.kitchenSettings));
    const QString db = QDir(cli.kitchen).filePath(QStringLiteral("KV_Bases/DB"));
    for (const char *base : {"bl_base.db", "db011.db", "Menu.db", "db101.db", "teplovBase.db"})
        EXPECT_TRUE(QFileInfo::exists(QDir(db).filePath(QString::fromLatin1(base)))) << base;

    // The programs start on it as on any installation, asking nothing
    // (with the locale they pin first thing).
    pinProgramLocale();
    EXPECT_EQ(cli.inKitchen({QStringLiteral("startup-check")}), 0) << cli.runner.out.toStdString();
    EXPECT_TRUE(cli.runner.out.contains(u"Ready.")) << cli.runner.out.toStdString();

    ASSERT_EQ(cli.inKitchen({QStringLiteral("recipes"), QStringLiteral("list")}), 0) << cli.runner.err.toStdString();
    const QStringList names = cli.runner.out.split(u'\n', Qt::SkipEmptyParts);
    EXPECT_GE(names.size(), 15 + 4);
    for (const char16_t *name : {u"Борщ с капустой и картофелем", u"Каша манная молочная", u"Компот из кураги",
             u"Салат из свежих огурцов и помидоров", u"Суп картофельный на мясном бульоне"})
        EXPECT_TRUE(names.contains(QString::fromUtf16(name))) << QString::fromUtf16(name).toStdString();

    ASSERT_EQ(cli.inKitchen({QStringLiteral("recipes"), QStringLiteral("compute"),
                  QStringLiteral("Тефтели из говядины в томатном соусе"), QStringLiteral("--json")}),
        0)
        << cli.runner.err.toStdString();
    EXPECT_TRUE(cli.runner.out.contains(u"\"kcalPer100g\"")) << cli.runner.out.toStdString();

    // Every semi-finished product names a loss type the kitchen's loss base
    // has (an unknown one would silently fall back to the average losses),
    // and every recipe gives a dish with energy.
    OpenedKitchen k(cli.kitchenSettings);
    HeatTreatmentTables losses;
    ASSERT_TRUE(losses.load(k.connections, k.settings));
    const auto table = findRecipeTable(k.connections, k.settings, {});
    ASSERT_TRUE(table);
    const auto codec = installationCodec(k.connections, static_cast<int>(BaseId::Dishes), k.settings, nullptr);
    ASSERT_TRUE(codec);
    DishBase base(k.connections, static_cast<int>(BaseId::Dishes), k.settings, k.prompter, codec.value());
    int semiFinished = 0;
    const Result<QStringList> recipes = base.recipeNames(*table);
    ASSERT_TRUE(recipes);
    for (const QString &name : recipes.value()) {
        SCOPED_TRACE(name.toStdString());
        RecipeSlots memory;
        const auto loaded = base.load(memory, 1, *table, name, {});
        ASSERT_TRUE(loaded) << loaded.error().toStdString();
        for (const clsBludo &b : *memory.slot(1)) {
            if (isSemiFinishedKey(b.clsProds().Kod.toString())) {
                ++semiFinished;
                EXPECT_NE(losses.find(b.clsProds().Id), nullptr) << b.clsProds().Id.toStdString();
            }
        }
        const DishValues values = computeDish(*memory.slot(1), name, outputValue(loaded->output), losses, k.prompter);
        EXPECT_TRUE(values.hasPer100);
        EXPECT_GT(values.kcal, 10.0);
    }
    EXPECT_GE(semiFinished, 20);
    EXPECT_FALSE(k.prompter.saw(QStringLiteral("Не обнаружен тип потерь"))) << k.prompter.transcript().toStdString();
}

TEST(CliDemo, RefusesAFolderThatHoldsAnInstallationAndChangesNothing)
{
    DemoCli cli;
    ASSERT_EQ(cli.demo(), 0) << cli.runner.err.toStdString();
    const QStringList before = snapshot(cli.kitchen);
    EXPECT_EQ(cli.demo(), 1);
    EXPECT_TRUE(cli.runner.err.contains(u"уже есть установка")) << cli.runner.err.toStdString();
    EXPECT_EQ(snapshot(cli.kitchen), before);

    // A bases folder alone is an installation too.
    QTemporaryDir other;
    QDir(other.path()).mkpath(QStringLiteral("KV_Bases/DB"));
    EXPECT_EQ(cli.runner.run({QStringLiteral("demo"), other.path()}), 1);
    EXPECT_FALSE(QFileInfo::exists(QDir(other.path()).filePath(QStringLiteral("Kulvera.ini"))));
    EXPECT_EQ(cli.runner.run({QStringLiteral("demo")}), 2);
}

TEST(CliDemo, AFailedBuildLeavesNoHalfKitchenBehind)
{
    // Seed data without the canteen's recipes: the build stops at that step.
    QTemporaryDir data;
    const QDir source(QString::fromLocal8Bit(qgetenv("KULVERA_DATA_DIR")));
    ASSERT_TRUE(source.exists());
    for (const QString &f : source.entryList({QStringLiteral("*.csv")}, QDir::Files)) {
        if (f == u"demo_kitchen_recipes.csv")
            continue;
        ASSERT_TRUE(QFile::copy(source.filePath(f), QDir(data.path()).filePath(f)));
    }
    const QByteArray saved = qgetenv("KULVERA_DATA_DIR");
    qputenv("KULVERA_DATA_DIR", data.path().toLocal8Bit());
    DemoCli cli;
    const int code = cli.demo();
    qputenv("KULVERA_DATA_DIR", saved);
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(cli.runner.err.contains(u"demo_kitchen_recipes.csv")) << cli.runner.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(cli.kitchen));
    // ...so the next attempt, with the data in place, succeeds.
    EXPECT_EQ(cli.demo(), 0) << cli.runner.err.toStdString();
}

// Two weeks, Monday to Friday, for two groups, each day with breakfast,
// lunch and a snack of the kitchen's recipes, saved through the menu base.
TEST(CliDemo, TheKitchenHasTwoWeeksOfRationsForTwoGroups)
{
    DemoCli cli;
    ASSERT_EQ(cli.demo(), 0) << cli.runner.err.toStdString();
    OpenedKitchen k(cli.kitchenSettings);
    EXPECT_EQ(MealList(k.settings, k.prompter).names(),
        (QStringList {QStringLiteral("Завтрак"), QStringLiteral("Обед"), QStringLiteral("Полдник")}));
    const auto codec = installationCodec(k.connections, static_cast<int>(BaseId::Dishes), k.settings, nullptr);
    ASSERT_TRUE(codec);
    const MenuBase menu(k.connections, static_cast<int>(BaseId::Menu), k.settings, k.prompter, codec.value());
    const auto rations = menu.list(RationOrder::ByDate);
    ASSERT_TRUE(rations) << rations.error().toStdString();
    ASSERT_EQ(rations->size(), 20u);
    std::map<QString, std::vector<QDate>> days;
    for (const RationListEntry &e : rations.value())
        days[e.group].push_back(e.date);
    ASSERT_EQ(days.size(), 2u);
    const std::vector<QDate> &young = days[QStringLiteral("Дети 7-11 лет")];
    ASSERT_EQ(young.size(), 10u);
    EXPECT_EQ(young, days[QStringLiteral("Дети 12-18 лет")]);
    // From the Monday of this week (of the next on a weekend), working days only.
    EXPECT_EQ(young.front(), demoKitchenFirstDay(QDate::currentDate()));
    EXPECT_EQ(demoKitchenFirstDay(QDate(2026, 12, 2)), QDate(2026, 11, 30));
    EXPECT_EQ(demoKitchenFirstDay(QDate(2026, 12, 6)), QDate(2026, 12, 7));
    EXPECT_EQ(young.back(), young.front().addDays(11));
    for (const QDate &d : young)
        EXPECT_LE(d.dayOfWeek(), 5) << d.toString(Qt::ISODate).toStdString();

    // The older children eat more of the same day.
    const Result<Ration> small = menu.load({young.front(), QStringLiteral("Дети 7-11 лет")});
    const Result<Ration> large = menu.load({young.front(), QStringLiteral("Дети 12-18 лет")});
    ASSERT_TRUE(small && large);
    ASSERT_EQ(small->mealCount(), 3);
    EXPECT_EQ(small->mealName(1), u"Завтрак");
    EXPECT_EQ(small->dishCount(), large->dishCount());
    EXPECT_GE(small->dishCount(), 8);
    const NutrientTotals a = rationTotals(small.value());
    const NutrientTotals b = rationTotals(large.value());
    EXPECT_GT(a.kcal, 800.0);
    EXPECT_GT(b.mass, a.mass);
    EXPECT_GT(b.kcal, a.kcal);

    // Every dish carries its energy, also one that is a semi-finished product
    // alone (boiled milk): the recipes were stored with their semi-finished
    // products worked out.
    for (const RationListEntry &e : rations.value()) {
        const Result<Ration> r = menu.load({e.date, e.group});
        ASSERT_TRUE(r);
        for (int n = 1; n <= r->dishCount(); ++n)
            EXPECT_GT(dishTotals(r.value(), n).kcal, 5.0) << r->dishName(n).toStdString();
    }
}

TEST(CliDemo, TheKitchenHasItsStoreRoomWithAMonthOfReceipts)
{
    DemoCli cli;
    ASSERT_EQ(cli.demo(), 0) << cli.runner.err.toStdString();
    ASSERT_EQ(cli.inKitchen({QStringLiteral("stock"), QStringLiteral("warehouses")}), 0)
        << cli.runner.err.toStdString();
    EXPECT_EQ(cli.runner.out.trimmed().split(u'\n').size(), 2) << cli.runner.out.toStdString();
    ASSERT_EQ(cli.inKitchen({QStringLiteral("stock"), QStringLiteral("suppliers")}), 0);
    EXPECT_EQ(cli.runner.out.trimmed().split(u'\n').size(), 3) << cli.runner.out.toStdString();
    ASSERT_EQ(cli.inKitchen({QStringLiteral("stock"), QStringLiteral("lots"), QStringLiteral("--json")}), 0);
    const QJsonDocument lots = QJsonDocument::fromJson(cli.runner.out.toUtf8());
    ASSERT_TRUE(lots.isArray()) << cli.runner.out.toStdString();
    EXPECT_GT(lots.array().size(), 20);
    // Every receipt came before the first day of cooking.
    const QDate firstDay = demoKitchenFirstDay(QDate::currentDate());
    for (const QJsonValue lot : lots.array()) {
        const QDate date = QDate::fromString(lot.toObject().value(QStringLiteral("date")).toString(), u"dd.MM.yyyy");
        ASSERT_TRUE(date.isValid()) << QJsonDocument(lot.toObject()).toJson().toStdString();
        EXPECT_LT(date, firstDay);
    }
}

TEST(CliDemo, TheMenusOfPastDaysAreWrittenOffByDishesAndPosted)
{
    DemoCli cli;
    ASSERT_EQ(cli.demo(), 0) << cli.runner.err.toStdString();
    ASSERT_EQ(cli.inKitchen({QStringLiteral("stock"), QStringLiteral("check")}), 0) << cli.runner.out.toStdString();
    EXPECT_TRUE(cli.runner.out.contains(u"Расхождений нет.")) << cli.runner.out.toStdString();

    OpenedKitchen k(cli.kitchenSettings);
    ASSERT_NE(k.connections.connectBase(BaseId::Warehouse, k.shared, true), Connections::kFailed);
    const QSqlDatabase db = k.connections.database(BaseId::Warehouse);
    SqlStatement headers(db,
        QStringLiteral("SELECT COUNT(*), MIN(\"Дата\"), MAX(\"Дата\") FROM \"Накладные_Заголовки\" "
                       "WHERE \"Документ\" = 2 AND \"Проводка\" = 1"));
    ASSERT_TRUE(headers.exec() && headers.next());
    // Both groups of every day from the first up to today, or of the first day when none is past.
    const QDate today = QDate::currentDate();
    const QDate firstDay = demoKitchenFirstDay(today);
    const QDate lastDay = std::min(firstDay.addDays(4), std::max(today, firstDay));
    EXPECT_EQ(headers.value(0).toInt(), 2 * (firstDay.daysTo(lastDay) + 1));
    EXPECT_EQ(storedDate(headers.value(1)), firstDay);
    EXPECT_EQ(storedDate(headers.value(2)), lastDay);
    headers.finish();
    // Lines of dishes, in grams, every one posted.
    SqlStatement lines(db,
        QStringLiteral("SELECT COUNT(*), SUM(\"Проводка\" = 0), MIN(\"Ед_изм\"), MAX(\"Ед_изм\"), "
                       "COUNT(DISTINCT \"Название_рецептуры\") FROM \"Расход_Товара\""));
    ASSERT_TRUE(lines.exec() && lines.next());
    EXPECT_GT(lines.value(0).toInt(), 20);
    EXPECT_EQ(lines.value(1).toInt(), 0);
    EXPECT_EQ(lines.value(2).toInt(), 2);
    EXPECT_EQ(lines.value(3).toInt(), 2);
    EXPECT_GE(lines.value(4).toInt(), 5);
}

TEST(CliDemo, AWholeWeekOfMenusIsCoveredByTheStoreRoom)
{
    // Made on a Friday: Monday to Friday are written off, ten rations of twenty portions.
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    ErrorLog log(dir.filePath(QStringLiteral("errors.log")));
    const FixedClock friday(QDateTime(QDate(2026, 12, 4), QTime(18, 0)));
    const QString folder = dir.filePath(QStringLiteral("kitchen"));
    const Status built = buildDemoKitchen(folder, prompter, log, friday, {});
    ASSERT_TRUE(built) << built.error().toStdString();

    OpenedKitchen k(demoKitchenSettingsFile(folder));
    ASSERT_NE(k.connections.connectBase(BaseId::Warehouse, k.shared, true), Connections::kFailed);
    attachExternalTables(k.connections);
    const FixedClock clock(friday.now());
    AppContext context {k.prompter, k.settings, k.shared, clock, k.connections, k.log};
    WarehouseBase base(context);
    SqlStatement posted(base.database(),
        QStringLiteral("SELECT COUNT(*) FROM \"Накладные_Заголовки\" WHERE \"Документ\" = 2 AND \"Проводка\" = 1"));
    ASSERT_TRUE(posted.exec() && posted.next());
    EXPECT_EQ(posted.value(0).toInt(), 10);
    posted.finish();
    const auto differences = checkStock(base);
    ASSERT_TRUE(differences);
    EXPECT_TRUE(differences->empty());
}
