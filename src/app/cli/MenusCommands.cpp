#include "CliCommand.h"
#include "CliEnvironment.h"
#include "CliRecipeTable.h"

#include "common/NumberText.h"
#include "common/TextDate.h"
#include "menus/DayLocks.h"
#include "menus/MenuArchive.h"
#include "menus/MenuBase.h"
#include "menus/RationEditing.h"
#include "menus/RationTotals.h"
#include "shell/DishCollections.h"
#include "shell/SettingsStore.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

namespace kulvera {
namespace {

const QString kMenusUsage
    = QStringLiteral("menus list [--json] | menus show DATE [--group G] [--json] | "
                     "menus add-dish DATE MEAL RECIPE [--group G] [--output X] | menus remove DATE [--group G] | "
                     "menus lock DATE [--group G|--all] | menus unlock DATE [--group G|--all] | "
                     "menus archive [--move-to FILE [--create]]");

int usage(CliRun &run)
{
    run.err << "Usage: " << kMenusUsage << '\n';
    return kExitUsage;
}

// The words of a menus command: positional ones and the options it knows.
struct MenusArgs {
    QStringList words;
    QString group;
    QString output;
    QString moveTo;
    bool json = false;
    bool all = false;
    bool create = false;
    bool bad = false;
};

MenusArgs parse(const QStringList &args)
{
    MenusArgs a;
    for (int i = 0; i < args.size(); ++i) {
        const QString &w = args[i];
        const bool hasValue = i + 1 < args.size();
        if (w == u"--group" && hasValue)
            a.group = args[++i];
        else if (w == u"--output" && hasValue)
            a.output = args[++i];
        else if (w == u"--move-to" && hasValue)
            a.moveTo = args[++i];
        else if (w == u"--json")
            a.json = true;
        else if (w == u"--all")
            a.all = true;
        else if (w == u"--create")
            a.create = true;
        else if (w.startsWith(u"--"))
            a.bad = true;
        else
            a.words << w;
    }
    return a;
}

QJsonObject totalsJson(const NutrientTotals &t)
{
    QJsonObject o;
    o.insert(QStringLiteral("mass"), roundTo(t.mass, 1));
    o.insert(QStringLiteral("proteins"), roundTo(t.proteins, 2));
    o.insert(QStringLiteral("fats"), roundTo(t.fats, 2));
    o.insert(QStringLiteral("carbohydrates"), roundTo(t.carbohydrates, 2));
    o.insert(QStringLiteral("kcal"), roundTo(t.kcal, 1));
    return o;
}

QString totalsText(const NutrientTotals &t)
{
    return formatFixed(t.mass, 1) + u'\t' + formatFixed(t.proteins, 2) + u'\t' + formatFixed(t.fats, 2) + u'\t'
        + formatFixed(t.carbohydrates, 2) + u'\t' + formatFixed(t.kcal, 1);
}

void printRation(CliRun &run, const Ration &r, bool json)
{
    if (json) {
        QJsonObject root;
        root.insert(QStringLiteral("date"), formatTextDate(r.date()));
        root.insert(QStringLiteral("group"), r.group());
        root.insert(QStringLiteral("norm"), r.normCode());
        QJsonArray meals;
        for (int m = 1; m <= r.mealCount(); ++m) {
            QJsonObject meal;
            meal.insert(QStringLiteral("name"), r.mealName(m));
            QJsonArray dishes;
            for (int e = 1; e <= r.meal(m)->Count(); ++e) {
                const int n = r.dishAt(m, e);
                QJsonObject dish = totalsJson(dishTotals(r, n));
                dish.insert(QStringLiteral("name"), r.dishName(n));
                dish.insert(QStringLiteral("output"), r.dishOutput(n));
                QJsonArray positions;
                for (const clsBludo &b : *r.dish(n)) {
                    const clsProds &p = b.clsProds();
                    QJsonObject o;
                    o.insert(QStringLiteral("key"), p.Kod.toString());
                    o.insert(QStringLiteral("product"), p.ID_Prod);
                    o.insert(QStringLiteral("name"), p.FullName.isEmpty() ? p.ShortName : p.FullName);
                    o.insert(QStringLiteral("brutto"), p.Brutto);
                    o.insert(QStringLiteral("netto"), p.Netto);
                    positions.append(o);
                }
                dish.insert(QStringLiteral("positions"), positions);
                dishes.append(dish);
            }
            meal.insert(QStringLiteral("dishes"), dishes);
            meal.insert(QStringLiteral("totals"), totalsJson(mealTotals(r, m)));
            meals.append(meal);
        }
        root.insert(QStringLiteral("meals"), meals);
        root.insert(QStringLiteral("totals"), totalsJson(rationTotals(r)));
        run.out << QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
        return;
    }
    run.out << formatTextDate(r.date()) << '\t' << groupCaption(r.group()) << '\n';
    run.out << "\tвыход, г\tбелки, г\tжиры, г\tуглеводы, г\tккал\n";
    for (int m = 1; m <= r.mealCount(); ++m) {
        run.out << r.mealName(m) << '\t' << totalsText(mealTotals(r, m)) << '\n';
        for (int e = 1; e <= r.meal(m)->Count(); ++e) {
            const int n = r.dishAt(m, e);
            run.out << "  " << r.dishName(n) << '\t' << totalsText(dishTotals(r, n)) << '\n';
        }
    }
    run.out << "Итого\t" << totalsText(rationTotals(r)) << '\n';
}

int menusCommand(CliRun &run)
{
    const MenusArgs a = parse(run.args);
    if (a.bad || a.words.isEmpty())
        return usage(run);
    const QString verb = a.words.first();
    const int positional = static_cast<int>(a.words.size()) - 1;
    const bool known = (verb == u"list" && positional == 0) || (verb == u"show" && positional == 1)
        || (verb == u"add-dish" && positional == 3) || (verb == u"remove" && positional == 1)
        || ((verb == u"lock" || verb == u"unlock") && positional == 1 && !(a.all && !a.group.isEmpty()))
        || (verb == u"archive" && positional == 0);
    if (!known)
        return usage(run);
    std::optional<QDate> date;
    if (positional >= 1 && verb != u"archive") {
        date = dateArgument(a.words[1]);
        if (!date) {
            run.err << "Не удалось распознать дату! " << a.words[1] << '\n';
            return kExitUsage;
        }
    }

    CliEnvironment env(run);
    // The rows are encoded with the installation's key, kept in the dish base.
    std::optional<CliRecipeTable> recipes = openRecipeTable(env, run, QString());
    if (!recipes)
        return kExitFailed;
    const int number = env.connections().connectBase(BaseId::Menu, env.shared(), true);
    if (number == Connections::kFailed) {
        run.err << "Cannot open the menu base " << basePath(BaseId::Menu, run.settings, env.shared()) << '\n';
        return kExitFailed;
    }
    const MenuBase base(env.connections(), number, run.settings, run.prompter, recipes->base->codec());
    const RationKey key {date.value_or(QDate()), a.group};
    const auto failed = [&](const QString &error) {
        if (!error.isEmpty())
            run.err << error << '\n';
        return kExitFailed;
    };

    if (verb == u"list") {
        const auto list = base.list();
        if (!list)
            return failed(list.error());
        if (a.json) {
            QJsonArray out;
            for (const RationListEntry &e : list.value()) {
                QJsonObject o;
                o.insert(QStringLiteral("date"), formatTextDate(e.date));
                o.insert(QStringLiteral("group"), e.group);
                o.insert(QStringLiteral("norm"), e.normCode);
                out.append(o);
            }
            run.out << QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Indented));
        } else {
            for (const RationListEntry &e : list.value())
                run.out << formatTextDate(e.date) << '\t' << groupCaption(e.group) << '\n';
        }
        return kExitOk;
    }
    if (verb == u"show") {
        const auto ration = base.load(key);
        if (!ration)
            return failed(ration.error());
        if (ration->isEmpty())
            return failed(QStringLiteral("Рацион не найден"));
        printRation(run, ration.value(), a.json);
        return kExitOk;
    }
    const RationEditing editing(base);
    if (verb == u"add-dish") {
        auto ration = base.load(key);
        if (!ration)
            return failed(ration.error());
        Ration edited = ration.value();
        // The recipe is taken from the first collection of the dish base that holds it.
        QString table = recipes->table;
        for (const DishCollection &c : listCollections(env.connections(), run.settings)) {
            if (recipes->base->exists(c.table, a.words[3])) {
                table = c.table;
                break;
            }
        }
        const Result<int> added = editing.addDish(edited, a.words[2], *recipes->base, table, a.words[3], a.output);
        if (!added)
            return failed(added.error());
        if (const Status s = editing.save(edited); !s)
            return failed(s.error());
        run.out << a.words[3] << '\t' << edited.dishOutput(added.value()) << '\n';
        return kExitOk;
    }
    if (verb == u"remove") {
        if (!base.exists(key))
            return failed(QStringLiteral("Рацион не найден"));
        const Result<int> removed = base.removeRations({key});
        if (!removed)
            return failed(removed.error());
        return removed.value() == 1 ? kExitOk : kExitFailed;
    }
    const DayLocks locks(base);
    if (verb == u"lock") {
        const Status s = a.all ? locks.lockAll(*date) : locks.lock(*date, a.group);
        return s ? kExitOk : failed(s.error());
    }
    if (verb == u"unlock") {
        const Status s = a.all ? locks.unlockAll(*date) : locks.unlock(*date, a.group);
        return s ? kExitOk : failed(s.error());
    }
    // archive
    const QDate today = QDate::currentDate();
    if (!a.moveTo.isEmpty()) {
        const Status s = moveRationsTo(base, a.moveTo, a.create, env.tempFolder(), today);
        return s ? kExitOk : failed(s.error());
    }
    const Result<QString> archived = archiveMenuBase(base, env.shared(), env.tempFolder(), today);
    if (!archived)
        return failed(archived.error());
    run.out << archived.value() << '\n';
    return kExitOk;
}

const CliRegistrar menusRegistrar({QStringLiteral("menus"), kMenusUsage,
    QStringLiteral("list and show rations, add a dish, remove a ration, lock days, archive the menu base"),
    menusCommand});

} // namespace
} // namespace kulvera
