#include "chart/ChartRenderer.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

#include "chart/SeriesDecimation.h"

namespace qx {

namespace {

QColor ToQColor(TChartColor c) {
    return QColor(c.Red(), c.Green(), c.Blue(), c.Alpha());
}

QColor Mix(const QColor& a, const QColor& b, double f) {
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * f),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * f),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * f));
}

double Luminance(const QColor& c) {
    auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Colour of an axis element: its own when set, else the theme's.
QColor AxisColor(TChartColor own, const QColor& theme, const TChartRenderOptions& options) {
    return own.IsSet() ? TChartRenderer::SeriesColor(own, options) : theme;
}

// Device pixel geometry of one series' drawing.
struct TPixelGrid {
    double dpr;
    double left;    // device x of column 0's left edge (whole pixel)
    double offset;  // 0.5 for lines of odd device width, 0 for even
    const TAxisLayout* axis;

    double Row(double value) const {
        return std::floor(std::clamp(axis->ToPixel(value) * dpr, -1e7, 1e7));
    }
    QPointF Snapped(std::int64_t column, double value) const {
        return {(left + static_cast<double>(column) + offset) / dpr, (Row(value) + offset) / dpr};
    }
    // A point in device coordinates, not snapped (for points off the plot).
    QPointF Device(double position, double value) const {
        return {left + position + offset, Row(value) + offset};
    }
};

void AddVertex(QPolygonF& poly, const QPointF& p) {
    if (poly.isEmpty() || poly.back() != p) poly.append(p);
}

// The point where the segment from outside (device) to inside crosses
// x = bound, or outside itself when it is not beyond the bound.
QPointF ClipTo(QPointF outside, const QPointF& inside, double bound, bool leftSide) {
    const bool beyond = leftSide ? outside.x() < bound : outside.x() > bound;
    if (!beyond || outside.x() == inside.x()) return outside;
    const double t = (bound - outside.x()) / (inside.x() - outside.x());
    return {bound, outside.y() + t * (inside.y() - outside.y())};
}

void DrawMarker(QPainter& p, TMarkerStyle style, const QPointF& c, double r) {
    auto poly = [&](std::initializer_list<QPointF> pts) {
        QPolygonF polygon;
        for (const QPointF& d : pts) polygon << c + d;
        p.drawPolygon(polygon);
    };
    switch (style) {
        case TMarkerStyle::Rectangle: p.drawRect(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r)); break;
        case TMarkerStyle::Circle: p.drawEllipse(c, r, r); break;
        case TMarkerStyle::Triangle: poly({{0, -r}, {r, r}, {-r, r}}); break;
        case TMarkerStyle::DownTriangle: poly({{0, r}, {r, -r}, {-r, -r}}); break;
        case TMarkerStyle::LeftTriangle: poly({{-r, 0}, {r, -r}, {r, r}}); break;
        case TMarkerStyle::RightTriangle: poly({{r, 0}, {-r, -r}, {-r, r}}); break;
        case TMarkerStyle::Diamond: poly({{0, -r}, {r, 0}, {0, r}, {-r, 0}}); break;
        case TMarkerStyle::Cross:
            p.drawLine(c + QPointF(-r, 0), c + QPointF(r, 0));
            p.drawLine(c + QPointF(0, -r), c + QPointF(0, r));
            break;
        case TMarkerStyle::DiagonalCross:
            p.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
            p.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
            break;
        case TMarkerStyle::Star:
            p.drawLine(c + QPointF(-r, 0), c + QPointF(r, 0));
            p.drawLine(c + QPointF(0, -r), c + QPointF(0, r));
            p.drawLine(c + QPointF(-r * 0.7, -r * 0.7), c + QPointF(r * 0.7, r * 0.7));
            p.drawLine(c + QPointF(-r * 0.7, r * 0.7), c + QPointF(r * 0.7, -r * 0.7));
            break;
        case TMarkerStyle::SmallDot: p.drawEllipse(c, r / 3, r / 3); break;
        case TMarkerStyle::None: break;
    }
}

bool FilledMarker(TMarkerStyle style) {
    return style != TMarkerStyle::Cross && style != TMarkerStyle::DiagonalCross &&
           style != TMarkerStyle::Star;
}

