#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

namespace kulvera {

// Dates kept in text columns and files are "dd.mm.yyyy".
QString formatTextDate(const QDate &date);
std::optional<QDate> parseTextDate(QStringView text);

// A date criterion covers whole days: from 00:00:00 of the first day to
// 23:59:59 of the last. The data layer binds both ends as parameters.
struct DayRange {
    QDateTime from;
    QDateTime to;
};
DayRange wholeDays(const QDate &first, const QDate &last);
inline DayRange wholeDay(const QDate &day)
{
    return wholeDays(day, day);
}

} // namespace kulvera
