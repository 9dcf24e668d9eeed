#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "chart/Chart.h"

namespace qx {
namespace {

// A fixed-pitch font: 7 units a character, lines 13 units high.
struct TFixedMetrics : IChartFontMetrics {
    double TextWidth(std::string_view text) const override {
        return 7.0 * static_cast<double>(text.size());
    }
    double LineHeight() const override { return 13; }
};

constexpr double kSecond = 1.0 / 86400;

// Labels along one axis never overlap and never leave [lo, hi].
void ExpectSeparated(const std::vector<TTick>& ticks, bool horizontal, double lo, double hi,
                     const IChartFontMetrics& m) {
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        const double half = (horizontal ? m.TextWidth(ticks[i].label) : m.LineHeight()) / 2;
        EXPECT_GE(ticks[i].pos - half, lo - 1e-6) << ticks[i].label;
        EXPECT_LE(ticks[i].pos + half, hi + 1e-6) << ticks[i].label;
        if (i == 0) continue;
        const double prevHalf = (horizontal ? m.TextWidth(ticks[i - 1].label) : m.LineHeight()) / 2;
        EXPECT_GE(std::fabs(ticks[i].pos - ticks[i - 1].pos), half + prevHalf)
            << ticks[i - 1].label << " / " << ticks[i].label;
        EXPECT_NE(ticks[i].label, ticks[i - 1].label);
    }
}

TEST(ChartTicks, NiceSteps) {
    EXPECT_DOUBLE_EQ(NiceStep(0.013), 0.02);
    EXPECT_DOUBLE_EQ(NiceStep(3), 5);
    EXPECT_DOUBLE_EQ(NiceStep(5), 5);
    EXPECT_DOUBLE_EQ(NiceStep(7), 10);
    EXPECT_DOUBLE_EQ(NiceTimeStep(11 * kSecond), 15 * kSecond);
    EXPECT_DOUBLE_EQ(NiceTimeStep(40 * kSecond), 60 * kSecond);
    EXPECT_DOUBLE_EQ(NiceTimeStep(4000 * kSecond), 7200 * kSecond);
    EXPECT_DOUBLE_EQ(NiceTimeStep(4 * 3600 * kSecond), 6 * 3600 * kSecond);
    EXPECT_DOUBLE_EQ(NiceTimeStep(0.6), 1);
    EXPECT_DOUBLE_EQ(NiceTimeStep(2.5), 5);
}

// Across sizes and ranges, value and time labels keep their distance, fall
// on whole steps and stay inside their axes.
TEST(ChartTicks, LabelsNeverOverlap) {
    const TFixedMetrics m;
    struct Case {
        double min, max;
        bool dateTime;
        const char* format;
    } cases[] = {
        {0, 100, false, "###0.00"},
        {-0.003, 0.004, false, "###0.00"},
        {1e6, 1e6 + 3, false, ""},
        {-1e9, 1e9, false, "###0.00"},
        {40000, 40000 + 1.0 / 24, true, "hh:nn:ss"},
        {40000, 40002.5, true, "mm/dd/yyyy hh:nn:ss"},
        {40000, 40000 + 7 * kSecond, true, "hh:nn:ss"},
    };
    for (const auto& c : cases) {
        for (const double length : {40.0, 150.0, 600.0, 1900.0}) {
            for (const bool horizontal : {false, true}) {
                TChart chart;
                TChartAxis& axis = horizontal ? chart.BottomAxis() : chart.LeftAxis();
                axis.SetDateTime(c.dateTime);
                axis.SetDateTimeFormat(c.format);
                axis.SetValueFormat(c.dateTime ? "" : c.format);
                if (!c.dateTime) axis.SetIncrement(0.01);
                const auto ticks = ChooseTicks(
                    c.min, c.max, 0, length, horizontal, c.dateTime, axis.Increment(),
                    [&](double v, double) { return axis.LabelText(v); },
                    [&](const std::string& s) {
                        return horizontal ? m.TextWidth(s) : m.LineHeight();
                    },
                    horizontal ? 8 : 2);
                ExpectSeparated(ticks, horizontal, -1e9, 1e9, m);
                for (const TTick& t : ticks) {
                    EXPECT_GE(t.value, c.min);
                    EXPECT_LE(t.value, c.max);
                }
                if (c.dateTime && ticks.size() > 1) {
                    const double seconds = (ticks[1].value - ticks[0].value) * 86400;
                    EXPECT_NEAR(seconds, std::round(seconds), 1e-6);
                }
            }
        }
    }
}

// Three series on stacked axes: each axis takes its third of the plot, its
// labels stay inside its third; the legend sits above the plot.
TEST(ChartLayout, StackedAxesShareThePlotHeight) {
    TChart chart;
    chart.SetMarginLeft(6);
    chart.LeftAxis().SetVisible(true);
    chart.BottomAxis().SetAutomatic(false);
    chart.BottomAxis().SetMinMax(40000, 40000 + 1.0 / 24);
    chart.BottomAxis().SetLabelAngle(90);
    const int n = 3;
    for (int k = 0; k < n; ++k) {
        TChartSeries& s = chart.AddSeries("ST" + std::to_string(k) + ".AIR");
        const TAxisId id = chart.AddCustomAxis();
        TChartAxis& a = *chart.Axis(id);
        a.SetStartPosition(k * 100.0 / n);
        a.SetEndPosition((k + 1) * 100.0 / n);
        a.SetValueFormat("###0.00");
        a.SetIncrement(0.01);
        s.SetVerticalAxis(id);
        for (int i = 0; i < 100; ++i) s.AddXY(40000 + i * 30 * kSecond, k * 10 + i % 7);
    }
    const TFixedMetrics m;
    const TChartLayout& L = chart.Layout(800, 600, m);
    ASSERT_EQ(L.vertical.size(), 3u);  // the left axis has no series: not drawn
    const double h = L.plot.height;
    for (int k = 0; k < n; ++k) {
        const TAxisLayout& a = L.vertical[static_cast<std::size_t>(k)];
        EXPECT_NEAR(a.from, L.plot.top + h * k / n, 1e-9);
        EXPECT_NEAR(a.to, L.plot.top + h * (k + 1) / n, 1e-9);
        EXPECT_GE(a.ticks.size(), 2u);
        const double lo = k == 0 ? a.from - 6.5 : a.from;
        const double hi = k == n - 1 ? a.to + 6.5 : a.to;
        ExpectSeparated(a.ticks, false, lo, hi, m);
        for (const TTick& t : a.ticks) EXPECT_LE(m.TextWidth(t.label) + kTickLength, L.plot.left);
    }
    EXPECT_LE(L.legend.Bottom(), L.plot.top);
    ASSERT_EQ(L.legendItems.size(), 3u);
    EXPECT_EQ(L.legendItems[2].title, "ST2.AIR");
    // Upright time labels fit below the plot; the left margin is 6 % of 800.
    EXPECT_GE(L.height - L.plot.Bottom(), m.TextWidth("10:00:00"));
    EXPECT_GE(L.plot.left, 48 + m.TextWidth("00.00"));
    ExpectSeparated(L.bottom.ticks, false, 0, 800, m);  // upright: one line height each
}

TEST(ChartLayout, LegendOverflowCountsHiddenSeries) {
    TChart chart;
    for (int i = 0; i < 200; ++i) chart.AddSeries("STATION" + std::to_string(i) + ".SENSOR");
    const TFixedMetrics m;
    const TChartLayout& L = chart.Layout(640, 400, m);
    EXPECT_LE(L.legend.height, 400 / 4.0);
    ASSERT_FALSE(L.legendItems.empty());
    const TLegendItem& last = L.legendItems.back();
    EXPECT_EQ(last.series, -1);
    EXPECT_EQ(last.title, "+" + std::to_string(200 - (L.legendItems.size() - 1)) + " more");
    for (const TLegendItem& item : L.legendItems)
        EXPECT_LE(item.box.Right(), 640 - kPadding + 1e-9);
    EXPECT_GT(L.plot.height, 200);
}

}  // namespace
}  // namespace qx
