#include "CliCommand.h"
#include "CliEnvironment.h"
#include "CliRecipeTable.h"

#include "common/NumberText.h"
#include "common/TextDate.h"
#include "recipes/HeatTreatment.h"
#include "research/DishReference.h"
#include "research/ProtocolDocument.h"
#include "research/ProtocolGrid.h"
#include "research/ProtocolStore.h"
#include "shell/Catalogue.h"
#include "shell/DbStructure.h"
#include "shell/SettingsStore.h"
#include "util/MethodStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kulvera {
namespace {

const QString kMethodsUsage = QStringLiteral("methods list [--all]");
const QString kComputeUsage = QStringLiteral(
    "methods compute DISH --method NAME [--method NAME ...] --values P=V1:V2,... [--table T] [--out OUTPUT] "
    "[--date DD.MM.YYYY] [--save] [--print FILE] [--json]");

// One method a line (key, name, formula), its parameters indented below as
// "designation  name  [unit]". Hidden methods only with --all.
int methodsCommand(CliRun &run)
{
    const QStringList &a = run.args;
    const bool all = a.size() == 2 && a[1] == u"--all";
    if (a.isEmpty() || a[0] != u"list" || (a.size() > 1 && !all)) {
        run.err << "Usage: " << kMethodsUsage << '\n' << "       " << kComputeUsage << '\n';
        return kExitUsage;
    }
    CliEnvironment env(run);
    if (env.connections().connectBase(BaseId::Methods, env.shared(), true) == Connections::kFailed) {
        run.err << "Cannot open the methods base " << basePath(BaseId::Methods, run.settings, env.shared()) << '\n';
        return kExitFailed;
    }
    MethodStore store(env.connections().database(BaseId::Methods), &env.errorLog());
    const Result<MethodCatalog> catalog = store.load();
    if (!catalog) {
        run.err << catalog.error() << '\n';
        return kExitFailed;
    }
    int shown = 0;
    for (const Method &m : catalog->methods) {
        if (m.hidden && !all)
            continue;
        ++shown;
        run.out << m.id << '\t' << methodDisplayName(m) << (m.hidden ? QStringLiteral(" (скрыт)") : QString()) << '\t'
                << m.formula;
        if (!m.unit.isEmpty())
            run.out << '\t' << m.unit;
        run.out << '\n';
        for (const MethodParam *p : catalog->paramsOf(m.id)) {
            run.out << "    " << p->designation << '\t' << p->name;
            if (!p->unit.isEmpty())
                run.out << " [" << p->unit << ']';
            run.out << '\n';
        }
    }
    if (shown == 0)
        run.err << "No methods in " << env.connections().path(static_cast<int>(BaseId::Methods)) << '\n';
    return kExitOk;
}

struct ComputeArguments {
    QString dish;
    QStringList methods;
    QString values;
    QString table;
    QString output;
    QDate date;
    QString printTo;
    bool save = false;
    bool json = false;
};

std::optional<ComputeArguments> computeArguments(const QStringList &a)
{
    ComputeArguments c;
    QStringList words;
    for (int i = 0; i < a.size(); ++i) {
        const QString &w = a[i];
        const bool hasNext = i + 1 < a.size();
        if (w == u"--method" && hasNext) {
            c.methods << a[++i];
        } else if (w == u"--values" && hasNext) {
            c.values += (c.values.isEmpty() ? QString() : QStringLiteral(",")) + a[++i];
        } else if (w == u"--table" && hasNext) {
            c.table = a[++i];
        } else if (w == u"--out" && hasNext) {
            c.output = a[++i];
        } else if (w == u"--date" && hasNext) {
            const std::optional<QDate> d = dateArgument(a[++i]);
            if (!d)
                return std::nullopt;
            c.date = *d;
        } else if (w == u"--print" && hasNext) {
            c.printTo = a[++i];
        } else if (w == u"--save") {
            c.save = true;
        } else if (w == u"--json") {
            c.json = true;
        } else if (w.startsWith(u"--")) {
            return std::nullopt;
        } else {
            words << w;
        }
    }
    if (words.size() != 1 || words[0].trimmed().isEmpty() || c.methods.isEmpty())
        return std::nullopt;
    c.dish = words[0];
    return c;
}

// "a=1,5:3,b=2:2": pairs split at commas, but a piece without "=" continues the
// value before it, so decimal commas survive ("a=1,5:3" is 1,5 and 3). The two
// experiments are split at ":"; either may be left empty.
std::optional<std::vector<std::pair<QString, ExperimentValues>>> parseValues(const QString &text, QString &why)
{
    QStringList pieces;
    for (const QString &piece : text.split(u',')) {
        if (piece.contains(u'=') || pieces.isEmpty())
            pieces << piece;
        else
            pieces.last() += u',' + piece;
    }
    std::vector<std::pair<QString, ExperimentValues>> values;
    for (const QString &piece : pieces) {
        if (piece.trimmed().isEmpty())
            continue;
        const qsizetype eq = piece.indexOf(u'=');
        const qsizetype colon = piece.indexOf(u':', eq);
        if (eq <= 0 || colon < 0 || piece.indexOf(u':', colon + 1) >= 0) {
            why = QStringLiteral("Неверное значение: ") + piece + QStringLiteral(" (нужно P=опыт1:опыт2)");
            return std::nullopt;
        }
        values.push_back(
            {piece.left(eq).trimmed(), {piece.mid(eq + 1, colon - eq - 1).trimmed(), piece.mid(colon + 1).trimmed()}});
    }
    return values;
}

QJsonValue jsonNumber(const std::optional<double> &v)
{
    return v ? QJsonValue(*v) : QJsonValue();
}

void printComputeJson(CliRun &run, const Protocol &protocol, const MethodCalculation &calculation)
{
    QJsonObject root;
    root.insert(QStringLiteral("dish"), protocol.dish);
    root.insert(QStringLiteral("output"), protocol.output);
    root.insert(QStringLiteral("date"), formatTextDate(protocol.date));
    if (protocol.id != 0) {
        root.insert(QStringLiteral("protocol"), protocol.id);
        root.insert(QStringLiteral("number"), protocol.number);
    }
    QJsonArray methods;
    for (const MethodResult &r : calculation.results) {
        QJsonObject o;
        o.insert(QStringLiteral("method"), r.name);
        o.insert(QStringLiteral("computed"), r.computed);
        if (!r.computed) {
            o.insert(QStringLiteral("problem"), r.problem);
        } else {
            o.insert(QStringLiteral("first"), r.first);
            o.insert(QStringLiteral("second"), r.second);
            o.insert(QStringLiteral("average"), r.average);
            o.insert(QStringLiteral("difference"), r.difference);
            o.insert(QStringLiteral("lowest"), r.lowest);
            o.insert(QStringLiteral("highest"), r.highest);
            o.insert(QStringLiteral("compareMin"), jsonNumber(r.compareMin));
            o.insert(QStringLiteral("compareMax"), jsonNumber(r.compareMax));
            o.insert(QStringLiteral("dish"), jsonNumber(r.reference));
            o.insert(QStringLiteral("deviation"), jsonNumber(r.deviation));
            o.insert(QStringLiteral("deviationText"), r.deviationText);
        }
        o.insert(QStringLiteral("compare"), r.compare);
        o.insert(QStringLiteral("unit"), r.unit);
        o.insert(QStringLiteral("nd"), r.nd);
        methods.append(o);
    }
    root.insert(QStringLiteral("methods"), methods);
    root.insert(QStringLiteral("problems"), QJsonArray::fromStringList(calculation.problems));
    run.out << QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
}

void printComputeText(CliRun &run, const Protocol &protocol, const MethodCalculation &calculation)
{
    run.out << protocol.dish;
    if (!protocol.output.isEmpty())
        run.out << '\t' << protocol.output << " г";
    run.out << '\t' << formatTextDate(protocol.date);
    if (protocol.id != 0)
        run.out << "\tпротокол № " << protocol.number;
    run.out << '\n';
    QStringList captions;
    for (int c = 0; c < ProtocolColumnCount; ++c)
        captions << protocolColumnCaption(c);
    run.out << captions.join(u'\t') << '\n';
    for (const ProtocolGridRow &line : protocolGrid(protocol, calculation)) {
        QStringList cells(line.cells.begin(), line.cells.end());
        if (line.paramId != 0)
            cells[0] = QStringLiteral("    ") + cells[0];
        else if (!line.computed)
            cells[FirstColumn] = line.problem;
        run.out << cells.join(u'\t') << '\n';
    }
}

// Computes the chosen methods for a dish of the dish base from values given
// on the command line; optionally keeps the protocol and prints it.
int computeCommand(CliRun &run)
{
    const std::optional<ComputeArguments> c = computeArguments(run.args);
    if (!c) {
        run.err << "Usage: " << kComputeUsage << '\n';
        return kExitUsage;
    }
    QString why;
    const auto values = parseValues(c->values, why);
    if (!values) {
        run.err << why << '\n';
        return kExitUsage;
    }
    CliEnvironment env(run);
    if (env.connections().connectBase(BaseId::Methods, env.shared(), true) == Connections::kFailed) {
        run.err << "Cannot open the methods base " << basePath(BaseId::Methods, run.settings, env.shared()) << '\n';
        return kExitFailed;
    }
    MethodStore methods(env.connections().database(BaseId::Methods), &env.errorLog());
    const Result<MethodCatalog> catalog = methods.load();
    if (!catalog) {
        run.err << catalog.error() << '\n';
        return kExitFailed;
    }
    Protocol protocol;
    protocol.dish = c->dish;
    protocol.output = c->output;
    protocol.date = c->date.isValid() ? c->date : QDate::currentDate();
    QList<int> chosen;
    for (const QString &name : c->methods) {
        bool isKey = false;
        const int key = name.toInt(&isKey);
        const Method *m = isKey && catalog->method(key) ? catalog->method(key) : catalog->methodNamed(name);
        if (!m) {
            run.err << "Метод не найден в базе методов: " << name << '\n';
            return kExitFailed;
        }
        chosen << m->id;
    }
    addMethods(protocol, *catalog, chosen);
    for (const auto &[designation, measured] : *values) {
        if (setValuesByDesignation(protocol, designation, measured) == 0) {
            run.err << "Нет параметра с обозначением '" << designation << "' у выбранных методов\n";
            return kExitUsage;
        }
    }

    std::optional<CliRecipeTable> opened = openRecipeTable(env, run, c->table);
    if (!opened)
        return kExitFailed;
    protocol.collection = opened->table;
    HeatTreatmentTables losses;
    env.loadLossTables(losses, run);
    const Result<DishValues> dish
        = computeStoredDish(*opened->base, opened->table, c->dish, c->output, losses, run.prompter);
    if (!dish) {
        run.err << dish.error() << '\n';
        return kExitFailed;
    }
    if (protocol.output.isEmpty())
        protocol.output = formatNumber(dish->output);
    takeDishValues(protocol, *dish);

    // The problems go to the command's error output, each once, in the words the form shows.
    const MethodCalculation calculation = protocol.calculate();
    for (const QString &problem : calculation.problems)
        run.err << problem << '\n';
    if (c->save) {
        if (env.connections().connectBase(BaseId::Protocols, env.shared(), true) == Connections::kFailed) {
            run.err << "Cannot open the protocols base " << basePath(BaseId::Protocols, run.settings, env.shared())
                    << '\n';
            return kExitFailed;
        }
        if (const auto made = ensureSchema(env.connections(), BaseId::Protocols, run.settings); !made) {
            run.err << made.error() << '\n';
            return kExitFailed;
        }
        ProtocolStore store(env.connections().database(BaseId::Protocols), &env.errorLog());
        if (const Status s = store.save(protocol); !s) {
            run.err << s.error() << '\n';
            return kExitFailed;
        }
    }
    if (!c->printTo.isEmpty()) {
        const Result<ListOutcome> printed
            = printProtocol(protocol, calculation, env.shared().templatesFolder(), c->printTo, run.prompter);
        if (!printed) {
            run.err << printed.error() << '\n';
            return kExitFailed;
        }
    }
    if (c->json)
        printComputeJson(run, protocol, calculation);
    else
        printComputeText(run, protocol, calculation);
    const bool all = std::all_of(
        calculation.results.begin(), calculation.results.end(), [](const MethodResult &r) { return r.computed; });
    return all && !calculation.results.empty() ? kExitOk : kExitFailed;
}

const CliRegistrar methodsRegistrar({QStringLiteral("methods"), kMethodsUsage,
    QStringLiteral("list the research methods with their formulas and parameters"), methodsCommand});
const CliRegistrar methodsComputeRegistrar({QStringLiteral("methods"), kComputeUsage,
    QStringLiteral("compute research methods for a dish from the values of two experiments; keep and print the "
                   "protocol"),
    computeCommand, QStringLiteral("compute")});

} // namespace
} // namespace kulvera
