#pragma once

#include "common/Result.h"

#include <QDate>
#include <QString>

#include <vector>

namespace kulvera {

class WarehouseBase;

struct TurnoverFilter {
    QDate from;
    QDate to;
    qint64 warehouse = 0; // ≤ 0: every warehouse
    bool movements = true; // false leaves out the lines of internal movements (Код_опер = 1)
};

// One product of the turnover report ("Приход/расход продуктов"), base unit.
// The opening balance is taken at the end of the day before `from` and the
// closing one at the end of `to`, both by BalanceAtDate, so that with
// movements (or over every warehouse) start + incoming − outgoing = finish.
struct TurnoverRow {
    int number = 0; // num_pp, from 1
    qint64 product = 0;
    QString name; // Имя2
    QString unit; // the base unit of the product's unit group
    double start = 0; // St
    double incoming = 0; // Inc: posted receipts from `from` 00:00:00 to `to` 23:59:59
    double outgoing = 0; // Out: posted outgoing lines of the same days
    double finish = 0; // Fi
    double current = 0; // WS: what the lots hold now
};

inline constexpr QStringView kTurnoverTitle = u"Приход/расход продуктов";
inline constexpr QStringView kTurnoverStatus = u"Формирование отчета :: Приход/расход продуктов...";
inline constexpr QStringView kReportDone = u"Отчет сформирован";

// The products that have receipt lines (in the warehouse; without movement
// lines when those are left out), by name. A period whose end is before its
// start is refused.
Result<std::vector<TurnoverRow>> stockTurnover(WarehouseBase &base, const TurnoverFilter &filter);

// One week of a product's (or group's) turnover for the chart.
struct TurnoverWeek {
    QDate monday;
    double incoming = 0;
    double outgoing = 0;
    double balance = 0; // at the end of the week's last day inside the period
};

// The period cut into weeks from the Monday of `from`; each week counts only
// the days inside the period. `products` are summed (a group).
Result<std::vector<TurnoverWeek>> weeklyTurnover(
    WarehouseBase &base, const std::vector<qint64> &products, const TurnoverFilter &filter);

} // namespace kulvera
