#pragma once

#include "warehouse/StockTurnover.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

class QPainter;

namespace kulvera {

// Receipts and write-offs per week as paired bars, the balance at each week's
// end as a line over them, on one quantity axis from 0 (or the lowest
// balance, when it is negative). QPainter only, so the command line draws the
// same picture as the turnover form.
class TurnoverChart
{
public:
    static constexpr QSize kDefaultSize {800, 480};
    static constexpr QColor kIncomingColor {70, 150, 70};
    static constexpr QColor kOutgoingColor {200, 70, 50};
    static constexpr QColor kBalanceColor {40, 80, 170};

    TurnoverChart() = default;
    TurnoverChart(QString title, std::vector<TurnoverWeek> weeks);

    const std::vector<TurnoverWeek> &weeks() const { return weeks_; }
    // The quantities at the top and bottom of the axis.
    double axisTop() const;
    double axisBottom() const;
    // Where the bars of week `index` and its balance point lie in `area`.
    QRectF incomingBar(int index, const QRect &area) const;
    QRectF outgoingBar(int index, const QRect &area) const;
    QPointF balancePoint(int index, const QRect &area) const;

    void paint(QPainter &painter, const QRect &area) const;
    QImage image(QSize size = kDefaultSize) const;
    bool savePng(const QString &path, QSize size = kDefaultSize) const;

private:
    QRectF plot(const QRect &area) const;
    double yOf(const QRectF &plot, double value) const;
    QRectF bar(int index, int side, double value, const QRect &area) const;

    QString title_;
    std::vector<TurnoverWeek> weeks_;
};

} // namespace kulvera
