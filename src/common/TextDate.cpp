#include "common/TextDate.h"

namespace kulvera {

QString formatTextDate(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

std::optional<QDate> parseTextDate(QStringView text)
{
    const QStringView t = text.trimmed();
    // Day and month may have one or two digits; the year has four.
    const auto parts = t.split(u'.');
    if (parts.size() != 3 || parts[2].size() != 4)
        return std::nullopt;
    bool okDay = false, okMonth = false, okYear = false;
    const int day = parts[0].toInt(&okDay);
    const int month = parts[1].toInt(&okMonth);
    const int year = parts[2].toInt(&okYear);
    if (!okDay || !okMonth || !okYear || parts[0].size() > 2 || parts[1].size() > 2)
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

DayRange wholeDays(const QDate &first, const QDate &last)
{
    return {QDateTime(first, QTime(0, 0, 0)), QDateTime(last, QTime(23, 59, 59))};
}

} // namespace kulvera
