#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include "chart/ChartView.h"

namespace qx {
namespace {

// Thousands of points a second, one repaint a frame at most, and the last
// frame shows the last point.
TEST(ChartView, CoalescesRepaintsToFrames) {
    TChartView view;
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QTest::qWait(50);
    TChartSeries& s = view.Chart().AddSeries("ST1.AIR");
    const int before = view.FramesPainted();
    QElapsedTimer clock;
    clock.start();
    int n = 0;
    while (clock.elapsed() < 200) {
        s.AddXY(n, n % 17);
        ++n;
        if (n % 50 == 0) QCoreApplication::processEvents();
    }
    QTest::qWait(60);
    const int frames = view.FramesPainted() - before;
    EXPECT_GE(frames, 2);
    EXPECT_LE(frames, 200 / 16 + 4);
    EXPECT_GT(n, 1000);
    EXPECT_FALSE(view.Chart().Dirty());  // the last change was painted
}

TEST(ChartView, DescribesSeriesAndAxes) {
    TChartView view;
    TChart& chart = view.Chart();
    chart.BottomAxis().SetDateTimeFormat("hh:nn:ss");
    chart.LeftAxis().SetValueFormat("###0.00");
    TChartSeries& a = chart.AddSeries("ST1.AIR");
    chart.AddSeries("ST2.WATER");
    a.AddXY(40000.5, 1.5);
    a.AddXY(40000.5 + 60.0 / 86400, 21.456);
    const QString text = view.Description();
    EXPECT_TRUE(text.startsWith(
        QStringLiteral("2 series; ST1.AIR: 21.46 at 12:01:00; ST2.WATER: no points; ")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("time axis from 12:00:00 to 12:01:00")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("left axis from 1.50 to 21.46")))
        << text.toStdString();
    EXPECT_EQ(view.accessibleName(), QStringLiteral("Chart"));
}

// The cursor follows the mouse and, attached to a series with snapping on,
// sits on the point nearest in time; a removed series detaches it.
TEST(ChartView, CursorSnapsToTheNearestPoint) {
    TChartView view;
    view.resize(600, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    TChart& chart = view.Chart();
    chart.SetLegendVisible(false);
    chart.BottomAxis().SetDateTime(false);
    chart.BottomAxis().SetAutomatic(false);
    chart.BottomAxis().SetMinMax(0, 100);
    TChartSeries& s = chart.AddSeries("S");
    for (int i = 0; i <= 10; ++i) s.AddXY(i * 10, i * i);
    view.repaint();
    view.SetCursorActive(true);
    view.SetCursorSeries(&s);
    view.SetCursorSnap(true);
    const TChartLayout& layout =
        chart.Layout(view.width(), view.height(), TQtFontMetrics(view.font(), &view));
    const double x = layout.bottom.ToPixel(33);  // nearest point: 30
    view.MoveCursorTo(QPointF(x, layout.plot.top + 10));
    EXPECT_TRUE(view.CursorPoint().snapped);
    EXPECT_EQ(view.CursorPoint().x, 30);
    EXPECT_EQ(view.CursorPoint().y, 9);
    view.MoveCursorTo(QPointF(layout.bottom.ToPixel(36), layout.plot.top + 10));
    EXPECT_EQ(view.CursorPoint().x, 40);
    view.SetCursorSnap(false);
    EXPECT_FALSE(view.CursorPoint().snapped);
    EXPECT_NEAR(view.CursorPoint().x, 36, 0.5);
    chart.RemoveSeries(0);
    EXPECT_EQ(view.CursorSeries(), nullptr);
    view.MoveCursorTo(QPointF(x, layout.plot.top + 10));
    EXPECT_FALSE(view.CursorPoint().snapped);
}

}  // namespace
}  // namespace qx