QString LabelText(const std::string& label, bool multiLine) {
    QString text = QString::fromStdString(label);
    if (multiLine) text.replace(QLatin1Char(' '), QLatin1Char('\n'));
    return text;
}

// A one pixel line's run ends this far (device pixels) inside the span of
// pixels it touches: antialiased, the end pixels get the three quarters
// cover a line's turning point gives them; aliased, the pixel centres stay
// inside. Wider lines cover their end pixels whole.
constexpr double kThinSpanInset = 0.25;

class TPainterRun {
public:
    TPainterRun(TChart& chart, QPainter& painter, const TChartLayout& layout,
                const TChartRenderOptions& options)
        : chart_(chart), p_(painter), L_(layout), o_(options) {
        background_ = o_.palette.color(QPalette::Base);
        text_ = o_.palette.color(QPalette::Text);
        grid_ = Mix(background_, text_, 0.12);
        frame_ = Mix(background_, text_, 0.35);
        axis_ = Mix(background_, text_, 0.7);
        lineWidth_ = std::max(1.0, std::round(o_.devicePixelRatio));
    }

    void Draw() {
        p_.fillRect(QRectF(0, 0, L_.width, L_.height), background_);
        DrawGrid();
        p_.save();
        p_.setRenderHint(QPainter::Antialiasing, o_.antialiasing);
        for (int i = 0; i < chart_.SeriesCount(); ++i) DrawSeries(chart_.Series(i));
        p_.restore();
        DrawAxes();
        DrawLegend();
    }

private:
    double Dpr() const { return o_.devicePixelRatio; }
    // A coordinate on the centre of a device pixel (thin lines stay crisp).
    double Crisp(double v) const { return (std::floor(v * Dpr()) + 0.5) / Dpr(); }
    QPen Hairline(const QColor& c) const {
        QPen pen(c, 1 / Dpr());
        pen.setCapStyle(Qt::FlatCap);
        return pen;
    }

    void DrawGrid() {
        const TRectD& plot = L_.plot;
        p_.setPen(Hairline(grid_));
        for (const TTick& t : L_.bottom.ticks) {
            const double x = Crisp(t.pos);
            p_.drawLine(QPointF(x, plot.top), QPointF(x, plot.Bottom()));
        }
        for (const TAxisLayout& a : L_.vertical) {
            if (!a.drawn) continue;
            for (const TTick& t : a.ticks) {
                const double y = Crisp(t.pos);
                p_.drawLine(QPointF(plot.left, y), QPointF(plot.Right(), y));
            }
        }
        p_.setPen(Hairline(frame_));
        p_.setBrush(Qt::NoBrush);
        p_.drawRect(QRectF(Crisp(plot.left), Crisp(plot.top),
                           Crisp(plot.Right()) - Crisp(plot.left),
                           Crisp(plot.Bottom()) - Crisp(plot.top)));
    }

