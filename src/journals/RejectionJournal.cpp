#include "journals/RejectionJournal.h"

#include "common/TextDate.h"
#include "shell/Catalogue.h"
#include "shell/InsertedKey.h"
#include "shell/SettingDefaults.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

#include <set>

namespace kulvera {
namespace {

// Times of day go into the date columns on the engine's day zero, as a time
// alone is kept there.
const QDate kTimeDay(1899, 12, 30);

QVariant timeValue(const QTime &time)
{
    return time.isValid() ? QVariant(QDateTime(kTimeDay, time)) : QVariant();
}

std::optional<QTime> parseTime(const QString &typed)
{
    const QString t = typed.trimmed();
    for (const QString &format : {QStringLiteral("h:mm"), QStringLiteral("h:mm:ss")}) {
        const QTime time = QTime::fromString(t, format);
        if (time.isValid())
            return time;
    }
    return std::nullopt;
}

const QString kColumns = QStringLiteral("\"ID\", \"date_r\", \"dish_name\", \"date_made\", \"time_made\", "
                                        "\"time_rejec\", \"result\", \"permis\", \"notes\", \"Дата_Операции\", "
                                        "\"Group_Name\"");

RejectionEntry readEntry(const SqlStatement &s)
{
    RejectionEntry e;
    e.id = s.value(0).toLongLong();
    e.date = storedDate(s.value(1));
    e.dish = s.value(2).toString();
    e.dateMade = storedDate(s.value(3));
    e.timeMade = storedDateTime(s.value(4)).time();
    e.timeChecked = storedDateTime(s.value(5)).time();
    e.result = s.value(6).toString();
    e.permission = s.value(7).toString();
    e.notes = s.value(8).toString();
    e.written = storedDateTime(s.value(9));
    e.group = s.value(10).toString();
    return e;
}

QString columnOf(RejectionField field)
{
    switch (field) {
    case RejectionField::Dish:
        return QStringLiteral("dish_name");
    case RejectionField::DateMade:
        return QStringLiteral("date_made");
    case RejectionField::TimeMade:
        return QStringLiteral("time_made");
    case RejectionField::TimeChecked:
        return QStringLiteral("time_rejec");
    case RejectionField::Result:
        return QStringLiteral("result");
    case RejectionField::Permission:
        return QStringLiteral("permis");
    case RejectionField::Notes:
        return QStringLiteral("notes");
    }
    return {};
}

} // namespace

QString rejectionDeleteQuestion(const QString &dish)
{
    return QStringLiteral("Удаляем из бракеражного журнала рецептуру '") + dish + QStringLiteral("'?");
}

std::optional<QDate> rejectionDate(const QString &typed)
{
    return parseTextDate(typed.trimmed());
}

RejectionJournal::RejectionJournal(AppContext &context)
    : context_(context)
{
}

bool RejectionJournal::connected() const
{
    return context_.connections.isConnected(BaseId::Rejection);
}

Status RejectionJournal::requireConnected() const
{
    return connected() ? Status() : Status::failure(kRejectionNotConnected.toString());
}

bool RejectionJournal::reconnect()
{
    context_.prompter.status(kRejectionReconnecting.toString());
    if (connected())
        context_.connections.disconnect(static_cast<int>(BaseId::Rejection));
    return context_.connections.connectBase(BaseId::Rejection, context_.shared, true) != Connections::kFailed;
}

QString RejectionJournal::table() const
{
    return readSetting(context_.settings, Section::Losses, QStringLiteral("tbBaseRej"));
}

QSqlDatabase RejectionJournal::database() const
{
    return context_.connections.database(BaseId::Rejection);
}

QString RejectionJournal::q(const QString &name) const
{
    return SqlDialect::of(database()).quote(name);
}

// A chosen group, or no group: '' and NULL are the same "no group".
QString RejectionJournal::groupFilter() const
{
    // A null text binds as NULL: COALESCE makes it the empty group.
    return QStringLiteral(" AND ((COALESCE(?, '') <> '' AND \"Group_Name\" = ?) OR (COALESCE(?, '') = '' AND "
                          "(\"Group_Name\" = '' OR \"Group_Name\" IS NULL)))");
}

Result<std::vector<RejectionEntry>> RejectionJournal::entries(const QDate &day, const QString &group) const
{
    return entries(std::vector<QDate> {day}, group);
}

Result<std::vector<RejectionEntry>> RejectionJournal::entries(
    const std::vector<QDate> &days, const QString &group) const
{
    using R = Result<std::vector<RejectionEntry>>;
    if (const Status s = requireConnected(); !s)
        return R::failure(s.error());
    const std::set<QDate> ordered(days.begin(), days.end());
    SqlStatement s(database(),
        QStringLiteral("SELECT ") + kColumns + QStringLiteral(" FROM ") + q(table())
            + QStringLiteral(" WHERE \"date_made\" >= ? AND \"date_made\" <= ?") + groupFilter()
            + QStringLiteral(" ORDER BY \"ID\""),
        &context_.errorLog);
    std::vector<RejectionEntry> out;
    for (const QDate &day : ordered) {
        const DayRange range = wholeDay(day);
        if (const Status st = s.exec({range.from, range.to, group, group, group}); !st)
            return R::failure(st.error());
        while (s.next())
            out.push_back(readEntry(s));
    }
    return out;
}

std::optional<RejectionEntry> RejectionJournal::entry(qint64 id) const
{
    if (!connected())
        return std::nullopt;
    SqlStatement s(database(),
        QStringLiteral("SELECT ") + kColumns + QStringLiteral(" FROM ") + q(table())
            + QStringLiteral(" WHERE \"ID\" = ?"),
        &context_.errorLog);
    if (!s.exec({id}) || !s.next())
        return std::nullopt;
    return readEntry(s);
}

Result<std::vector<QDate>> RejectionJournal::dates() const
{
    using R = Result<std::vector<QDate>>;
    if (const Status s = requireConnected(); !s)
        return R::failure(s.error());
    SqlStatement s(database(), QStringLiteral("SELECT DISTINCT \"date_made\" FROM ") + q(table()), &context_.errorLog);
    if (const Status st = s.exec(); !st)
        return R::failure(st.error());
    std::set<QDate> days;
    while (s.next()) {
        const QDate d = storedDate(s.value(0));
        if (d.isValid())
            days.insert(d);
    }
    return std::vector<QDate>(days.begin(), days.end());
}

RejectionEntry RejectionJournal::blank(const QDate &day, const QString &group, const QString &dish) const
{
    const SettingsAccess &set = context_.settings;
    RejectionEntry e;
    e.date = day;
    e.dish = dish;
    e.dateMade = day;
    e.timeMade = parseTime(readSetting(set, Section::Data, QStringLiteral("sStTimeMade"))).value_or(QTime());
    e.timeChecked = parseTime(readSetting(set, Section::Data, QStringLiteral("sStTimeRej"))).value_or(QTime());
    e.result = readSetting(set, Section::Data, QStringLiteral("sStandartResult"));
    e.permission = readSetting(set, Section::Data, QStringLiteral("sStandartPermis"));
    e.written = context_.clock.now();
    e.group = group;
    return e;
}

Result<qint64> RejectionJournal::add(const QDate &day, const QString &group, const QString &dish)
{
    using R = Result<qint64>;
    if (const Status s = requireConnected(); !s)
        return R::failure(s.error());
    if (!day.isValid())
        return R::failure(kRejectionBadDate.toString());
    if (dish.size() > kRejectionMaxText)
        return R::failure(kRejectionTooLong.toString());
    const RejectionEntry e = blank(day, group, dish);
    SqlStatement s(database(),
        QStringLiteral("INSERT INTO ") + q(table())
            + QStringLiteral(" (\"date_r\", \"dish_name\", \"date_made\", \"time_made\", \"time_rejec\", \"result\", "
                             "\"permis\", \"notes\", \"Дата_Операции\", \"Group_Name\") "
                             "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING \"ID\""),
        &context_.errorLog);
    const QDateTime midnight(day, QTime(0, 0));
    return execInsertReturningKey(s,
        {midnight, e.dish, midnight, timeValue(e.timeMade), timeValue(e.timeChecked), e.result, e.permission, e.notes,
            e.written, e.group});
}

Result<QVariant> RejectionJournal::storedValue(RejectionField field, const QString &typed)
{
    using R = Result<QVariant>;
    switch (field) {
    case RejectionField::DateMade: {
        const std::optional<QDate> d = rejectionDate(typed);
        if (!d)
            return R::failure(kRejectionDateFormat.toString());
        return QVariant(QDateTime(*d, QTime(0, 0)));
    }
    case RejectionField::TimeMade:
    case RejectionField::TimeChecked: {
        if (typed.trimmed().isEmpty())
            return QVariant(); // a cleared time is no time
        const std::optional<QTime> t = parseTime(typed);
        if (!t)
            return R::failure(kRejectionTimeFormat.toString());
        return timeValue(*t);
    }
    default:
        if (typed.size() > kRejectionMaxText)
            return R::failure(kRejectionTooLong.toString());
        return QVariant(typed);
    }
}

Result<qint64> RejectionJournal::addFilled(const QDate &day, const QString &group, const TypedCells &cells)
{
    using R = Result<qint64>;
    if (const Status s = requireConnected(); !s)
        return R::failure(s.error());
    for (const auto &[field, typed] : cells) {
        if (const Result<QVariant> v = storedValue(field, typed); !v)
            return R::failure(v.error());
    }
    Transaction transaction(database(), &context_.errorLog);
    const Result<qint64> id = add(day, group);
    if (!id)
        return id;
    for (const auto &[field, typed] : cells) {
        if (const Status s = edit(*id, field, typed); !s)
            return R::failure(s.error());
    }
    if (const Status s = transaction.commit(); !s)
        return R::failure(s.error());
    return id;
}

Status RejectionJournal::edit(qint64 id, RejectionField field, const QString &typed)
{
    if (const Status s = requireConnected(); !s)
        return s;
    const Result<QVariant> checked = storedValue(field, typed);
    if (!checked)
        return Status::failure(checked.error());
    const QVariant &value = *checked;
    SqlStatement s(database(),
        QStringLiteral("UPDATE ") + q(table()) + QStringLiteral(" SET ") + q(columnOf(field))
            + QStringLiteral(" = ?, \"Дата_Операции\" = ? WHERE \"ID\" = ?"),
        &context_.errorLog);
    if (!s.exec({value, context_.clock.now(), id}) || s.rowsAffected() != 1)
        return Status::failure(kRejectionNotSaved.toString());
    return {};
}

Status RejectionJournal::remove(qint64 id)
{
    if (const Status s = requireConnected(); !s)
        return s;
    const std::optional<RejectionEntry> e = entry(id);
    if (!e)
        return Status::failure(kRejectionNotSaved.toString());
    if (!context_.prompter.confirm(rejectionDeleteQuestion(e->dish), {}, QStringLiteral("rejection.delete")))
        return Status::failure({});
    if (const Status st
        = execSql(database(), QStringLiteral("DELETE FROM ") + q(table()) + QStringLiteral(" WHERE \"ID\" = ?"), {id},
            &context_.errorLog);
        !st)
        return st;
    return {};
}

Result<int> RejectionJournal::clear(const QDate &day, const QString &group)
{
    using R = Result<int>;
    if (const Status s = requireConnected(); !s)
        return R::failure(s.error());
    if (!day.isValid())
        return R::failure(kRejectionBadDate.toString());
    if (!context_.prompter.confirm(kRejectionClearQuestion.toString(), {}, QStringLiteral("rejection.clear")))
        return R::failure({});
    const DayRange range = wholeDay(day);
    SqlStatement s(database(),
        QStringLiteral("DELETE FROM ") + q(table()) + QStringLiteral(" WHERE \"date_made\" >= ? AND \"date_made\" <= ?")
            + groupFilter(),
        &context_.errorLog);
    if (const Status st = s.exec({range.from, range.to, group, group, group}); !st)
        return R::failure(st.error());
    return s.rowsAffected();
}

Result<int> RejectionJournal::saveMenuDay(const QDate &day, const QString &group, const QStringList &dishes)
{
    using R = Result<int>;
    if (!connected()) {
        context_.prompter.status(kRejectionNoBaseToSave.toString());
        return R::failure(kRejectionNotConnected.toString());
    }
    if (!day.isValid())
        return R::failure(kRejectionUnidentified.toString());
    QStringList names;
    for (const QString &d : dishes) {
        const QString name = d.trimmed();
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    }
    if (names.isEmpty()) {
        context_.prompter.status(kRejectionNothingToSave.toString());
        return 0;
    }
    for (const QString &name : names) {
        if (name.size() > kRejectionMaxText)
            return R::failure(kRejectionTooLong.toString() + u'\n' + name.left(60) + QStringLiteral("…"));
    }
    Transaction transaction(database(), &context_.errorLog);
    if (!transaction.started())
        return R::failure(kRejectionNotSaved.toString());
    const DayRange range = wholeDay(day);
    SqlStatement found(database(),
        QStringLiteral("SELECT \"ID\" FROM ") + q(table())
            + QStringLiteral(" WHERE \"dish_name\" = ? AND \"date_made\" >= ? AND \"date_made\" <= ?") + groupFilter(),
        &context_.errorLog);
    SqlStatement touched(database(),
        QStringLiteral("UPDATE ") + q(table()) + QStringLiteral(" SET \"Дата_Операции\" = ? WHERE \"ID\" = ?"),
        &context_.errorLog);
    int added = 0;
    for (const QString &name : names) {
        if (!found.exec({name, range.from, range.to, group, group, group}))
            return R::failure(kRejectionNotSaved.toString());
        if (found.next()) {
            const qint64 id = found.value(0).toLongLong();
            found.finish();
            if (!touched.exec({context_.clock.now(), id}))
                return R::failure(kRejectionNotSaved.toString());
            continue;
        }
        found.finish();
        if (const Result<qint64> id = add(day, group, name); !id)
            return R::failure(id.error());
        ++added;
    }
    if (const Status s = transaction.commit(); !s)
        return R::failure(s.error());
    return added;
}

} // namespace kulvera
