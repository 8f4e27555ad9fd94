#pragma once

#include "common/Result.h"
#include "common/TextDate.h"

#include <QDate>
#include <QString>

#include <optional>

namespace kulvera {

// The period of a header list: every date, or whole days from one date to another.
struct InvoicePeriod {
    std::optional<DayRange> range; // empty: "за весь срок"
    QString caption;

    static InvoicePeriod all();
    static InvoicePeriod today(const QDate &today);
    // The seven days that end today.
    static InvoicePeriod week(const QDate &today);
    // Refused with "Конечная дата меньше начальной!" when the end precedes the start.
    static Result<InvoicePeriod> chosen(const QDate &first, const QDate &last);
};

} // namespace kulvera