    void DrawSeries(const TChartSeries& s) {
        const TSeriesPoints& points = s.Points();
        const TAxisLayout* axis = L_.Vertical(s.VerticalAxis());
        if (!s.Active() || points.Empty() || !axis || !(L_.bottom.max > L_.bottom.min)) return;
        const double dpr = Dpr();
        const double leftDev = std::round(L_.plot.left * dpr);
        const double rightDev = std::round(L_.plot.Right() * dpr);
        const auto columns = static_cast<std::int64_t>(std::max(1.0, rightDev - leftDev));
        const TColumnMap map{L_.bottom.min,
                             static_cast<double>(columns) / (L_.bottom.max - L_.bottom.min)};
        const TPixelGrid grid{dpr, leftDev, std::fmod(lineWidth_, 2) == 1 ? 0.5 : 0.0, axis};

        // The series stays inside its axis' span of the plot.
        const double top = std::floor(std::max(axis->from, L_.plot.top) * dpr) / dpr;
        const double bottom = std::ceil(std::min(axis->to, L_.plot.Bottom()) * dpr) / dpr;
        p_.setClipRect(QRectF(leftDev / dpr, top, (rightDev - leftDev) / dpr, bottom - top));

        const std::size_t i0 = points.LowerBound(L_.bottom.min);
        const std::size_t i1 = points.UpperBound(L_.bottom.max);
        poly_.clear();
        // The neighbours just outside the time range carry the line to the
        // plot's edges; they are cut where they leave the drawable range.
        const double leftBound = leftDev - 2;
        const double rightBound = leftDev + static_cast<double>(columns) + 2;
        auto device = [&](std::size_t i) {
            return grid.Device(map.Position(points.X(i)), points.Y(i));
        };
        auto snappedDevice = [&](std::size_t i) {
            const QPointF p = grid.Snapped(map.Column(points.X(i)), points.Y(i));
            return QPointF(p.x() * dpr, p.y() * dpr);
        };
        const bool hasLeft = i0 > 0;
        const bool hasRight = i1 < points.Count();
        if (hasLeft) {
            const QPointF inner = i0 < i1    ? snappedDevice(i0)
                                  : hasRight ? device(i1)
                                             : device(i0 - 1);
            const QPointF edge = ClipTo(device(i0 - 1), inner, leftBound, true);
            AddVertex(poly_, edge / dpr);
        }
        // Each column's run from minimum to maximum is filled as a span
        // over the device pixels a line along it covers; the line then only
        // needs each column's first and last point. Lines wider
        // than three device pixels have round ends narrower than the span
        // and keep the run in the line.
        spans_.clear();
        const bool spans = o_.decimate && lineWidth_ <= 3;
        const double half = lineWidth_ / 2;
        const double inset = lineWidth_ == 1 ? kThinSpanInset : 0;
        if (spans) {
            ForEachColumn(points, map, i0, i1, [&](const TColumnSummary& c) {
                const double first = points.Y(c.first);
                const double last = points.Y(c.last);
                AddVertex(poly_, grid.Snapped(c.column, first));
                const double a = grid.Row(c.values.min);
                const double b = grid.Row(c.values.max);
                if (a != b) {
                    const double x = leftDev + static_cast<double>(c.column) + grid.offset - half;
                    const double y = std::min(a, b) + grid.offset - half + inset;
                    spans_.append(QRectF(x / dpr, y / dpr, lineWidth_ / dpr,
                                         (std::abs(a - b) + lineWidth_ - 2 * inset) / dpr));
                }
                AddVertex(poly_, grid.Snapped(c.column, last));
            });
        } else if (o_.decimate) {
            ForEachColumn(points, map, i0, i1, [&](const TColumnSummary& c) {
                const double first = points.Y(c.first);
                const double last = points.Y(c.last);
                AddVertex(poly_, grid.Snapped(c.column, first));
                if (first <= last) {
                    AddVertex(poly_, grid.Snapped(c.column, c.values.min));
                    AddVertex(poly_, grid.Snapped(c.column, c.values.max));
                } else {
                    AddVertex(poly_, grid.Snapped(c.column, c.values.max));
                    AddVertex(poly_, grid.Snapped(c.column, c.values.min));
                }
                AddVertex(poly_, grid.Snapped(c.column, last));
            });
        } else {
            for (std::size_t i = i0; i < i1; ++i)
                AddVertex(poly_, grid.Snapped(map.Column(points.X(i)), points.Y(i)));
        }
        if (hasRight) {
            const QPointF inner = i0 < i1   ? snappedDevice(i1 - 1)
                                  : hasLeft ? device(i0 - 1)
                                            : device(i1);
            const QPointF edge = ClipTo(device(i1), inner, rightBound, false);
            AddVertex(poly_, edge / dpr);
        }

        const QColor color = TChartRenderer::SeriesColor(s.Color(), o_);
        // A cosmetic pen of whole device pixels: one pixel wide it is drawn
        // segment by segment, wider with round joins, so neither depends on
        // how many points a column's run is drawn through.
        QPen pen(color, lineWidth_);
        pen.setCosmetic(true);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        if (!spans_.isEmpty()) {
            // Filled before the line: where the line's antialiased edges
            // fall on a span, the span's colour stays.
            p_.save();
            p_.setPen(Qt::NoPen);
            p_.setBrush(color);
            p_.drawRects(spans_);
            p_.restore();
        }
        p_.setPen(pen);
        p_.setBrush(Qt::NoBrush);
        if (poly_.size() == 1) {
            p_.drawPoint(poly_.front());
        } else if (!o_.antialiasing && lineWidth_ == 1) {
            // Thin aliased polylines leave out a pixel where the line turns
            // back; separate segments keep both ends, so every point's pixel
            // is drawn and a column's run reads the same from any points.
            segments_.resize(poly_.size() - 1);
            for (qsizetype i = 1; i < poly_.size(); ++i)
                segments_[i - 1] = QLineF(poly_[i - 1], poly_[i]);
            p_.drawLines(segments_);
        } else {
            p_.drawPolyline(poly_);
        }

        // Markers while they stand apart; denser points would merge them
        // into a band that hides the line.
        if (s.MarkerVisible() && s.MarkerStyle() != TMarkerStyle::None &&
            static_cast<std::int64_t>(i1 - i0) * 3 <=
                columns / static_cast<std::int64_t>(std::max(1.0, dpr))) {
            p_.setPen(QPen(color.darker(140), 1 / dpr));
            p_.setBrush(FilledMarker(s.MarkerStyle()) ? QBrush(color) : QBrush(Qt::NoBrush));
            if (!FilledMarker(s.MarkerStyle())) p_.setPen(QPen(color, lineWidth_ / dpr));
            for (std::size_t i = i0; i < i1; ++i)
                DrawMarker(p_, s.MarkerStyle(), grid.Snapped(map.Column(points.X(i)), points.Y(i)),
                           3.5);
        }
        p_.setClipping(false);
    }

