// The chart widget: shows a chart model, repaints at most once a frame
// however often the model changes, tells assistive technology what it
// shows, and carries the cursor tool (a vertical line that follows the
// mouse and may snap to the points of one series).
#pragma once

#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>

#include "chart/Chart.h"
#include "chart/ChartRenderer.h"

namespace qx {

class TChartView : public QWidget {
    Q_OBJECT

public:
    // A view with a chart of its own.
    explicit TChartView(QWidget* parent = nullptr);
    // A view of a chart that outlives it.
    explicit TChartView(TChart* chart, QWidget* parent = nullptr);
    ~TChartView() override;

    TChart& Chart() { return *chart_; }

    // The options a paint uses: the widget's palette, font and pixel ratio.
    TChartRenderOptions RenderOptions() const;
    // A picture of the chart at the view's size (or the given one).
    QImage Picture(QSize size = {}, qreal devicePixelRatio = 0) const;

    // Milliseconds between frames (16 at first).
    void SetFrameInterval(int milliseconds) { frameTimer_.setInterval(milliseconds); }
    int FramesPainted() const { return framesPainted_; }

    // --- cursor tool
    struct TCursorPoint {
        bool valid = false;
        bool snapped = false;
        double x = 0;     // time under the cursor, or of the snapped point
        double y = 0;     // value of the snapped point
        int series = -1;  // index of the cursor's series
        std::size_t index = 0;
    };
    // Attaches the cursor to a series of the chart (null: none).
    void SetCursorSeries(const TChartSeries* series);
    TChartSeries* CursorSeries();
    void SetCursorSnap(bool snap);
    bool CursorSnap() const { return cursorSnap_; }
    void SetCursorActive(bool active);
    bool CursorActive() const { return cursorActive_; }
    const TCursorPoint& CursorPoint() const { return cursor_; }
    // Moves the cursor to a widget position, as the mouse does.
    void MoveCursorTo(const QPointF& position);

    // What the accessible description says: the series with their latest
    // values, then the axes.
    QString Description();

signals:
    void cursorMoved(const qx::TChartView::TCursorPoint& point);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Init();
    void ScheduleFrame();
    void Frame();
    void DrawCursor(QPainter& painter);

    std::unique_ptr<TChart> own_;
    TChart* chart_;
    QTimer frameTimer_;
    int framesPainted_ = 0;
    TChartLayout layout_;  // as last painted
    bool cursorActive_ = false;
    bool cursorSnap_ = false;
    std::uint64_t cursorSeries_ = 0;
    TCursorPoint cursor_;
    QPointF cursorPosition_;
    bool cursorInside_ = false;
};

}  // namespace qx
