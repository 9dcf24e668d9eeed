#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "chart/Chart.h"

namespace qx {
namespace {

constexpr double kSecond = 1.0 / 86400;

struct RangeCase {
    double a, b;
    double increment;
    double min, max;
};

TEST(ChartAxis, SetMinMaxOrdersAndWidens) {
    const RangeCase cases[] = {
        {0, 100, 0, 0, 100},
        {100, 0, 0, 0, 100},                      // reversed: swapped
        {5, 5, 0, 4, 6},                          // empty: widened by 1
        {5, 5, 0.01, 4.99, 5.01},                 // by the increment
        {1e15, 1e15, 0, 1e15 - 1e3, 1e15 + 1e3},  // at least the value's precision
    };
    for (const auto& c : cases) {
        TChart chart;
        TChartAxis& axis = chart.LeftAxis();
        axis.SetIncrement(c.increment);
        axis.SetMinMax(c.a, c.b);
        EXPECT_DOUBLE_EQ(axis.Minimum(), c.min) << c.a << "," << c.b;
        EXPECT_DOUBLE_EQ(axis.Maximum(), c.max) << c.a << "," << c.b;
    }
    TChart chart;
    chart.BottomAxis().SetMinMax(40000, 40000);  // a date-time axis widens by a second
    EXPECT_NEAR(chart.BottomAxis().Maximum() - chart.BottomAxis().Minimum(), 2 * kSecond, 1e-9);
    chart.LeftAxis().SetMinMax(1, 2);
    chart.LeftAxis().SetMinMax(std::numeric_limits<double>::quiet_NaN(), 3);
    EXPECT_EQ(chart.LeftAxis().Minimum(), 1);
    EXPECT_EQ(chart.LeftAxis().Maximum(), 2);
}

// The automatic extent covers the values of the active series drawn against
// the axis inside the time axis' range, and follows trimming and late
// points.
TEST(ChartAxis, ExtentFollowsDataWindowAndEdits) {
    TChart chart;
    TChartSeries& a = chart.AddSeries("A");
    TChartSeries& b = chart.AddSeries("B");
    const TAxisId custom = chart.AddCustomAxis();
    b.SetVerticalAxis(custom);
    for (int i = 0; i < 1000; ++i) {
        a.AddXY(i, i % 100);  // 0..99
        b.AddXY(i, 1000 + i);
    }
    a.AddXY(500.5, 250);  // late point
    EXPECT_EQ(chart.Extent(kLeftAxis).max, 250);
    EXPECT_EQ(chart.Extent(custom).min, 1000);

    chart.BottomAxis().SetAutomatic(false);
    chart.BottomAxis().SetMinMax(600, 700);
    EXPECT_EQ(chart.Extent(kLeftAxis).min, 0);
    EXPECT_EQ(chart.Extent(kLeftAxis).max, 99);
    EXPECT_EQ(chart.Extent(custom).min, 1600);
    EXPECT_EQ(chart.Extent(custom).max, 1700);

    chart.BottomAxis().SetAutomatic(true);
    a.TrimBefore(600);  // the late point is gone
    EXPECT_EQ(chart.Extent(kLeftAxis).max, 99);
    b.SetActive(false);
    EXPECT_FALSE(chart.Extent(custom).valid);
    EXPECT_EQ(chart.Extent(kBottomAxis).min, 600);

    // Automatic axes take the extent; without data they keep their range.
    chart.UpdateRanges();
    EXPECT_EQ(chart.LeftAxis().Minimum(), 0);
    EXPECT_EQ(chart.LeftAxis().Maximum(), 99);
    chart.Axis(custom)->SetMinMax(-5, 5);
    chart.UpdateRanges();
    EXPECT_EQ(chart.Axis(custom)->Minimum(), -5);
}

TEST(Chart, RemovedAxisLeavesSeriesOnTheLeftAxis) {
    TChart chart;
    TChartSeries& s = chart.AddSeries();
    const TAxisId a = chart.AddCustomAxis();
    const TAxisId b = chart.AddCustomAxis();
    s.SetVerticalAxis(b);
    EXPECT_TRUE(chart.RemoveCustomAxis(b));
    EXPECT_FALSE(chart.RemoveCustomAxis(b));
    EXPECT_EQ(s.VerticalAxis(), kLeftAxis);
    EXPECT_EQ(chart.Axis(b), nullptr);
    EXPECT_EQ(chart.AddCustomAxis(), b + 1);  // ids are never reused
    s.SetVerticalAxis(12345);                 // no such axis
    EXPECT_EQ(s.VerticalAxis(), kLeftAxis);
    s.SetVerticalAxis(a);
    EXPECT_EQ(s.VerticalAxis(), a);
}

TEST(Chart, SeriesTakePaletteColoursInOrderAndReuseFreedOnes) {
    EXPECT_EQ(SeriesPalette[0], TChartColor::Rgb(255, 0, 0));
    EXPECT_EQ(SeriesPalette[2], TChartColor::Rgb(0, 128, 0));
    EXPECT_EQ(SeriesPalette[12], TChartColor::Rgb(0, 0, 0));
    EXPECT_EQ(SeriesPalette[24], TChartColor::Rgb(255, 0, 255));
    EXPECT_EQ(SeriesPalette[32], TChartColor::Rgb(0, 0, 160));
    EXPECT_EQ(SeriesPalette[36], TChartColor::Rgb(192, 220, 192));
    TChart chart;
    for (int i = 0; i < 40; ++i) chart.AddSeries();
    for (int i = 0; i < 37; ++i) EXPECT_EQ(chart.Series(i).Color(), SeriesPalette[i]) << i;
    EXPECT_EQ(chart.Series(37).Color(), SeriesPalette[0]);
    chart.RemoveSeries(3);
    EXPECT_EQ(chart.AddSeries().Color(), SeriesPalette[3]);
}

TEST(Chart, ChangesCallTheHandlerOncePerLayout) {
    TChart chart;
    int calls = 0;
    chart.SetChangeHandler([&] { ++calls; });
    struct : IChartFontMetrics {
        double TextWidth(std::string_view t) const override {
            return 7.0 * static_cast<double>(t.size());
        }
        double LineHeight() const override { return 13; }
    } metrics;
    chart.Layout(400, 300, metrics);
    EXPECT_FALSE(chart.Dirty());
    TChartSeries& s = chart.AddSeries("S");
    for (int i = 0; i < 100; ++i) s.AddXY(i, i);
    chart.LeftAxis().SetMinMax(0, 10);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(chart.Dirty());
    chart.Layout(400, 300, metrics);
    s.AddXY(100, 1);
    EXPECT_EQ(calls, 2);
    s.AddXY(std::numeric_limits<double>::quiet_NaN(), 1);  // refused: no change
    chart.Layout(400, 300, metrics);
    s.AddXY(std::numeric_limits<double>::quiet_NaN(), 1);
    EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace qx
