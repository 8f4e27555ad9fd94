#pragma once

#include "common/Result.h"
#include "journals/JournalMonth.h"
#include "journals/MonthJournalKind.h"

#include <QDate>
#include <QString>

#include <map>
#include <optional>
#include <vector>

namespace kulvera {

class JournalsBase;

// A row of a month journal: an employee with the position, or a piece of
// equipment with the premises it stands in.
struct JournalSubject {
    qint64 id = 0;
    QString name;
    std::optional<qint64> place; // id_post / id_struc; none when not set
    QString placeName; // empty when none, or when the place was deleted
};

// A month's entries: subject → day of the month → the cell's text.
using JournalEntries = std::map<qint64, std::map<int, QString>>;

// The health journal (one mark per employee and day) or the temperature
// journal (one temperature per piece of equipment and day). At most one entry
// is kept per subject and day; every cell is written at once.
class MonthJournal
{
public:
    MonthJournal(JournalsBase &base, JournalKind kind);

    const JournalKindRules &rules() const { return rules_; }
    JournalsBase &base() const { return base_; }

    // The subjects with a place first, then those without one, each in the
    // order they were added. A subject whose place was deleted stays in the
    // journal, shown without a place.
    Result<std::vector<JournalSubject>> subjects() const;
    std::optional<JournalSubject> findSubject(qint64 id) const;
    Result<JournalEntries> entries(const JournalMonth &month) const;

    // Writes one cell: a new entry for the day, or the one entry it has.
    // A day that already holds several entries of the subject is refused
    // ("Идентифицировано несколько строк! Запись остановлена!") and nothing is
    // written. A health cell without a mark stores a single space.
    Status writeCell(qint64 subject, const QDate &day, const QString &text);
    // Every subject's day − 1 written into `day` as if typed, in one
    // transaction; day 1 is refused, and so is the whole copy when one cell is.
    Status copyPreviousDay(const JournalMonth &month, int day);

    Result<qint64> addSubject(const QString &name = {});
    Status renameSubject(qint64 id, const QString &name);
    // The position / premises of a subject; none clears it.
    Status setSubjectPlace(qint64 id, std::optional<qint64> place);
    // Asks with the journal's question and warning; on Yes deletes the subject
    // and every entry of it in all months, in one transaction.
    Status removeSubject(qint64 id);

private:
    Result<int> countEntries(qint64 subject, const QDate &day) const;
    QString entryTable() const;
    QString subjectTable() const;

    JournalsBase &base_;
    const JournalKindRules &rules_;
};

} // namespace kulvera
