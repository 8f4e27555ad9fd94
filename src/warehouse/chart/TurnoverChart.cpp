#include "warehouse/chart/TurnoverChart.h"

#include "common/NumberText.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace kulvera {
namespace {

constexpr double kLeft = 70; // the axis labels
constexpr double kMargin = 12;
constexpr double kTitleHeight = 40; // the title and the legend
constexpr double kBottom = 34; // the week labels
constexpr int kTicks = 5;

// 1, 2 or 5 times a power of ten at or above `value`, so the scale reads round.
double roundUp(double value)
{
    if (value <= 0)
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (const double step : {1.0, 2.0, 5.0, 10.0}) {
        if (step * power >= value)
            return step * power;
    }
    return 10 * power;
}

} // namespace

TurnoverChart::TurnoverChart(QString title, std::vector<TurnoverWeek> weeks)
    : title_(std::move(title))
    , weeks_(std::move(weeks))
{
}

double TurnoverChart::axisTop() const
{
    double top = 0;
    for (const TurnoverWeek &w : weeks_)
        top = std::max({top, w.incoming, w.outgoing, w.balance});
    return roundUp(top);
}

double TurnoverChart::axisBottom() const
{
    double bottom = 0;
    for (const TurnoverWeek &w : weeks_)
        bottom = std::min(bottom, w.balance);
    return bottom < 0 ? -roundUp(-bottom) : 0.0;
}

QRectF TurnoverChart::plot(const QRect &area) const
{
    return QRectF(area.left() + kLeft, area.top() + kTitleHeight, area.width() - kLeft - kMargin,
        area.height() - kTitleHeight - kBottom);
}

double TurnoverChart::yOf(const QRectF &p, double value) const
{
    const double span = axisTop() - axisBottom();
    return p.bottom() - p.height() * (value - axisBottom()) / span;
}

QRectF TurnoverChart::bar(int index, int side, double value, const QRect &area) const
{
    if (weeks_.empty() || index < 0 || index >= static_cast<int>(weeks_.size()))
        return {};
    const QRectF p = plot(area);
    const double slot = p.width() / static_cast<double>(weeks_.size());
    const double width = slot * 0.35;
    const double x = p.left() + slot * index + slot * 0.15 + width * side;
    const double zero = yOf(p, 0);
    const double top = yOf(p, std::max(value, 0.0));
    return QRectF(x, top, width, zero - top);
}

QRectF TurnoverChart::incomingBar(int index, const QRect &area) const
{
    return bar(index, 0, index >= 0 && index < static_cast<int>(weeks_.size()) ? weeks_[index].incoming : 0, area);
}

QRectF TurnoverChart::outgoingBar(int index, const QRect &area) const
{
    return bar(index, 1, index >= 0 && index < static_cast<int>(weeks_.size()) ? weeks_[index].outgoing : 0, area);
}

QPointF TurnoverChart::balancePoint(int index, const QRect &area) const
{
    const QRectF p = plot(area);
    const double slot = weeks_.empty() ? 0 : p.width() / static_cast<double>(weeks_.size());
    return {p.left() + slot * (index + 0.5), yOf(p, weeks_[static_cast<std::size_t>(index)].balance)};
}

void TurnoverChart::paint(QPainter &painter, const QRect &area) const
{
    painter.save();
    painter.fillRect(area, Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = painter.font();
    painter.setPen(Qt::black);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRectF(area.left() + kMargin, area.top() + 2, area.width() - 2 * kMargin, 18),
        Qt::AlignLeft | Qt::AlignVCenter, title_);
    font.setBold(false);
    painter.setFont(font);
    // The legend.
    const struct {
        QColor color;
        const char16_t *text;
    } legend[] = {{kIncomingColor, u"Приход"}, {kOutgoingColor, u"Расход"}, {kBalanceColor, u"Остаток"}};
    double x = area.left() + kLeft;
    for (const auto &l : legend) {
        painter.fillRect(QRectF(x, area.top() + 24, 12, 10), l.color);
        painter.drawText(QPointF(x + 16, area.top() + 34), QString::fromUtf16(l.text));
        x += 90;
    }
    const QRectF p = plot(area);
    // The scale.
    painter.setPen(QColor(200, 200, 200));
    for (int i = 0; i <= kTicks; ++i) {
        const double value = axisBottom() + (axisTop() - axisBottom()) * i / kTicks;
        const double y = yOf(p, value);
        painter.drawLine(QPointF(p.left(), y), QPointF(p.right(), y));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(area.left(), y - 8, kLeft - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
            formatNumber(roundTo(value, 3)));
        painter.setPen(QColor(200, 200, 200));
    }
    painter.setPen(Qt::black);
    painter.drawLine(QPointF(p.left(), yOf(p, 0)), QPointF(p.right(), yOf(p, 0)));
    const int n = static_cast<int>(weeks_.size());
    const double slot = n == 0 ? 0 : p.width() / n;
    // Labels of every week when they fit, else of every k-th.
    const int every = std::max(1, static_cast<int>(std::ceil(44.0 / std::max(slot, 1.0))));
    QPainterPath line;
    for (int i = 0; i < n; ++i) {
        painter.fillRect(incomingBar(i, area), kIncomingColor);
        painter.fillRect(outgoingBar(i, area), kOutgoingColor);
        const QPointF point = balancePoint(i, area);
        if (i == 0)
            line.moveTo(point);
        else
            line.lineTo(point);
        if (i % every == 0) {
            painter.drawText(QRectF(p.left() + slot * i - 10, p.bottom() + 4, slot + 20, 16), Qt::AlignHCenter,
                weeks_[static_cast<std::size_t>(i)].monday.toString(QStringLiteral("dd.MM")));
        }
    }
    painter.setPen(QPen(kBalanceColor, 2));
    painter.drawPath(line);
    painter.setBrush(kBalanceColor);
    for (int i = 0; i < n; ++i)
        painter.drawEllipse(balancePoint(i, area), 3, 3);
    painter.restore();
}

QImage TurnoverChart::image(QSize size) const
{
    QImage picture(size, QImage::Format_ARGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    paint(painter, picture.rect());
    return picture;
}

bool TurnoverChart::savePng(const QString &path, QSize size) const
{
    return image(size).save(path, "PNG");
}

} // namespace kulvera
