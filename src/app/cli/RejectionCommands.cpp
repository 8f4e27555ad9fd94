#include "CliCommand.h"
#include "CliEnvironment.h"
#include "CliMenuAccess.h"

#include "common/Clock.h"
#include "common/TextDate.h"
#include "journals/RejectionDocument.h"
#include "journals/RejectionJournal.h"
#include "journals/RejectionMenus.h"
#include "shell/AppContext.h"
#include "shell/SettingsStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kulvera {
namespace {

const QString kUsage = QStringLiteral(
    "journal rejection list --date D [--group G] [--json] | dates | add --date D DISH [--group G] [--made HH:MM] "
    "[--checked HH:MM] [--result T] [--permis T] [--notes T] | save-menu --date D [--group G] | print --date D "
    "[--group G] -o OUT.xlsx | summary --dates D,D... [--group G] -o OUT.xlsx");

int usage(CliRun &run)
{
    run.err << "Usage: " << kUsage << '\n';
    return kExitUsage;
}

int failed(CliRun &run, const QString &error)
{
    if (!error.isEmpty())
        run.err << error << '\n';
    return kExitFailed;
}

struct Options {
    QString date, group, output, dates;
    bool json = false;
    QStringList words;
    RejectionJournal::TypedCells cells;
};

std::optional<Options> parse(const QStringList &args)
{
    Options o;
    const std::pair<const char16_t *, RejectionField> cellFlags[] = {{u"--made", RejectionField::TimeMade},
        {u"--checked", RejectionField::TimeChecked}, {u"--result", RejectionField::Result},
        {u"--permis", RejectionField::Permission}, {u"--notes", RejectionField::Notes}};
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == u"--json") {
            o.json = true;
            continue;
        }
        const bool valued = a.startsWith(u"--") || a == u"-o";
        if (valued && i + 1 >= args.size())
            return std::nullopt;
        if (a == u"--date")
            o.date = args[++i];
        else if (a == u"--group")
            o.group = args[++i];
        else if (a == u"-o")
            o.output = args[++i];
        else if (a == u"--dates")
            o.dates = args[++i];
        else if (valued) {
            bool known = false;
            for (const auto &[flag, field] : cellFlags) {
                if (a == QStringView(flag)) {
                    o.cells.emplace_back(field, args[++i]);
                    known = true;
                }
            }
            if (!known)
                return std::nullopt;
        } else
            o.words << a;
    }
    return o;
}

QString hhmm(const QTime &t)
{
    return t.isValid() ? t.toString(QStringLiteral("hh:mm")) : QString();
}

void printEntries(CliRun &run, const std::vector<RejectionEntry> &entries, bool json)
{
    if (json) {
        QJsonArray out;
        for (const RejectionEntry &e : entries) {
            out.append(QJsonObject {{QStringLiteral("ID"), e.id}, {QStringLiteral("dish_name"), e.dish},
                {QStringLiteral("date_made"), formatTextDate(e.dateMade)},
                {QStringLiteral("time_made"), hhmm(e.timeMade)}, {QStringLiteral("time_rejec"), hhmm(e.timeChecked)},
                {QStringLiteral("result"), e.result}, {QStringLiteral("permis"), e.permission},
                {QStringLiteral("notes"), e.notes}, {QStringLiteral("Group_Name"), e.group}});
        }
        run.out << QJsonDocument(out).toJson(QJsonDocument::Indented);
        return;
    }
    run.out << "ID\tИзделие (блюдо)\tДата изготовления блюда\tВремя изготовления блюда\tВремя бракеража\t"
               "Результат\tРазрешение к реализации\tПримечания\n";
    for (const RejectionEntry &e : entries) {
        run.out << e.id << '\t' << e.dish << '\t' << formatTextDate(e.dateMade) << '\t' << hhmm(e.timeMade) << '\t'
                << hhmm(e.timeChecked) << '\t' << e.result << '\t' << e.permission << '\t' << e.notes << '\n';
    }
}

int rejectionCommand(CliRun &run)
{
    if (run.args.isEmpty())
        return usage(run);
    const QString verb = run.args.first();
    const std::optional<Options> o = parse(run.args.mid(1));
    if (!o)
        return usage(run);
    std::optional<QDate> day;
    if (verb != u"dates" && verb != u"summary") {
        if (o->date.isEmpty())
            return usage(run);
        day = dateArgument(o->date);
        if (!day)
            return failed(run, kRejectionBadDate.toString());
    }
    CliMenuAccess access(run); // the menu base for save-menu and summary, and the journal's connection
    access.env.connections().connectBase(BaseId::Rejection, access.env.shared(), true);
    SystemClock clock;
    AppContext context {
        run.prompter, run.settings, access.env.shared(), clock, access.env.connections(), access.env.errorLog()};
    RejectionJournal journal(context);
    if (const Status s = journal.requireConnected(); !s)
        return failed(run, s.error());
    const QString folder = access.env.shared().templatesFolder();

    if (verb == u"list") {
        const auto entries = journal.entries(*day, o->group);
        if (!entries)
            return failed(run, entries.error());
        printEntries(run, *entries, o->json);
        return kExitOk;
    }
    if (verb == u"dates") {
        const auto dates = journal.dates();
        if (!dates)
            return failed(run, dates.error());
        for (const QDate &d : *dates)
            run.out << formatTextDate(d) << '\n';
        return kExitOk;
    }
    if (verb == u"add") {
        if (o->words.size() != 1)
            return usage(run);
        RejectionJournal::TypedCells cells {{RejectionField::Dish, o->words.first()}};
        cells.insert(cells.end(), o->cells.begin(), o->cells.end());
        const auto id = journal.addFilled(*day, o->group, cells);
        if (!id)
            return failed(run, id.error());
        run.out << *id << '\n';
        return kExitOk;
    }
    if (verb == u"save-menu") {
        if (!access.base)
            return kExitFailed;
        const auto ration = access.base->load({*day, o->group});
        if (!ration)
            return failed(run, ration.error());
        const auto added = saveRationToJournal(journal, *ration);
        if (!added)
            return failed(run, added.error());
        run.out << *added << '\n';
        return kExitOk;
    }
    if (verb == u"print") {
        if (o->output.isEmpty())
            return usage(run);
        const auto entries = journal.entries(*day, o->group);
        if (!entries)
            return failed(run, entries.error());
        const auto printed
            = printRejectionJournal(*entries, formatTextDate(*day), folder, run.settings, o->output, run.prompter);
        if (!printed)
            return kExitFailed; // the print showed why
        run.out << printed->path << '\n';
        return kExitOk;
    }
    if (verb == u"summary") {
        if (o->output.isEmpty() || !access.base)
            return usage(run);
        const QStringList days = o->dates.split(u',', Qt::SkipEmptyParts);
        const auto printed = produceSummaryRejection(
            *access.base, journal, days, o->group, folder, run.settings, o->output, run.prompter);
        if (!printed)
            return kExitFailed;
        run.out << printed->path << '\n';
        return kExitOk;
    }
    return usage(run);
}

const CliRegistrar rejectionRegistrar(
    {QStringLiteral("journal"), kUsage, QStringLiteral("the food rejection journal: list, add, save a menu day, print"),
        rejectionCommand, QStringLiteral("rejection")});

} // namespace
} // namespace kulvera
