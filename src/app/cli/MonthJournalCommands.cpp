#include "CliCommand.h"
#include "CliEnvironment.h"

#include "common/Clock.h"
#include "journals/JournalList.h"
#include "journals/JournalsBase.h"
#include "journals/MonthJournal.h"
#include "journals/MonthJournalPrint.h"
#include "shell/AppContext.h"
#include "shell/SettingsStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// kulvera-cli journal health|temperature: the two month journals.

namespace kulvera {
namespace {

QString usageText(const QString &verb)
{
    return QStringLiteral("journal ") + verb
        + QStringLiteral(" show MM.YYYY [--json] | set DATE SUBJECT [VALUE] | copy DATE | add NAME [--place P] | "
                         "remove SUBJECT | print MM.YYYY -o OUT.xlsx");
}

int failed(CliRun &run, const QString &error)
{
    run.err << error << '\n';
    return kExitFailed;
}

// A subject by its key or its name.
std::optional<JournalSubject> subjectArgument(const MonthJournal &journal, const QString &text)
{
    const auto all = journal.subjects();
    if (!all)
        return std::nullopt;
    for (const JournalSubject &s : *all) {
        if (s.name == text)
            return s;
    }
    bool isKey = false;
    const qint64 key = text.toLongLong(&isKey);
    return isKey ? journal.findSubject(key) : std::nullopt;
}

int show(CliRun &run, MonthJournal &journal, const QStringList &a)
{
    if (a.isEmpty() || a.size() > 2 || (a.size() == 2 && a[1] != u"--json"))
        return kExitUsage;
    const Result<JournalMonth> month = parseJournalMonth(a[0]);
    if (!month)
        return failed(run, month.error());
    const auto subjects = journal.subjects();
    const auto entries = journal.entries(*month);
    if (!subjects || !entries)
        return failed(run, subjects ? entries.error() : subjects.error());
    const int days = month->days();
    const auto cell = [&](qint64 subject, int day) {
        const auto found = entries->find(subject);
        if (found == entries->end())
            return QString();
        const auto value = found->second.find(day);
        return value == found->second.end() ? QString() : value->second;
    };
    const JournalKindRules &rules = journal.rules();
    if (a.size() == 2) {
        QJsonArray rows;
        for (const JournalSubject &s : *subjects) {
            QJsonObject days_;
            for (int d = 1; d <= days; ++d) {
                if (const QString v = cell(s.id, d); !v.isNull())
                    days_.insert(dayColumnKey(d), v);
            }
            rows.append(QJsonObject {{QStringLiteral("ID"), s.id}, {rules.subjectNameColumn, s.name},
                {rules.subjectPlaceColumn, s.place ? QJsonValue(*s.place) : QJsonValue()},
                {QStringLiteral("Caption"), s.placeName}, {QStringLiteral("days"), days_}});
        }
        run.out << QJsonDocument(QJsonObject {{QStringLiteral("month"), month->text()}, {QStringLiteral("days"), days},
                                     {QStringLiteral("rows"), rows}})
                       .toJson(QJsonDocument::Indented);
        return kExitOk;
    }
    run.out << rules.idCaption << '\t' << rules.nameCaption << '\t' << rules.placeCaption;
    for (int d = 1; d <= days; ++d)
        run.out << '\t' << d;
    run.out << '\n';
    for (const JournalSubject &s : *subjects) {
        run.out << s.id << '\t' << s.name << '\t' << s.placeName;
        for (int d = 1; d <= days; ++d)
            run.out << '\t' << cell(s.id, d);
        run.out << '\n';
    }
    return kExitOk;
}

int set(CliRun &run, MonthJournal &journal, const QStringList &a)
{
    if (a.size() < 2 || a.size() > 3)
        return kExitUsage;
    const auto day = dateArgument(a[0]);
    if (!day)
        return failed(run, QStringLiteral("Неверная дата: ") + a[0]);
    const auto subject = subjectArgument(journal, a[1]);
    if (!subject)
        return failed(run, journal.rules().subjectNotInTable + QStringLiteral(": ") + a[1]);
    const QString value = a.size() == 3 ? a[2] : QString();
    // The health form offers the marks of the list and nothing else.
    if (journal.rules().kind == JournalKind::Health && !value.trimmed().isEmpty()
        && !JournalList::marks(journal.base()).findByTextOrKey(value))
        return failed(run, QStringLiteral("Нет такой отметки в списке результатов обследования: ") + value);
    const QString stored = journal.rules().kind == JournalKind::Health && !value.trimmed().isEmpty()
        ? JournalList::marks(journal.base()).findByTextOrKey(value)->text
        : value;
    if (const Status s = journal.writeCell(subject->id, *day, stored); !s)
        return failed(run, s.error());
    return kExitOk;
}

int copy(CliRun &run, MonthJournal &journal, const QStringList &a)
{
    if (a.size() != 1)
        return kExitUsage;
    const auto day = dateArgument(a[0]);
    if (!day)
        return failed(run, QStringLiteral("Неверная дата: ") + a[0]);
    if (const Status s = journal.copyPreviousDay({day->year(), day->month()}, day->day()); !s)
        return failed(run, s.error());
    return kExitOk;
}

int add(CliRun &run, MonthJournal &journal, const QStringList &a)
{
    if (a.size() != 1 && !(a.size() == 3 && a[1] == u"--place"))
        return kExitUsage;
    std::optional<qint64> place;
    if (a.size() == 3) {
        JournalList places = JournalList::places(journal.base(), journal.rules().kind);
        auto found = places.findByTextOrKey(a[2]);
        if (!found) {
            const auto added = places.add(a[2].trimmed());
            if (!added)
                return failed(run, added.error());
            place = *added;
        } else {
            place = found->id;
        }
    }
    const auto id = journal.addSubject(a[0]);
    if (!id)
        return failed(run, id.error());
    if (place) {
        if (const Status s = journal.setSubjectPlace(*id, place); !s)
            return failed(run, s.error());
    }
    run.out << *id << '\n';
    return kExitOk;
}

int remove(CliRun &run, MonthJournal &journal, const QStringList &a)
{
    if (a.size() != 1)
        return kExitUsage;
    const auto subject = subjectArgument(journal, a[0]);
    if (!subject)
        return failed(run, journal.rules().subjectUnknown + QStringLiteral(": ") + a[0]);
    const Status s = journal.removeSubject(subject->id);
    if (!s)
        return s.error().isEmpty() ? kExitFailed : failed(run, s.error());
    return kExitOk;
}

int print(CliRun &run, MonthJournal &journal, const QString &templatesFolder, const QStringList &a)
{
    if (a.size() != 3 || a[1] != u"-o")
        return kExitUsage;
    const Result<JournalMonth> month = parseJournalMonth(a[0]);
    if (!month)
        return failed(run, month.error());
    const auto done = printMonthJournal(journal, *month, templatesFolder, run.settings, a[2], run.prompter);
    if (!done)
        return failed(run, done.error());
    run.out << "Журнал подготовлен.\n" << done->path << '\n';
    return done->errors == 0 ? kExitOk : kExitFailed;
}

int journalCommand(CliRun &run, JournalKind kind, const QString &verb)
{
    const QStringList &args = run.args;
    const QString action = args.value(0);
    const QStringList rest = args.mid(1);
    const QStringList actions = {QStringLiteral("show"), QStringLiteral("set"), QStringLiteral("copy"),
        QStringLiteral("add"), QStringLiteral("remove"), QStringLiteral("print")};
    if (!actions.contains(action)) {
        run.err << "Usage: " << usageText(verb) << '\n';
        return kExitUsage;
    }
    CliEnvironment env(run);
    if (env.connections().connectBase(BaseId::Journals, env.shared(), true) == Connections::kFailed)
        return failed(run, kJournalsNotConnected.toString() + QStringLiteral(" (db init создает базы)."));
    SystemClock clock;
    AppContext context {run.prompter, run.settings, env.shared(), clock, env.connections(), env.errorLog()};
    JournalsBase base(context);
    MonthJournal journal(base, kind);
    int code = kExitUsage;
    if (action == u"show")
        code = show(run, journal, rest);
    else if (action == u"set")
        code = set(run, journal, rest);
    else if (action == u"copy")
        code = copy(run, journal, rest);
    else if (action == u"add")
        code = add(run, journal, rest);
    else if (action == u"remove")
        code = remove(run, journal, rest);
    else
        code = print(run, journal, env.shared().templatesFolder(), rest);
    if (code == kExitUsage)
        run.err << "Usage: " << usageText(verb) << '\n';
    return code;
}

const CliRegistrar healthRegistrar({QStringLiteral("journal"), usageText(QStringLiteral("health")),
    QStringLiteral("the staff health journal of a month: show, write a mark, copy the day before, print"),
    [](CliRun &run) { return journalCommand(run, JournalKind::Health, QStringLiteral("health")); },
    QStringLiteral("health")});

const CliRegistrar temperatureRegistrar({QStringLiteral("journal"), usageText(QStringLiteral("temperature")),
    QStringLiteral("the equipment temperature journal of a month: show, write a temperature, copy the day before, "
                   "print"),
    [](CliRun &run) { return journalCommand(run, JournalKind::Temperature, QStringLiteral("temperature")); },
    QStringLiteral("temperature")});

} // namespace
} // namespace kulvera
