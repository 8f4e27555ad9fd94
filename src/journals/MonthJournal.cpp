#include "journals/MonthJournal.h"

#include "common/Prompter.h"
#include "common/TextDate.h"
#include "journals/JournalsBase.h"
#include "shell/InsertedKey.h"
#include "shell/SqlDialect.h"
#include "shell/SqlStatement.h"

namespace kulvera {

MonthJournal::MonthJournal(JournalsBase &base, JournalKind kind)
    : base_(base)
    , rules_(journalKindRules(kind))
{
}

QString MonthJournal::entryTable() const
{
    return base_.table(rules_.entryTableKey);
}

QString MonthJournal::subjectTable() const
{
    return base_.table(rules_.subjectTableKey);
}

Result<std::vector<JournalSubject>> MonthJournal::subjects() const
{
    using R = Result<std::vector<JournalSubject>>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    const QString place = base_.q(rules_.subjectPlaceColumn);
    // An outer join: a subject whose place was deleted must not drop out of the journal.
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT S.\"ID\", S.") + base_.q(rules_.subjectNameColumn) + QStringLiteral(", S.") + place
            + QStringLiteral(", P.\"Caption\" FROM ") + subjectTable() + QStringLiteral(" S LEFT JOIN ")
            + base_.table(rules_.placeTableKey) + QStringLiteral(" P ON S.") + place
            + QStringLiteral(" = P.\"ID\" ORDER BY (P.\"ID\" IS NULL), S.\"ID\""),
        base_.errorLog());
    if (const Status e = s.exec(); !e)
        return R::failure(e.error());
    std::vector<JournalSubject> rows;
    while (s.next()) {
        JournalSubject r;
        r.id = s.value(0).toLongLong();
        r.name = s.value(1).toString();
        if (!s.value(2).isNull())
            r.place = s.value(2).toLongLong();
        r.placeName = s.value(3).toString();
        rows.push_back(r);
    }
    return rows;
}

std::optional<JournalSubject> MonthJournal::findSubject(qint64 id) const
{
    const auto all = subjects();
    if (!all)
        return std::nullopt;
    for (const JournalSubject &s : *all) {
        if (s.id == id)
            return s;
    }
    return std::nullopt;
}

Result<JournalEntries> MonthJournal::entries(const JournalMonth &month) const
{
    using R = Result<JournalEntries>;
    if (const Status c = base_.requireConnected(); !c)
        return R::failure(c.error());
    const DayRange range = wholeDays(month.first(), month.last());
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT ") + base_.q(rules_.entrySubjectColumn)
            + QStringLiteral(", \"date_t\", \"Results\" FROM ") + entryTable()
            + QStringLiteral(" WHERE \"date_t\" BETWEEN ? AND ? ORDER BY \"ID\""),
        base_.errorLog());
    if (const Status e = s.exec({range.from, range.to}); !e)
        return R::failure(e.error());
    JournalEntries entries;
    while (s.next()) {
        const QDate day = storedDate(s.value(1));
        if (day.isValid())
            entries[s.value(0).toLongLong()][day.day()] = s.value(2).toString();
    }
    return entries;
}

Result<int> MonthJournal::countEntries(qint64 subject, const QDate &day) const
{
    const DayRange range = wholeDay(day);
    SqlStatement s(base_.database(),
        QStringLiteral("SELECT COUNT(*) FROM ") + entryTable() + QStringLiteral(" WHERE ")
            + base_.q(rules_.entrySubjectColumn) + QStringLiteral(" = ? AND \"date_t\" BETWEEN ? AND ?"),
        base_.errorLog());
    if (const Status e = s.exec({subject, range.from, range.to}); !e)
        return Result<int>::failure(e.error());
    return s.next() ? s.value(0).toInt() : 0;
}

Status MonthJournal::writeCell(qint64 subject, const QDate &day, const QString &text)
{
    if (const Status c = base_.requireConnected(); !c)
        return c;
    if (subject <= 0)
        return Status::failure(rules_.noSubjectInRow);
    if (!day.isValid())
        return Status::failure(kNotDayColumn.toString());
    if (!findSubject(subject))
        return Status::failure(rules_.subjectNotInTable);
    const Result<int> count = countEntries(subject, day);
    if (!count)
        return Status::failure(count.error());
    if (*count > 1)
        return Status::failure(kSeveralEntries.toString());
    // A health cell left without a mark keeps a single space, never an empty value.
    const QString value = rules_.kind == JournalKind::Health && text.isEmpty() ? QStringLiteral(" ") : text;
    if (*count == 0) {
        return base_.exec(QStringLiteral("INSERT INTO ") + entryTable() + QStringLiteral(" (")
                + base_.q(rules_.entrySubjectColumn) + QStringLiteral(", \"date_t\", \"Results\") VALUES (?, ?, ?)"),
            {subject, QDateTime(day, QTime(0, 0)), value});
    }
    const DayRange range = wholeDay(day);
    return base_.exec(QStringLiteral("UPDATE ") + entryTable() + QStringLiteral(" SET \"Results\" = ? WHERE ")
            + base_.q(rules_.entrySubjectColumn) + QStringLiteral(" = ? AND \"date_t\" BETWEEN ? AND ?"),
        {value, subject, range.from, range.to});
}

