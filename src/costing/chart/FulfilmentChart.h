#pragma once

#include "costing/NormAnalysis.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

class QPainter;

namespace kulvera {

// The nutrient statement as horizontal bars of fulfilment per nutrient, the
// 95 … 105 % band marked and out-of-range bars in the highlight colour. It
// paints with QPainter only (no widgets), so the command line draws the same
// picture as the analysis form.
class FulfilmentChart
{
public:
    // The picture `kulvera-cli menus analyse --png` writes.
    static constexpr QSize kDefaultSize {800, 560};
    static constexpr QColor kInRangeColor {70, 130, 180};
    static constexpr QColor kOutOfRangeColor {220, 40, 40};
    static constexpr QColor kBandColor {200, 235, 200};

    FulfilmentChart() = default;
    explicit FulfilmentChart(std::vector<NutrientRow> rows);

    void setRows(std::vector<NutrientRow> rows) { rows_ = std::move(rows); }
    const std::vector<NutrientRow> &rows() const { return rows_; }

    // The percent at the right end of the axis: at least 150, in steps of 50,
    // so a far overshoot stays readable without squeezing the band.
    double axisMaximum() const;
    // Where the bar of row `index` lies in a picture of `area`; empty for a row
    // without a percent.
    QRectF barRect(int index, const QRect &area) const;
    // The 95 … 105 band across the bars.
    QRectF bandRect(const QRect &area) const;

    void paint(QPainter &painter, const QRect &area) const;
    QImage image(QSize size = kDefaultSize) const;
    // Writes the picture as PNG; false when the file cannot be written.
    bool savePng(const QString &path, QSize size = kDefaultSize) const;

private:
    struct Layout {
        QRectF plot; // the bars' area
        double rowHeight = 0;
    };
    Layout layout(const QRect &area) const;
    double xOf(const Layout &l, double percent) const;

    std::vector<NutrientRow> rows_;
};

} // namespace kulvera
