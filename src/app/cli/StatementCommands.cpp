#include "CliCommand.h"
#include "CliMenuAccess.h"

#include "common/NumberText.h"
#include "common/TextDate.h"
#include "costing/PeriodStatement.h"
#include "shell/SettingsStore.h"
#include "shell/SharedSettings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kulvera {
namespace {

const QString kStatementUsage
    = QStringLiteral("menus statement --from D --to D [--group G] [--net] [-o OUT.xlsx] [--json]");

int statementCommand(CliRun &run)
{
    QString from, to, group, output;
    bool net = false;
    bool json = false;
    bool bad = false;
    for (int i = 0; i < run.args.size(); ++i) {
        const QString &w = run.args[i];
        if (w == u"--net") {
            net = true;
        } else if (w == u"--json") {
            json = true;
        } else if ((w == u"--from" || w == u"--to" || w == u"--group" || w == u"-o") && i + 1 < run.args.size()) {
            const QString v = run.args[++i];
            (w == u"--from" ? from : w == u"--to" ? to : w == u"--group" ? group : output) = v;
        } else {
            bad = true;
        }
    }
    if (bad || from.isEmpty() || to.isEmpty() || (json && !output.isEmpty())) {
        run.err << "Usage: " << kStatementUsage << '\n';
        return kExitUsage;
    }
    const std::optional<QDate> first = dateArgument(from);
    const std::optional<QDate> last = dateArgument(to);
    if (!first || !last) {
        run.err << "Не удалось распознать дату! " << from << " - " << to << '\n';
        return kExitUsage;
    }
    CliMenuAccess menu(run);
    if (!menu.base)
        return kExitFailed;
    const Result<PeriodStatement> s = buildPeriodStatement(*menu.base, *first, *last, group, net, run.prompter);
    if (!s)
        return kExitFailed; // the prompter has said why
    if (!output.isEmpty()) {
        const Result<ListOutcome> made
            = printPeriodStatement(*s, menu.env.shared().templatesFolder(), run.settings, output, run.prompter);
        if (!made)
            return kExitFailed;
        for (const QString &p : made->problems)
            run.out << p << '\n';
        run.out << made->path << '\n';
        return kExitOk;
    }
    if (json) {
        QJsonObject root;
        root.insert(QStringLiteral("from"), formatTextDate(s->from));
        root.insert(QStringLiteral("to"), formatTextDate(s->to));
        root.insert(QStringLiteral("group"), group);
        root.insert(QStringLiteral("net"), net);
        QJsonArray products;
        for (const StatementProduct &p : s->products)
            products.append(QJsonObject {{QStringLiteral("code"), p.code}, {QStringLiteral("name"), p.name}});
        root.insert(QStringLiteral("products"), products);
        QJsonArray days;
        for (std::size_t d = 0; d < s->days.size(); ++d) {
            QJsonArray masses;
            for (double m : s->days[d].masses)
                masses.append(roundTo(m, 2));
            days.append(QJsonObject {{QStringLiteral("day"), periodDayLabel(static_cast<int>(d) + 1)},
                {QStringLiteral("date"), formatTextDate(s->days[d].date)},
                {QStringLiteral("ration"), s->days[d].hasRation}, {QStringLiteral("masses"), masses}});
        }
        root.insert(QStringLiteral("days"), days);
        QJsonArray totals;
        for (double t : s->totals)
            totals.append(roundTo(t, 2));
        root.insert(QStringLiteral("totals"), totals);
        run.out << QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
        return kExitOk;
    }
    run.out << kPeriodFirstColumn;
    for (const StatementProduct &p : s->products)
        run.out << '\t' << p.name;
    run.out << '\n';
    for (std::size_t d = 0; d < s->days.size(); ++d) {
        run.out << periodDayLabel(static_cast<int>(d) + 1);
        for (double m : s->days[d].masses)
            run.out << '\t' << (s->days[d].hasRation ? formatFixed(m, 2) : QString());
        run.out << '\n';
    }
    run.out << kPeriodTotalRow;
    for (double t : s->totals)
        run.out << '\t' << formatFixed(t, 2);
    run.out << '\n';
    return kExitOk;
}

const CliRegistrar statementRegistrar({QStringLiteral("menus"), kStatementUsage,
    QStringLiteral("products of the rations of a period, day by day, with totals (grid or workbook)"), statementCommand,
    QStringLiteral("statement")});

} // namespace
} // namespace kulvera
