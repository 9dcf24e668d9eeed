#include "chart/ChartView.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace qx {

TChartView::TChartView(QWidget* parent)
    : QWidget(parent), own_(std::make_unique<TChart>()), chart_(own_.get()) {
    Init();
}

TChartView::TChartView(TChart* chart, QWidget* parent) : QWidget(parent), chart_(chart) {
    Init();
}

TChartView::~TChartView() {
    chart_->SetChangeHandler({});
}

void TChartView::Init() {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setAccessibleName(QStringLiteral("Chart"));
    setMinimumSize(120, 90);
    frameTimer_.setSingleShot(true);
    frameTimer_.setInterval(16);
    connect(&frameTimer_, &QTimer::timeout, this, &TChartView::Frame);
    chart_->SetChangeHandler([this] { ScheduleFrame(); });
    ScheduleFrame();
}

TChartRenderOptions TChartView::RenderOptions() const {
    TChartRenderOptions options;
    options.palette = palette();
    options.font = font();
    options.devicePixelRatio = devicePixelRatioF();
    return options;
}

QImage TChartView::Picture(QSize size, qreal devicePixelRatio) const {
    TChartRenderOptions options = RenderOptions();
    if (devicePixelRatio > 0) options.devicePixelRatio = devicePixelRatio;
    return TChartRenderer::RenderImage(*chart_, size.isValid() ? size : this->size(), options);
}

void TChartView::ScheduleFrame() {
    if (!frameTimer_.isActive()) frameTimer_.start();
}

void TChartView::Frame() {
    update();
    if (isVisible()) setAccessibleDescription(Description());
}

void TChartView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    layout_ = TChartRenderer::Render(*chart_, painter, QRectF(rect()), RenderOptions());
    ++framesPainted_;
    if (cursorActive_) DrawCursor(painter);
}

void TChartView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) {
        chart_->Changed();
        ScheduleFrame();
    }
    QWidget::changeEvent(event);
}

void TChartView::showEvent(QShowEvent* event) {
    setAccessibleDescription(Description());
    QWidget::showEvent(event);
}

// --- cursor tool

void TChartView::SetCursorSeries(const TChartSeries* series) {
    cursorSeries_ = series && chart_->IndexOf(series) >= 0 ? series->Id() : 0;
    cursor_ = {};
    ScheduleFrame();
}

TChartSeries* TChartView::CursorSeries() {
    return cursorSeries_ ? chart_->SeriesById(cursorSeries_) : nullptr;
}

void TChartView::SetCursorSnap(bool snap) {
    cursorSnap_ = snap;
    if (cursorInside_) MoveCursorTo(cursorPosition_);
}

void TChartView::SetCursorActive(bool active) {
    cursorActive_ = active;
    if (!active) cursor_ = {};
    update();
}

void TChartView::MoveCursorTo(const QPointF& position) {
    cursorPosition_ = position;
    cursorInside_ = true;
    TCursorPoint point;
    const TRectD& plot = layout_.plot;
    if (cursorActive_ && plot.width > 0 && plot.Contains(position.x(), position.y())) {
        point.valid = true;
        point.x = layout_.bottom.FromPixel(position.x());
        TChartSeries* series = CursorSeries();
        if (series) point.series = chart_->IndexOf(series);
        if (series && cursorSnap_ && series->Count() > 0) {
            // The point nearest in time.
            const TSeriesPoints& points = series->Points();
            std::size_t i = points.LowerBound(point.x);
            if (i == points.Count() || (i > 0 && point.x - points.X(i - 1) < points.X(i) - point.x))
                i = i == 0 ? 0 : i - 1;
            point.snapped = true;
            point.index = i;
            point.x = points.X(i);
            point.y = points.Y(i);
        }
    }
    cursor_ = point;
    if (cursorActive_) {
        update();
        emit cursorMoved(cursor_);
    }
}

void TChartView::mouseMoveEvent(QMouseEvent* event) {
    MoveCursorTo(event->position());
    QWidget::mouseMoveEvent(event);
}

void TChartView::leaveEvent(QEvent* event) {
    cursorInside_ = false;
    if (cursor_.valid) {
        cursor_ = {};
        update();
        emit cursorMoved(cursor_);
    }
    QWidget::leaveEvent(event);
}

