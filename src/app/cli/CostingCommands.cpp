#include "CliCommand.h"
#include "CliEnvironment.h"
#include "CliMenuAccess.h"
#include "CliRecipeTable.h"

#include "common/Clock.h"
#include "common/NumberText.h"
#include "common/TextDate.h"
#include "costing/DishCost.h"
#include "costing/MenuRequisition.h"
#include "costing/NormAnalysis.h"
#include "costing/NormBase.h"
#include "costing/PriceSources.h"
#include "costing/RationCost.h"
#include "costing/RationScan.h"
#include "costing/RequisitionDocument.h"
#include "costing/StockLotPrices.h"
#include "costing/chart/FulfilmentChart.h"
#include "menus/MealList.h"
#include "menus/MenuBase.h"
#include "products/ProductBase.h"
#include "shell/Catalogue.h"
#include "shell/SettingDefaults.h"
#include "shell/SettingsStore.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>

namespace kulvera {
namespace {

const QString kCostUsage = QStringLiteral("menus cost DATE [--group G] [--meal NAME] [--json]");
const QString kAnalyseUsage
    = QStringLiteral("menus analyse --from D --to D [--group G] --norm NAME [--json] [--png FILE]");
const QString kRequisitionUsage = QStringLiteral("menus requisition DATE [--group G] [--json] [-o OUT.xlsx]");

// The words and options of the three commands; each takes what it knows.
struct CostingArgs {
    QStringList words;
    QString group, meal, from, to, norm, png, output;
    bool json = false;
    bool bad = false;
};

CostingArgs parse(const QStringList &args, const QStringList &withValue)
{
    CostingArgs a;
    for (int i = 0; i < args.size(); ++i) {
        const QString &w = args[i];
        if (w == u"--json") {
            a.json = true;
        } else if (w == u"-o" && withValue.contains(w)) {
            if (i + 1 >= args.size())
                a.bad = true;
            else
                a.output = args[++i];
        } else if (w.startsWith(u"--")) {
            if (!withValue.contains(w) || i + 1 >= args.size()) {
                a.bad = true;
                continue;
            }
            const QString v = args[++i];
            if (w == u"--group")
                a.group = v;
            else if (w == u"--meal")
                a.meal = v;
            else if (w == u"--from")
                a.from = v;
            else if (w == u"--to")
                a.to = v;
            else if (w == u"--norm")
                a.norm = v;
            else if (w == u"--png")
                a.png = v;
        } else {
            a.words << w;
        }
    }
    return a;
}

int usage(CliRun &run, const QString &text)
{
    run.err << "Usage: " << text << '\n';
    return kExitUsage;
}

void printJson(CliRun &run, const QJsonObject &o)
{
    run.out << QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented));
}

QJsonValue optionalNumber(const std::optional<double> &v, int decimals)
{
    return v ? QJsonValue(roundTo(*v, decimals)) : QJsonValue();
}

QString optionalText(const std::optional<double> &v, int decimals)
{
    return v ? formatFixed(*v, decimals) : QString();
}