    void DrawAxes() {
        const double lh = QFontMetricsF(o_.font, p_.device()).height();
        for (const TAxisLayout& a : L_.vertical) {
            if (!a.drawn) continue;
            const TChartAxis* axis = chart_.Axis(a.id);
            const double x = Crisp(a.line);
            p_.setPen(Hairline(AxisColor(axis->LineColor(), axis_, o_)));
            p_.drawLine(QPointF(x, a.from), QPointF(x, a.to));
            p_.setPen(Hairline(AxisColor(axis->TickColor(), axis_, o_)));
            for (const TTick& t : a.ticks) {
                const double y = Crisp(t.pos);
                p_.drawLine(QPointF(x - kTickLength, y), QPointF(x, y));
            }
            p_.setPen(AxisColor(axis->LabelColor(), text_, o_));
            const double right = a.line - kTickLength - kLabelGap;
            for (const TTick& t : a.ticks) {
                const QString text = LabelText(t.label, axis->MultiLineLabels());
                const double h = lh * static_cast<double>(text.count(QLatin1Char('\n')) + 1);
                p_.drawText(QRectF(right - 1000, t.pos - h / 2, 1000, h),
                            Qt::AlignRight | Qt::AlignVCenter, text);
            }
        }
        if (!L_.bottom.drawn) return;
        const TChartAxis& axis = chart_.BottomAxis();
        const double y = Crisp(L_.bottom.line);
        p_.setPen(Hairline(AxisColor(axis.LineColor(), axis_, o_)));
        p_.drawLine(QPointF(L_.plot.left, y), QPointF(L_.plot.Right(), y));
        p_.setPen(Hairline(AxisColor(axis.TickColor(), axis_, o_)));
        for (const TTick& t : L_.bottom.ticks) {
            const double x = Crisp(t.pos);
            p_.drawLine(QPointF(x, y), QPointF(x, y + kTickLength));
        }
        p_.setPen(AxisColor(axis.LabelColor(), text_, o_));
        const double top = L_.bottom.line + kTickLength + kLabelGap;
        const bool upright = axis.LabelAngle() == 90;
        for (const TTick& t : L_.bottom.ticks) {
            const QString text = LabelText(t.label, axis.MultiLineLabels());
            const double h = lh * static_cast<double>(text.count(QLatin1Char('\n')) + 1);
            if (upright) {
                p_.save();
                p_.translate(t.pos, top);
                p_.rotate(-90);
                p_.drawText(QRectF(-1000, -h / 2, 1000, h), Qt::AlignRight | Qt::AlignVCenter,
                            text);
                p_.restore();
            } else {
                p_.drawText(QRectF(t.pos - 500, top, 1000, h), Qt::AlignHCenter | Qt::AlignTop,
                            text);
            }
        }
    }

