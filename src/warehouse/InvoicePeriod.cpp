#include "warehouse/InvoicePeriod.h"

namespace kulvera {

InvoicePeriod InvoicePeriod::all()
{
    return {std::nullopt, QStringLiteral("за весь срок")};
}

InvoicePeriod InvoicePeriod::today(const QDate &today)
{
    return {wholeDay(today), QStringLiteral("за сегодня (") + formatTextDate(today) + u')'};
}

InvoicePeriod InvoicePeriod::week(const QDate &today)
{
    const QDate first = today.addDays(-6);
    return {wholeDays(first, today),
        QStringLiteral("за неделю (с ") + formatTextDate(first) + QStringLiteral(" по ") + formatTextDate(today)
            + u')'};
}

Result<InvoicePeriod> InvoicePeriod::chosen(const QDate &first, const QDate &last)
{
    if (!first.isValid() || !last.isValid())
        return Result<InvoicePeriod>::failure(QStringLiteral("Неверная дата периода!"));
    if (last < first)
        return Result<InvoicePeriod>::failure(QStringLiteral("Конечная дата меньше начальной!"));
    return InvoicePeriod {wholeDays(first, last), QStringLiteral("за выбранный период...")};
}

} // namespace kulvera