int costCommand(CliRun &run)
{
    const CostingArgs a = parse(run.args, {QStringLiteral("--group"), QStringLiteral("--meal")});
    if (a.bad || a.words.size() != 1)
        return usage(run, kCostUsage);
    const std::optional<QDate> date = dateArgument(a.words[0]);
    if (!date) {
        run.err << "Не удалось распознать дату! " << a.words[0] << '\n';
        return kExitUsage;
    }
    CliMenuAccess menu(run);
    if (!menu.base)
        return kExitFailed;
    const QStringList meals = MealList(run.settings, run.prompter).names();
    int meal = -1;
    if (!a.meal.isEmpty()) {
        meal = static_cast<int>(meals.indexOf(a.meal)) + 1;
        if (meal == 0) {
            run.err << "Нет такого приема в списке приемов: " << a.meal << '\n';
            return kExitFailed;
        }
    }
    const Result<Ration> ration = menu.base->load({*date, a.group});
    if (!ration) {
        run.err << ration.error() << '\n';
        return kExitFailed;
    }
    if (ration->isEmpty()) {
        run.err << "Рацион не найден: " << formatTextDate(*date) << " [" << groupCaption(a.group) << "]\n";
        return kExitFailed;
    }
    menu.env.connections().connectBase(BaseId::Products, menu.env.shared(), true);
    menu.env.connections().connectBase(BaseId::Warehouse, menu.env.shared(), true);
    StockLotPrices stock(menu.env.connections());
    PriceSources prices(menu.env.connections(), run.settings, run.prompter, stock);
    SystemClock clock;
    const ProductBase products(menu.env.connections(), run.settings, run.prompter, clock);
    SeasonalOutputs seasonal(&products);
    const RationCost cost = rationPrice(*ration, meals, meal, true, prices, seasonal, 1);
    const int p = prices.roundPrice();
    const QString computedFor = meal < 0 ? QStringLiteral("Весь день") : a.meal;
    if (a.json) {
        QJsonObject root;
        root.insert(QStringLiteral("date"), formatTextDate(*date));
        root.insert(QStringLiteral("group"), a.group);
        root.insert(QStringLiteral("for"), computedFor);
        QJsonArray dishes;
        for (const DishCostLine &d : cost.dishes) {
            QJsonObject o;
            o.insert(QStringLiteral("meal"), d.mealName);
            o.insert(QStringLiteral("name"), d.name);
            o.insert(QStringLiteral("cost"), roundTo(d.cost.cost, p));
            QJsonArray lines;
            for (const LineCost &l : d.cost.lines) {
                QJsonObject line;
                line.insert(QStringLiteral("product"), l.product);
                line.insert(QStringLiteral("name"), l.name);
                line.insert(QStringLiteral("mass"), l.mass);
                line.insert(QStringLiteral("price"), l.price);
                line.insert(QStringLiteral("factor"), l.factor);
                line.insert(QStringLiteral("cost"), l.cost);
                if (!l.priced)
                    line.insert(QStringLiteral("unpriced"), l.note);
                lines.append(line);
            }
            o.insert(QStringLiteral("lines"), lines);
            dishes.append(o);
        }
        root.insert(QStringLiteral("dishes"), dishes);
        root.insert(QStringLiteral("total"), roundTo(cost.total, p));
        root.insert(QStringLiteral("unpriced"), QJsonArray::fromStringList(cost.unpriced()));
        printJson(run, root);
        return kExitOk;
    }
    run.out << formatTextDate(*date) << '\t' << groupCaption(a.group) << '\n';
    for (const DishCostLine &d : cost.dishes)
        run.out << d.mealName << '\t' << d.name << '\t' << formatFixed(d.cost.cost, p) << '\n';
    const QString format = readSetting(run.settings, Section::Data, QStringLiteral("FormatPriceRation"));
    run.out << rationPriceLabel(cost.total, format, computedFor) << '\n';
    for (const QString &u : cost.unpriced())
        run.err << "Нет цены: " << u << '\n';
    return kExitOk;
}

