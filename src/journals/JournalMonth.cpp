#include "journals/JournalMonth.h"

#include "journals/MonthJournalKind.h"

namespace kulvera {

const QStringList &monthNames()
{
    static const QStringList names
        = {QStringLiteral("Январь"), QStringLiteral("Февраль"), QStringLiteral("Март"), QStringLiteral("Апрель"),
            QStringLiteral("Май"), QStringLiteral("Июнь"), QStringLiteral("Июль"), QStringLiteral("Август"),
            QStringLiteral("Сентябрь"), QStringLiteral("Октябрь"), QStringLiteral("Ноябрь"), QStringLiteral("Декабрь")};
    return names;
}

QString JournalMonth::caption() const
{
    return monthNames().value(month - 1) + u' ' + QString::number(year);
}

QString JournalMonth::text() const
{
    return QStringLiteral("%1.%2").arg(month, 2, 10, QChar(u'0')).arg(year, 4, 10, QChar(u'0'));
}

Result<int> parseJournalYear(const QString &text)
{
    const QString t = text.trimmed();
    bool digits = !t.isEmpty() && t.size() <= 4;
    for (const QChar c : t)
        digits = digits && c.isDigit() && c.unicode() < 128;
    const int year = digits ? t.toInt() : 0;
    // QDate counts years from 1; a year of the journals has four digits.
    if (year < 1000)
        return Result<int>::failure(kYearUnreadable.toString());
    return year;
}

Result<JournalMonth> parseJournalMonth(const QString &text)
{
    using R = Result<JournalMonth>;
    const QStringList parts = text.trimmed().split(u'.');
    if (parts.size() != 2)
        return R::failure(QStringLiteral("Месяц указывается как ММ.ГГГГ: ") + text);
    bool monthOk = false;
    const int month = parts[0].toInt(&monthOk);
    if (!monthOk || parts[0].size() > 2 || month < 1 || month > 12)
        return R::failure(QStringLiteral("Нет такого месяца: ") + text);
    const Result<int> year = parseJournalYear(parts[1]);
    if (!year)
        return R::failure(year.error() + QStringLiteral(" (") + text + u')');
    return JournalMonth {*year, month};
}

QString dayColumnKey(int day)
{
    return QStringLiteral("d_") + QString::number(day);
}

std::optional<int> dayFromColumnKey(const QString &key)
{
    if (!key.startsWith(u"d_"))
        return std::nullopt;
    bool ok = false;
    const int day = key.mid(2).toInt(&ok);
    if (!ok || day < 1 || day > 31)
        return std::nullopt;
    return day;
}

} // namespace kulvera
