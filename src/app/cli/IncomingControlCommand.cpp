#include "CliCommand.h"
#include "CliEnvironment.h"

#include "common/Clock.h"
#include "common/NumberText.h"
#include "common/TextDate.h"
#include "journals/IncomingControlJournal.h"
#include "shell/AppContext.h"
#include "shell/SettingsStore.h"
#include "warehouse/WarehouseBase.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kulvera {
namespace {

const QString kUsage = QStringLiteral("journal incoming --from D --to D [-o OUT.xlsx] [--json]");

int usage(CliRun &run)
{
    run.err << "Usage: " << kUsage << '\n';
    return kExitUsage;
}

int incomingCommand(CliRun &run)
{
    QString from, to, output;
    bool json = false;
    for (qsizetype i = 0; i < run.args.size(); ++i) {
        const QString &a = run.args[i];
        if (a == u"--json")
            json = true;
        else if (i + 1 < run.args.size() && (a == u"--from" || a == u"--to" || a == u"-o"))
            (a == u"--from" ? from : a == u"--to" ? to : output) = run.args[++i];
        else
            return usage(run);
    }
    if (from.isEmpty() || to.isEmpty())
        return usage(run);
    const auto first = dateArgument(from);
    const auto last = dateArgument(to);
    if (!first || !last) {
        run.err << "Неверная дата: " << (first ? to : from) << '\n';
        return kExitFailed;
    }
    CliEnvironment env(run);
    env.connectAll();
    SystemClock clock;
    AppContext context {run.prompter, run.settings, env.shared(), clock, env.connections(), env.errorLog()};
    WarehouseBase base(context);
    const auto rows = incomingControlRows(base, *first, *last);
    if (!rows) {
        run.err << rows.error() << '\n';
        return kExitFailed;
    }
    if (!output.isEmpty()) {
        const auto printed = printIncomingControl(
            *rows, *first, *last, env.shared().templatesFolder(), run.settings, output, run.prompter);
        if (!printed) {
            run.err << printed.error() << '\n';
            return kExitFailed;
        }
    }
    const auto &columns = incomingControlColumns();
    if (json) {
        QJsonArray out;
        for (const IncomingControlRow &r : *rows) {
            QJsonObject o;
            for (int k = 0; k < static_cast<int>(columns.size()); ++k)
                o.insert(columns[static_cast<std::size_t>(k)].key.toString(), incomingControlText(r, k));
            o.insert(QStringLiteral("Брутто"), r.brutto);
            o.insert(QStringLiteral("Koef"), r.koef);
            out.append(o);
        }
        run.out << QJsonDocument(out).toJson(QJsonDocument::Indented);
    } else if (output.isEmpty()) {
        QStringList captions;
        for (const IncomingControlColumn &c : columns)
            captions << c.caption.toString();
        run.out << captions.join(u'\t') << '\n';
        for (const IncomingControlRow &r : *rows) {
            QStringList cells;
            for (int k = 0; k < static_cast<int>(columns.size()); ++k)
                cells << incomingControlText(r, k);
            run.out << cells.join(u'\t') << '\n';
        }
    } else {
        run.out << output << '\n';
    }
    return kExitOk;
}

const CliRegistrar incomingRegistrar(
    {QStringLiteral("journal"), kUsage, QStringLiteral("the incoming control journal of a period, printed or listed"),
        incomingCommand, QStringLiteral("incoming")});

} // namespace
} // namespace kulvera
