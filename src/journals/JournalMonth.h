#pragma once

#include "common/Result.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace kulvera {

// One month of a journal: its days follow the calendar (February of a leap
// year has 29).
struct JournalMonth {
    int year = 0;
    int month = 1; // 1..12

    QDate first() const { return QDate(year, month, 1); }
    // The day before the first of the next month.
    QDate last() const { return first().addMonths(1).addDays(-1); }
    int days() const { return last().day(); }
    QDate day(int number) const { return QDate(year, month, number); }
    // "Февраль 2028": the month as the printed journal names it.
    QString caption() const;
    // "02.2028": the month as the command line takes it.
    QString text() const;
    bool operator==(const JournalMonth &) const = default;
};

// The twelve month names in calendar order, as the month list shows them.
const QStringList &monthNames();

// The year field of the journal forms: digits only, else "Не удалось установить год!".
Result<int> parseJournalYear(const QString &text);
// "MM.YYYY" (or "M.YYYY"): a month that is no month ("13.2026") is refused with its reason.
Result<JournalMonth> parseJournalMonth(const QString &text);

// The grid's day columns are keyed "d_1" … "d_31"; anything else is no day.
QString dayColumnKey(int day);
std::optional<int> dayFromColumnKey(const QString &key);

} // namespace kulvera
