#include "CliCommand.h"
#include "CliEnvironment.h"
#include "CliMenuAccess.h"

#include "common/Clock.h"
#include "common/NumberText.h"
#include "common/TextDate.h"
#include "costing/DishCalcCard.h"
#include "costing/PriceSources.h"
#include "costing/StockLotPrices.h"
#include "menus/MenuBase.h"
#include "products/ProductBase.h"
#include "shell/Catalogue.h"
#include "shell/SettingsStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kulvera {
namespace {

const QString kUsage = QStringLiteral("calc-card DATE DISH [--group G] [--markup M] -o OUT.xlsx [--json]");

struct CalcCardArgs {
    QStringList words;
    QString group, markup, output;
    bool json = false;
    bool bad = false;
};

CalcCardArgs parse(const QStringList &args)
{
    CalcCardArgs a;
    for (int i = 0; i < args.size(); ++i) {
        const QString &w = args[i];
        if (w == u"--json") {
            a.json = true;
        } else if (w == u"-o" || w == u"--group" || w == u"--markup") {
            if (i + 1 >= args.size()) {
                a.bad = true;
                break;
            }
            QString &target = w == u"-o" ? a.output : w == u"--group" ? a.group : a.markup;
            target = args[++i];
        } else if (w.startsWith(u"--")) {
            a.bad = true;
        } else {
            a.words << w;
        }
    }
    return a;
}

// The dish of the ration by its name (letter case aside), else by its number.
int findDish(const Ration &ration, const QString &dish)
{
    for (int n = 1; n <= ration.dishCount(); ++n) {
        if (ration.dishName(n).compare(dish.trimmed(), Qt::CaseInsensitive) == 0)
            return n;
    }
    bool ok = false;
    const int n = dish.toInt(&ok);
    return ok && n >= 1 && n <= ration.dishCount() ? n : 0;
}

QJsonObject cardJson(const PrintedCalcCard &printed, int p)
{
    const DishCalculation &dish = printed.dish;
    const CalcCardOutcome &made = printed.outcome;
    QJsonObject o;
    o.insert(QStringLiteral("file"), made.path);
    o.insert(QStringLiteral("kept"), printed.kept);
    o.insert(QStringLiteral("dish"), dish.input.dishName);
    o.insert(QStringLiteral("number"), dish.input.number);
    o.insert(QStringLiteral("date"), formatTextDate(dish.input.date));
    o.insert(QStringLiteral("output"), dish.input.output);
    QJsonArray lines;
    for (const CalcCardLine &l : made.card.lines) {
        lines.append(QJsonObject {{QStringLiteral("name"), l.name}, {QStringLiteral("norm"), l.norm},
            {QStringLiteral("price"), l.price}, {QStringLiteral("sum"), l.sum}});
    }
    o.insert(QStringLiteral("lines"), lines);
    o.insert(QStringLiteral("cost"), roundTo(made.card.dishCost, p + 2));
    o.insert(QStringLiteral("total"), made.card.total);
    o.insert(QStringLiteral("markupPercent"), dish.input.markupPercent);
    o.insert(QStringLiteral("markup"), made.card.markup);
    o.insert(QStringLiteral("sellingPrice"), made.card.sellingPrice);
    o.insert(QStringLiteral("vatPrice"), made.card.vatPrice ? QJsonValue(*made.card.vatPrice) : QJsonValue());
    o.insert(QStringLiteral("unpriced"), QJsonArray::fromStringList(dish.cost.unpriced()));
    return o;
}

int calcCardCommand(CliRun &run)
{
    const CalcCardArgs a = parse(run.args);
    if (a.bad || a.words.size() != 2 || a.output.isEmpty()) {
        run.err << "Usage: " << kUsage << '\n';
        return kExitUsage;
    }
    const std::optional<QDate> date = dateArgument(a.words[0]);
    if (!date) {
        run.err << "Не удалось распознать дату! " << a.words[0] << '\n';
        return kExitUsage;
    }
    double markup = defaultMarkupPercent(run.settings);
    if (!a.markup.isEmpty()) {
        const std::optional<double> typed = parseMarkupPercent(a.markup);
        if (!typed) {
            run.err << kBadMarkupText.toString() << ' ' << a.markup << '\n';
            return kExitUsage;
        }
        markup = *typed;
    }
    CliMenuAccess menu(run);
    if (!menu.base)
        return kExitFailed;
    const Result<Ration> ration = menu.base->load({*date, a.group});
    if (!ration) {
        run.err << ration.error() << '\n';
        return kExitFailed;
    }
    const int number = findDish(*ration, a.words[1]);
    if (number == 0) {
        run.err << "Блюдо не найдено в рационе " << formatTextDate(*date) << " [" << groupCaption(a.group)
                << "]: " << a.words[1] << '\n';
        return kExitFailed;
    }
    Connections &connections = menu.env.connections();
    connections.connectBase(BaseId::Products, menu.env.shared(), true);
    connections.connectBase(BaseId::Warehouse, menu.env.shared(), true);
    StockLotPrices stock(connections);
    PriceSources prices(connections, run.settings, run.prompter, stock);
    SystemClock clock;
    const ProductBase products(connections, run.settings, run.prompter, clock);
    SeasonalOutputs seasonal(&products);
    const CalcCardJob job {menu.env.shared().templatesFolder(), markup, 1};
    const Result<PrintedCalcCard> made
        = printDishCalcCard(*ration, number, job, a.output, connections, run.settings, run.prompter, prices, seasonal);
    if (!made) {
        run.err << made.error() << '\n';
        return kExitFailed;
    }
    const int p = prices.roundPrice();
    if (a.json) {
        run.out << QString::fromUtf8(QJsonDocument(cardJson(*made, p)).toJson(QJsonDocument::Indented));
        return kExitOk;
    }
    run.out << made->outcome.path << '\n';
    run.out << made->dish.input.dishName << '\t' << formatFixed(made->outcome.card.sellingPrice, p) << '\n';
    for (const QString &u : made->dish.cost.unpriced())
        run.err << "Нет цены: " << u << '\n';
    return kExitOk;
}

const CliRegistrar registrar({QStringLiteral("calc-card"), kUsage,
    QStringLiteral("calculation card of a dish of a ration, kept in the warehouse base as well"), calcCardCommand});

} // namespace
} // namespace kulvera