int analyseCommand(CliRun &run)
{
    const CostingArgs a = parse(run.args,
        {QStringLiteral("--group"), QStringLiteral("--from"), QStringLiteral("--to"), QStringLiteral("--norm"),
            QStringLiteral("--png")});
    if (a.bad || !a.words.isEmpty() || a.from.isEmpty() || a.to.isEmpty() || a.norm.isEmpty())
        return usage(run, kAnalyseUsage);
    // The chart's fonts need a QGuiApplication (kulvera-cli makes one for
    // --png); without one nothing is drawn rather than a picture without text.
    if (!a.png.isEmpty() && !qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        run.err << "Диаграмма не может быть построена без графической подсистемы.\n";
        return kExitFailed;
    }
    const std::optional<QDate> from = dateArgument(a.from);
    const std::optional<QDate> to = dateArgument(a.to);
    if (!from || !to || *to < *from) {
        run.err << "Не удалось распознать дату! " << a.from << " - " << a.to << '\n';
        return kExitUsage;
    }
    CliMenuAccess menu(run);
    if (!menu.base)
        return kExitFailed;
    const NormBase norms(menu.env.connections(), menu.base->number(), run.prompter);
    const Result<NormRecord> norm = norms.loadByName(a.norm);
    if (!norm)
        return kExitFailed;
    const Result<std::vector<QDate>> days = menu.base->daysOf(a.group);
    if (!days) {
        run.err << days.error() << '\n';
        return kExitFailed;
    }
    NutrientOptions options;
    options.fibreInEnergy = readSetting(run.settings, Section::Bl, QStringLiteral("bUsePVinEC")).trimmed() == u"1";
    NutrientFact nutrients(options);
    ProductSetFact products(norm->products);
    std::vector<QDate> period;
    for (const QDate &day : *days) {
        if (day >= *from && day <= *to)
            period.push_back(day);
    }
    if (const Result<int> scanned = scanRations(*menu.base, period, a.group, nutrients, products, &run.prompter);
        !scanned) {
        run.err << scanned.error() << '\n';
        return kExitFailed;
    }
    if (nutrients.days() == 0) {
        run.err << "Нет рационов за выбранные дни.\n";
        return kExitFailed;
    }
    const int p = decimalsSetting(run.settings, static_cast<int>(Section::Data), QStringLiteral("lRoundHS_A_HS"),
        readSetting(run.settings, Section::Data, QStringLiteral("lRoundHS_A_HS")).toInt());
    const int pm = decimalsSetting(run.settings, static_cast<int>(Section::Data), QStringLiteral("lRoundBr_A_Br"), 2);
    const std::vector<NutrientRow> rows = nutrientStatement(*norm, nutrients);
    const std::vector<ProductSetRow> set = products.rows();
    const QString missing = products.missingReport(pm);
    if (!a.png.isEmpty() && !FulfilmentChart(rows).savePng(a.png)) {
        run.err << "Не удалось записать файл: " << a.png << '\n';
        return kExitFailed;
    }
    if (a.json) {
        QJsonObject root;
        root.insert(QStringLiteral("norm"), norm->name);
        root.insert(QStringLiteral("group"), a.group);
        root.insert(QStringLiteral("days"), nutrients.days());
        QJsonArray nutrientRows;
        for (const NutrientRow &r : rows) {
            QJsonObject o;
            o.insert(QStringLiteral("name"), r.name);
            o.insert(QStringLiteral("norm"), optionalNumber(r.norm, p));
            o.insert(QStringLiteral("fact"), roundTo(r.fact, p));
            o.insert(QStringLiteral("average"), roundTo(r.average, p));
            o.insert(QStringLiteral("percent"), optionalNumber(r.percent, p));
            o.insert(QStringLiteral("highlighted"), r.highlighted);
            nutrientRows.append(o);
        }
        root.insert(QStringLiteral("nutrients"), nutrientRows);
        QJsonArray setRows;
        for (const ProductSetRow &r : set) {
            QJsonObject o;
            o.insert(QStringLiteral("code"), r.code);
            o.insert(QStringLiteral("group"), r.groupName);
            o.insert(QStringLiteral("mass"), r.net ? QStringLiteral("Нетто") : QStringLiteral("Брутто"));
            o.insert(QStringLiteral("codes"), r.codeProds);
            o.insert(QStringLiteral("norm"), optionalNumber(r.norm, pm));
            o.insert(QStringLiteral("fact"), roundTo(r.fact, pm));
            o.insert(QStringLiteral("average"), roundTo(r.average, pm));
            o.insert(QStringLiteral("deviation"), optionalNumber(r.deviation, pm));
            o.insert(QStringLiteral("percent"), optionalNumber(r.percent, pm));
            setRows.append(o);
        }
        root.insert(QStringLiteral("products"), setRows);
        if (!missing.isEmpty())
            root.insert(QStringLiteral("missing"), missing);
        printJson(run, root);
        return kExitOk;
    }
    const QString days_ = QString::number(nutrients.days());
    run.out << "ВЕДОМОСТЬ ВЫПОЛНЕНИЯ НОРМ ПОТРЕБЛЕНИЯ ПИЩЕВЫХ ВЕЩЕСТВ\n";
    run.out << "Наименование\tНорма\tФакт. за " << days_ << " дн.\tСреднее в день\tВыполнение,% от дн.нормы\n";
    for (const NutrientRow &r : rows) {
        run.out << r.name << '\t' << optionalText(r.norm, p) << '\t' << formatFixed(r.fact, p) << '\t'
                << formatFixed(r.average, p) << '\t' << optionalText(r.percent, p) << (r.highlighted ? "\t!" : "")
                << '\n';
    }
    run.out << '\n';
    if (set.empty()) {
        run.out << kNoProductNormsText << '\n';
        return kExitOk;
    }
    run.out << "ВЕДОМОСТЬ ВЫПОЛНЕНИЯ НОРМ ПРОДУКТОВОГО НАБОРА\n";
    run.out << "Код строки\tНаименование продукта\tНорма\tБрутто/Нетто\tКоды продуктов\tФакт. за " << days_
            << " дн.\tСреднее в день\tВыполнение,отклонение в г\tВыполнение нормы, %\n";
    for (const ProductSetRow &r : set) {
        run.out << r.code << '\t' << r.groupName << '\t' << optionalText(r.norm, pm) << '\t'
                << (r.net ? "Нетто" : "Брутто") << '\t' << r.codeProds << '\t' << formatFixed(r.fact, pm) << '\t'
                << formatFixed(r.average, pm) << '\t' << optionalText(r.deviation, pm) << '\t'
                << optionalText(r.percent, pm) << '\n';
    }
    if (!missing.isEmpty())
        run.out << missing << '\n';
    return kExitOk;
}

