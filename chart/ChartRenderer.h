// Draws a chart model onto any QPainter: the widget, pictures, SVG, PDF
// and printed pages all use it, so every copy shows the same chart.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPalette>
#include <QRectF>

#include "chart/Chart.h"

class QPainter;

namespace qx {

struct TChartRenderOptions {
    // Background (Base), text and axes (Text) and grid follow the palette.
    QPalette palette;
    QFont font;
    // Device pixels per painter unit: lines are placed on device pixels
    // and series are decimated per device pixel column.
    qreal devicePixelRatio = 1;
    bool antialiasing = true;
    // false: a line through every point instead of the per column summary
    // (the same pixels without antialiasing; kept to prove it).
    bool decimate = true;
    // Series colours too close to the background are shifted (lighter on
    // dark backgrounds, darker on light ones) until they read clearly.
    bool adjustContrast = true;
};

// The label font's measures on a paint device.
class TQtFontMetrics : public IChartFontMetrics {
public:
    TQtFontMetrics(const QFont& font, QPaintDevice* device);
    double TextWidth(std::string_view text) const override;
    double LineHeight() const override { return lineHeight_; }

private:
    QFont font_;
    QPaintDevice* device_;
    double lineHeight_;
};

class TChartRenderer {
public:
    // Draws the chart filling target (painter coordinates); returns the
    // layout it drew (in target coordinates from target's top left).
    static const TChartLayout& Render(TChart& chart, QPainter& painter, const QRectF& target,
                                      const TChartRenderOptions& options);
    // A picture of the chart at size (painter units) and pixel ratio.
    static QImage RenderImage(TChart& chart, const QSize& size, const TChartRenderOptions& options);

    // The colour a series is drawn in against the palette's background.
    static QColor SeriesColor(TChartColor color, const TChartRenderOptions& options);
};

}  // namespace qx