Status MonthJournal::copyPreviousDay(const JournalMonth &month, int day)
{
    if (const Status c = base_.requireConnected(); !c)
        return c;
    if (day < 1 || day > month.days())
        return Status::failure(kNotDayColumn.toString());
    if (day == 1)
        return Status::failure(kFirstDayNotCopied.toString());
    const auto rows = subjects();
    if (!rows)
        return Status::failure(rows.error());
    const auto month_entries = entries(month);
    if (!month_entries)
        return Status::failure(month_entries.error());
    Transaction transaction(base_.database(), base_.errorLog());
    for (const JournalSubject &s : *rows) {
        QString previous;
        if (const auto found = month_entries->find(s.id); found != month_entries->end())
            previous = found->second.count(day - 1) ? found->second.at(day - 1) : QString();
        // A health day without a mark holds " ": copied, it stays a cell without a mark.
        if (rules_.kind == JournalKind::Health && previous.trimmed().isEmpty())
            previous.clear();
        if (const Status w = writeCell(s.id, month.day(day), previous); !w)
            return w;
    }
    return transaction.commit();
}

Result<qint64> MonthJournal::addSubject(const QString &name)
{
    if (const Status c = base_.requireConnected(); !c)
        return Result<qint64>::failure(c.error());
    SqlStatement s(base_.database(),
        QStringLiteral("INSERT INTO ") + subjectTable() + QStringLiteral(" (") + base_.q(rules_.subjectNameColumn)
            + QStringLiteral(") VALUES (?) RETURNING \"ID\""),
        base_.errorLog());
    return execInsertReturningKey(s, {name});
}

Status MonthJournal::renameSubject(qint64 id, const QString &name)
{
    if (const Status c = base_.requireConnected(); !c)
        return c;
    if (!findSubject(id))
        return Status::failure(rules_.subjectNotInTable);
    return base_.exec(QStringLiteral("UPDATE ") + subjectTable() + QStringLiteral(" SET ")
            + base_.q(rules_.subjectNameColumn) + QStringLiteral(" = ? WHERE \"ID\" = ?"),
        {name, id});
}

Status MonthJournal::setSubjectPlace(qint64 id, std::optional<qint64> place)
{
    if (const Status c = base_.requireConnected(); !c)
        return c;
    if (!findSubject(id))
        return Status::failure(rules_.subjectNotInTable);
    return base_.exec(QStringLiteral("UPDATE ") + subjectTable() + QStringLiteral(" SET ")
            + base_.q(rules_.subjectPlaceColumn) + QStringLiteral(" = ? WHERE \"ID\" = ?"),
        {place ? QVariant(*place) : QVariant(QMetaType(QMetaType::LongLong)), id});
}

Status MonthJournal::removeSubject(qint64 id)
{
    if (const Status c = base_.requireConnected(); !c)
        return c;
    const auto subject = findSubject(id);
    if (!subject)
        return Status::failure(rules_.subjectUnknown);
    if (!base_.context().prompter.confirm(
            rules_.deleteQuestion + subject->name + QStringLiteral("'?\n") + rules_.deleteWarning, rules_.title))
        return Status::failure({});
    // The warning promises the subject leaves every journal: its entries go with it.
    Transaction transaction(base_.database(), base_.errorLog());
    if (const Status s = base_.exec(QStringLiteral("DELETE FROM ") + entryTable() + QStringLiteral(" WHERE ")
                + base_.q(rules_.entrySubjectColumn) + QStringLiteral(" = ?"),
            {id});
        !s)
        return s;
    if (const Status s
        = base_.exec(QStringLiteral("DELETE FROM ") + subjectTable() + QStringLiteral(" WHERE \"ID\" = ?"), {id});
        !s)
        return s;
    return transaction.commit();
}

} // namespace kulvera