int requisitionCommand(CliRun &run)
{
    const CostingArgs a = parse(run.args, {QStringLiteral("--group"), QStringLiteral("-o")});
    if (a.bad || a.words.size() != 1 || (a.json && !a.output.isEmpty()))
        return usage(run, kRequisitionUsage);
    const std::optional<QDate> date = dateArgument(a.words[0]);
    if (!date) {
        run.err << "Не удалось распознать дату! " << a.words[0] << '\n';
        return kExitUsage;
    }
    CliMenuAccess menu(run);
    if (!menu.base)
        return kExitFailed;
    const Result<Ration> ration = menu.base->load({*date, a.group});
    if (!ration) {
        run.err << ration.error() << '\n';
        return kExitFailed;
    }
    if (ration->isEmpty()) {
        run.err << "Рацион не найден: " << formatTextDate(*date) << " [" << groupCaption(a.group) << "]\n";
        return kExitFailed;
    }
    if (!a.output.isEmpty()) {
        // A template made now lists the products of the product base.
        menu.env.connections().connectBase(BaseId::Products, menu.env.shared(), true);
        const Result<ListOutcome> made = printRequisition(
            *ration, menu.env.connections(), menu.env.shared().templatesFolder(), run.settings, a.output, run.prompter);
        if (!made) {
            run.err << made.error() << '\n';
            return kExitFailed;
        }
        for (const QString &p : made->problems)
            run.out << p << '\n';
        run.out << made->path << '\n';
        return kExitOk;
    }
    // Without a template every product gets a row and every recipe a place.
    const std::optional<MenuRequisition> r = buildRequisition(*ration, {}, run.settings, run.prompter);
    if (!r)
        return kExitFailed;
    const int pm = decimalsSetting(
        run.settings, static_cast<int>(Section::Data), QStringLiteral("lRoundBrutto"), kDefaultRoundBrutto);
    if (a.json) {
        QJsonObject root;
        root.insert(QStringLiteral("date"), formatTextDate(*date));
        root.insert(QStringLiteral("group"), a.group);
        root.insert(QStringLiteral("meals"), QJsonArray::fromStringList(r->meals));
        QJsonArray recipes;
        for (int m = 0; m < r->meals.size(); ++m)
            recipes.append(QJsonArray::fromStringList(r->recipes[static_cast<std::size_t>(m)]));
        root.insert(QStringLiteral("recipes"), recipes);
        QJsonArray rows;
        for (const RequisitionRow &row : r->rows) {
            QJsonObject o;
            o.insert(QStringLiteral("code"), row.code);
            o.insert(QStringLiteral("name"), row.name);
            QJsonArray perMeal;
            for (int m = 0; m < r->meals.size(); ++m)
                perMeal.append(roundTo(row.meals[static_cast<std::size_t>(m)], pm));
            o.insert(QStringLiteral("meals"), perMeal);
            o.insert(QStringLiteral("total"), roundTo(row.total, pm));
            rows.append(o);
        }
        root.insert(QStringLiteral("products"), rows);
        printJson(run, root);
        return kExitOk;
    }
    run.out << formatTextDate(*date) << '\t' << groupCaption(a.group) << '\n';
    run.out << "Код\tПродукт";
    for (const QString &m : r->meals)
        run.out << '\t' << m;
    run.out << "\tИтого\n";
    for (const RequisitionRow &row : r->rows) {
        run.out << row.code << '\t' << row.name;
        for (int m = 0; m < r->meals.size(); ++m)
            run.out << '\t' << formatFixed(row.meals[static_cast<std::size_t>(m)], pm);
        run.out << '\t' << formatFixed(row.total, pm) << '\n';
    }
    return kExitOk;
}

const CliRegistrar costRegistrar({QStringLiteral("menus"), kCostUsage,
    QStringLiteral("cost per consumer of a ration (a whole day or one meal) and of each dish"), costCommand,
    QStringLiteral("cost")});
const CliRegistrar analyseRegistrar({QStringLiteral("menus"), kAnalyseUsage,
    QStringLiteral("nutrient and product-set statements of the rations of a period against a norm"), analyseCommand,
    QStringLiteral("analyse")});
const CliRegistrar requisitionRegistrar(
    {QStringLiteral("menus"), kRequisitionUsage, QStringLiteral("requirement of products for a day, meal by meal"),
        requisitionCommand, QStringLiteral("requisition")});

} // namespace
} // namespace kulvera
