#include "DemoKitchenRations.h"

#include "DemoKitchen.h"
#include "menus/MealList.h"
#include "menus/MenuBase.h"
#include "menus/MenuVariants.h"
#include "menus/RationEditing.h"
#include "recipes/DishBase.h"
#include "shell/Connections.h"
#include "shell/DataFiles.h"
#include "shell/DishCollections.h"
#include "shell/SqlStatement.h"

#include <map>

namespace kulvera {
namespace {

struct PlannedDish {
    QString meal;
    QString recipe;
    QString output;
};

struct Plan {
    QStringList meals; // in the order the file meets them
    QStringList groups;
    std::map<std::pair<int, QString>, std::vector<PlannedDish>> rations; // (day, group)
};

Result<Plan> readPlan(const QString &csv)
{
    using R = Result<Plan>;
    const std::optional<SeedTable> seed = readSeedTable(csv);
    if (!seed)
        return R::failure(QStringLiteral("Не найден файл ") + csv);
    Plan plan;
    for (const SeedRow &row : seed->rows) {
        const QStringList &c = row.cells;
        bool number = false;
        const int day = c.value(0).trimmed().toInt(&number);
        if (c.size() < 5 || !number || day < 1 || day > 10 || c[2].trimmed().isEmpty() || c[3].trimmed().isEmpty())
            return R::failure(csv + QStringLiteral(": строка ") + QString::number(row.line));
        const QString group = c[1].trimmed();
        const QString meal = c[2].trimmed();
        if (!plan.meals.contains(meal))
            plan.meals << meal;
        if (!group.isEmpty() && !plan.groups.contains(group))
            plan.groups << group;
        plan.rations[{day, group}].push_back({meal, c[3].trimmed(), c[4].trimmed()});
    }
    return plan;
}

// Days 1-5 are Monday to Friday of the first week, 6-10 of the next.
QDate dateOf(const QDate &firstDay, int day)
{
    return firstDay.addDays((day - 1) / 5 * 7 + (day - 1) % 5);
}

} // namespace

Status addDemoRations(DemoKitchen &kitchen)
{
    const Result<Plan> plan = readPlan(dataFile(QStringLiteral("demo_menu.csv")));
    if (!plan)
        return Status::failure(plan.error());
    Connections &c = kitchen.connections;
    if (c.connectBase(BaseId::Menu, kitchen.shared, true) == Connections::kFailed
        || c.connectBase(BaseId::Dishes, kitchen.shared, true) == Connections::kFailed)
        return Status::failure(QStringLiteral("Нет подключения к базе меню или базе блюд"));
    const std::optional<QString> table = findRecipeTable(c, kitchen.settings, {});
    if (!table)
        return Status::failure(QStringLiteral("В базе блюд нет рецептур"));
    // Menu rows are encoded like the dish base's rows, with the same key.
    const int dishNumber = static_cast<int>(BaseId::Dishes);
    const Result<StoredTextCodec> codec = installationCodec(c, dishNumber, kitchen.settings, nullptr);
    if (!codec)
        return Status::failure(codec.error());
    DishBase dishes(c, dishNumber, kitchen.settings, kitchen.prompter, codec.value());
    const MenuBase menu(c, static_cast<int>(BaseId::Menu), kitchen.settings, kitchen.prompter, codec.value());

    MealList(kitchen.settings, kitchen.prompter).setNames(plan->meals);
    // All rations or none.
    Transaction transaction(menu.database(), &c.errorLog());
    const MenuVariants variants(menu);
    for (const QString &group : plan->groups) {
        if (const Result<int> added = variants.add(group); !added)
            return Status::failure(added.error());
    }
    const RationEditing editing(menu);
    for (const auto &[key, planned] : plan->rations) {
        Ration ration(RationKey {dateOf(kitchen.firstDay, key.first), key.second});
        for (const PlannedDish &d : planned) {
            const Result<int> added = editing.addDish(ration, d.meal, dishes, *table, d.recipe, d.output);
            if (!added)
                return Status::failure(d.recipe + QStringLiteral(": ") + added.error());
        }
        if (const Status s = editing.save(ration); !s)
            return s;
    }
    return transaction.commit();
}

} // namespace kulvera