    void DrawLegend() {
        const QColor muted = Mix(background_, text_, 0.55);
        for (const TLegendItem& item : L_.legendItems) {
            const double lh = item.box.height;
            if (item.series < 0) {
                p_.setPen(muted);
                p_.drawText(QRectF(item.box.left, item.box.top, item.box.width, lh),
                            Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(item.title));
                continue;
            }
            const TChartSeries& s = chart_.Series(item.series);
            const QColor color = TChartRenderer::SeriesColor(s.Color(), o_);
            const double cy = Crisp(item.box.top + lh / 2);
            p_.save();
            p_.setRenderHint(QPainter::Antialiasing, o_.antialiasing);
            QPen pen(color, lineWidth_ / Dpr());
            pen.setCapStyle(Qt::FlatCap);
            p_.setPen(pen);
            p_.drawLine(QPointF(item.box.left, cy), QPointF(item.box.left + 2 * lh, cy));
            if (s.MarkerVisible() && s.MarkerStyle() != TMarkerStyle::None) {
                p_.setBrush(FilledMarker(s.MarkerStyle()) ? QBrush(color) : QBrush(Qt::NoBrush));
                if (FilledMarker(s.MarkerStyle())) p_.setPen(QPen(color.darker(140), 1 / Dpr()));
                DrawMarker(p_, s.MarkerStyle(), QPointF(item.box.left + lh, cy), 3.5);
            }
            p_.restore();
            p_.setPen(s.Active() ? text_ : muted);
            p_.drawText(
                QRectF(item.box.left + 2 * lh + 4, item.box.top, item.box.width - 2 * lh - 4, lh),
                Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(item.title));
        }
    }

    TChart& chart_;
    QPainter& p_;
    const TChartLayout& L_;
    const TChartRenderOptions& o_;
    QColor background_;
    QColor text_;
    QColor grid_;
    QColor frame_;
    QColor axis_;
    double lineWidth_;  // series lines, device pixels
    QPolygonF poly_;
    QList<QLineF> segments_;
    QList<QRectF> spans_;  // the columns' runs from minimum to maximum
};

}  // namespace

TQtFontMetrics::TQtFontMetrics(const QFont& font, QPaintDevice* device)
    : font_(font), device_(device), lineHeight_(QFontMetricsF(font, device).height()) {}

double TQtFontMetrics::TextWidth(std::string_view text) const {
    return QFontMetricsF(font_, device_)
        .horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

const TChartLayout& TChartRenderer::Render(TChart& chart, QPainter& painter, const QRectF& target,
                                           const TChartRenderOptions& options) {
    const TQtFontMetrics metrics(options.font, painter.device());
    const TChartLayout& layout = chart.Layout(target.width(), target.height(), metrics);
    painter.save();
    painter.translate(target.topLeft());
    painter.setClipRect(QRectF(0, 0, target.width(), target.height()));
    painter.setFont(options.font);
    TPainterRun(chart, painter, layout, options).Draw();
    painter.restore();
    return layout;
}

QImage TChartRenderer::RenderImage(TChart& chart, const QSize& size,
                                   const TChartRenderOptions& options) {
    const qreal dpr = options.devicePixelRatio;
    QImage image(QSize(qRound(size.width() * dpr), qRound(size.height() * dpr)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    QPainter painter(&image);
    Render(chart, painter, QRectF(0, 0, size.width(), size.height()), options);
    return image;
}

QColor TChartRenderer::SeriesColor(TChartColor color, const TChartRenderOptions& options) {
    QColor c = ToQColor(color);
    if (!options.adjustContrast) return c;
    const QColor background = options.palette.color(QPalette::Base);
    const QColor toward = Luminance(background) < 0.5 ? QColor(Qt::white) : QColor(Qt::black);
    const QColor original = c;
    for (int step = 1; step <= 14 && Contrast(c, background) < 3.5; ++step)
        c = Mix(original, toward, step * 0.06);
    return c;
}

}  // namespace qx
