#include "costing/chart/FulfilmentChart.h"

#include "common/NumberText.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kulvera {
namespace {

constexpr double kMargin = 12;
constexpr double kAxisHeight = 28; // the percent scale below the bars
constexpr double kTitleHeight = 26;
constexpr double kAxisStep = 50;
constexpr double kAxisFloor = 150;
// Beyond this a bar is cut at the edge: a tenfold overshoot tells the same story.
constexpr double kAxisCeiling = 400;

} // namespace

FulfilmentChart::FulfilmentChart(std::vector<NutrientRow> rows)
    : rows_(std::move(rows))
{
}

double FulfilmentChart::axisMaximum() const
{
    double top = kAxisFloor;
    for (const NutrientRow &r : rows_) {
        if (r.percent)
            top = std::max(top, std::ceil(*r.percent / kAxisStep) * kAxisStep);
    }
    return std::min(top, kAxisCeiling);
}

FulfilmentChart::Layout FulfilmentChart::layout(const QRect &area) const
{
    // The labels' column is as wide as the longest name, but never more than
    // 40 % of the picture.
    QFont font;
    const QFontMetricsF metrics(font);
    double labels = 0;
    for (const NutrientRow &r : rows_)
        labels = std::max(labels, metrics.horizontalAdvance(r.name));
    labels = std::min(labels + kMargin, area.width() * 0.4);
    Layout l;
    l.plot = QRectF(area.left() + kMargin + labels, area.top() + kTitleHeight,
        area.width() - 2 * kMargin - labels - metrics.horizontalAdvance(QStringLiteral("000.0 %")),
        area.height() - kTitleHeight - kAxisHeight);
    l.rowHeight = rows_.empty() ? 0 : l.plot.height() / static_cast<double>(rows_.size());
    return l;
}

double FulfilmentChart::xOf(const Layout &l, double percent) const
{
    const double clamped = std::clamp(percent, 0.0, axisMaximum());
    return l.plot.left() + l.plot.width() * clamped / axisMaximum();
}

QRectF FulfilmentChart::barRect(int index, const QRect &area) const
{
    if (index < 0 || index >= static_cast<int>(rows_.size()) || !rows_[static_cast<std::size_t>(index)].percent)
        return {};
    const Layout l = layout(area);
    const double top = l.plot.top() + l.rowHeight * index + l.rowHeight * 0.2;
    const double right = xOf(l, *rows_[static_cast<std::size_t>(index)].percent);
    return QRectF(QPointF(l.plot.left(), top), QPointF(right, top + l.rowHeight * 0.6));
}

QRectF FulfilmentChart::bandRect(const QRect &area) const
{
    const Layout l = layout(area);
    return QRectF(QPointF(xOf(l, kFulfilmentLow), l.plot.top()), QPointF(xOf(l, kFulfilmentHigh), l.plot.bottom()));
}

void FulfilmentChart::paint(QPainter &painter, const QRect &area) const
{
    painter.save();
    painter.fillRect(area, Qt::white);
    const Layout l = layout(area);
    const QFontMetricsF metrics(painter.font());

    painter.setPen(Qt::black);
    painter.drawText(QRectF(area.left(), area.top(), area.width(), kTitleHeight), Qt::AlignCenter,
        QStringLiteral("Выполнение норм, % от дневной нормы"));

    // The band first, so the bars lie over it and its edges stay visible.
    const QRectF band = bandRect(area);
    painter.fillRect(band, kBandColor);

    // The scale with a thin line at every step.
    painter.setPen(QColor(190, 190, 190));
    for (double p = 0; p <= axisMaximum() + 0.5; p += kAxisStep) {
        const double x = xOf(l, p);
        painter.drawLine(QPointF(x, l.plot.top()), QPointF(x, l.plot.bottom()));
    }
    painter.setPen(Qt::black);
    for (double p = 0; p <= axisMaximum() + 0.5; p += kAxisStep) {
        const double x = xOf(l, p);
        const QString text = QString::number(static_cast<int>(p));
        painter.drawText(
            QRectF(x - 30, l.plot.bottom() + 4, 60, kAxisHeight - 4), Qt::AlignHCenter | Qt::AlignTop, text);
    }
    painter.setPen(QPen(QColor(0, 120, 0), 1, Qt::DashLine));
    painter.drawLine(band.topLeft(), band.bottomLeft());
    painter.drawLine(band.topRight(), band.bottomRight());

    for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
        const NutrientRow &r = rows_[static_cast<std::size_t>(i)];
        const double top = l.plot.top() + l.rowHeight * i;
        painter.setPen(Qt::black);
        const QRectF label(area.left() + kMargin, top, l.plot.left() - area.left() - 2 * kMargin, l.rowHeight);
        painter.drawText(
            label, Qt::AlignRight | Qt::AlignVCenter, metrics.elidedText(r.name, Qt::ElideRight, label.width()));
        const QRectF bar = barRect(i, area);
        if (bar.isNull())
            continue; // no norm: nothing to compare
        painter.fillRect(bar, outOfRange(*r.percent) ? kOutOfRangeColor : kInRangeColor);
        painter.drawText(QRectF(bar.right() + 4, top, area.right() - bar.right(), l.rowHeight),
            Qt::AlignLeft | Qt::AlignVCenter, formatFixed(*r.percent, 1));
    }
    painter.setPen(Qt::black);
    painter.drawLine(l.plot.bottomLeft(), l.plot.bottomRight());
    painter.drawLine(l.plot.topLeft(), l.plot.bottomLeft());
    painter.restore();
}

QImage FulfilmentChart::image(QSize size) const
{
    QImage picture(size, QImage::Format_ARGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    paint(painter, picture.rect());
    painter.end();
    return picture;
}

bool FulfilmentChart::savePng(const QString &path, QSize size) const
{
    return image(size).save(path, "PNG");
}

} // namespace kulvera