void TChartView::DrawCursor(QPainter& painter) {
    if (!cursor_.valid || !(layout_.bottom.max > layout_.bottom.min)) return;
    const TRectD& plot = layout_.plot;
    const qreal dpr = devicePixelRatioF();
    const double x = (std::floor(layout_.bottom.ToPixel(cursor_.x) * dpr) + 0.5) / dpr;
    if (x < plot.left || x > plot.Right()) return;
    const TChartSeries* series = CursorSeries();
    const TChartRenderOptions options = RenderOptions();
    const QColor color = series ? TChartRenderer::SeriesColor(series->Color(), options)
                                : palette().color(QPalette::Text);
    QPen pen(color, 1 / dpr, Qt::DashLine);
    painter.setPen(pen);
    painter.drawLine(QPointF(x, plot.top), QPointF(x, plot.Bottom()));
    if (!cursor_.snapped) return;
    const TAxisLayout* axis = layout_.Vertical(series->VerticalAxis());
    const TChartAxis* valueAxis = chart_->Axis(series->VerticalAxis());
    if (!axis || !valueAxis) return;
    const double y = axis->ToPixel(cursor_.y);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(x, y), 4.5, 4.5);
    // The snapped point's time and value beside the line.
    const QString text = QString::fromStdString(chart_->BottomAxis().LabelText(cursor_.x) + "  " +
                                                valueAxis->LabelText(cursor_.y));
    const QFontMetricsF fm(font(), this);
    QRectF box(0, 0, fm.horizontalAdvance(text) + 8, fm.height() + 4);
    box.moveTopLeft(QPointF(x + 6, plot.top + 4));
    if (box.right() > plot.Right()) box.moveRight(x - 6);
    painter.setPen(Qt::NoPen);
    QColor back = palette().color(QPalette::Base);
    back.setAlpha(230);
    painter.setBrush(back);
    painter.drawRoundedRect(box, 3, 3);
    painter.setPen(color);
    painter.drawText(box, Qt::AlignCenter, text);
}

// --- accessibility

QString TChartView::Description() {
    TChart& c = *chart_;
    c.UpdateRanges();
    QStringList parts;
    parts << QStringLiteral("%1 series").arg(c.SeriesCount());
    for (int i = 0; i < c.SeriesCount(); ++i) {
        const TChartSeries& s = c.Series(i);
        QString entry = QString::fromStdString(s.Title());
        const TChartAxis* axis = c.Axis(s.VerticalAxis());
        if (s.Count() == 0) {
            entry += QStringLiteral(": no points");
        } else {
            const std::size_t last = s.Count() - 1;
            entry += QStringLiteral(": %1 at %2")
                         .arg(QString::fromStdString(axis ? axis->LabelText(s.Y(last))
                                                          : std::to_string(s.Y(last))),
                              QString::fromStdString(c.BottomAxis().LabelText(s.X(last))));
        }
        if (!s.Active()) entry += QStringLiteral(" (hidden)");
        parts << entry;
    }
    const TChartAxis& bottom = c.BottomAxis();
    parts << QStringLiteral("time axis from %1 to %2")
                 .arg(QString::fromStdString(bottom.LabelText(bottom.Minimum())),
                      QString::fromStdString(bottom.LabelText(bottom.Maximum())));
    auto axisText = [](const TChartAxis& a, const QString& name) {
        return QStringLiteral("%1 from %2 to %3")
            .arg(name, QString::fromStdString(a.LabelText(a.Minimum())),
                 QString::fromStdString(a.LabelText(a.Maximum())));
    };
    if (c.LeftAxis().Visible()) parts << axisText(c.LeftAxis(), QStringLiteral("left axis"));
    for (int i = 0; i < c.CustomAxisCount(); ++i) {
        const TChartAxis& a = *c.Axis(c.CustomAxisId(i));
        if (a.Visible()) parts << axisText(a, QStringLiteral("axis %1").arg(i + 1));
    }
    return parts.join(QStringLiteral("; ")) + QLatin1Char('.');
}

}  // namespace qx
