#include <gtest/gtest.h>

#include <climits>

#include "pages/ChartPageCore.h"
#include "pages/WatchTab.h"
#include "textscan/Regional.h"
#include "workspace/MemIniFile.h"

namespace qx {
namespace {

constexpr double kMinute = 1.0 / 1440;
constexpr double kT0 = 46000.5;  // 2025-12-09 12:00:00

// A chart page without a widget, on a clock the test moves.
struct ChartPage : TWatchTab {
    TChart chart;
    double now = kT0;
    TChartPageCore core{chart, [this] { return now; }};

    void AddSensor(const std::string& Station, const std::string& Sensor) override {
        core.AddSensor(Station, Sensor);
    }
    bool Show(const std::string& sensor, double time, const std::string& value = "1") {
        return core.ShowReading(SensorReading{"ST1", sensor, "$REALTIME", time, value});
    }
    TChartAxis& AxisOf(int k) { return *chart.Axis(chart.CustomAxisId(k)); }
};

TEST(ChartPageCore, AddSensorMakesATrimmedSeriesWithItsOwnAxis) {
    ChartPage p;
    const TChartSettings& s = p.core.Settings();
    EXPECT_FALSE(s.ShowAxes);
    EXPECT_TRUE(s.RealTime);
    EXPECT_DOUBLE_EQ(s.RefreshInterval, 1.0 / 86400);
    EXPECT_DOUBLE_EQ(s.Interval, 1.0 / 24);
    EXPECT_DOUBLE_EQ(s.MaxTime, 5.0 / 24);
    EXPECT_TRUE(s.ShowPointer && s.AutoRange && !s.BestView && !s.IndiRange);
    EXPECT_EQ(s.YAxisMin, 0);
    EXPECT_EQ(s.YAxisMax, 100);

    for (int i = 0; i < 11; ++i) p.core.AddSensor(" ST1\t", "S" + std::to_string(i) + "\r\n");
    ASSERT_EQ(p.chart.SeriesCount(), 11);
    ASSERT_EQ(p.chart.CustomAxisCount(), 11);
    EXPECT_EQ(p.chart.Series(0).Title(), "ST1.S0");
    EXPECT_TRUE(p.core.HasSensor("st1", " s10 "));
    EXPECT_FALSE(p.core.HasSensor("ST1", "S11"));
    // The marker cycle of ten styles starts again at the eleventh series.
    EXPECT_EQ(p.chart.Series(9).MarkerStyle(), TMarkerStyle::RightTriangle);
    EXPECT_EQ(p.chart.Series(10).MarkerStyle(), TMarkerStyle::Rectangle);
    EXPECT_EQ(p.core.PointerStyleIndex(), 1);
    const TChartAxis& axis = p.AxisOf(3);
    EXPECT_EQ(axis.LineColor(), p.chart.Series(3).Color());
    EXPECT_EQ(axis.LabelColor(), p.chart.Series(3).Color());
    EXPECT_EQ(axis.ValueFormat(), "###0.00");
    EXPECT_FALSE(axis.Visible());
    EXPECT_EQ(p.chart.Series(3).VerticalAxis(), kLeftAxis);

    const TChartAxis& bottom = p.chart.BottomAxis();
    EXPECT_FALSE(bottom.Automatic());
    EXPECT_DOUBLE_EQ(bottom.Minimum(), kT0 - 1.0 / 24);
    EXPECT_DOUBLE_EQ(bottom.Maximum(), kT0);
    EXPECT_EQ(bottom.DateTimeFormat(), "hh:nn:ss");
    EXPECT_EQ(bottom.LabelAngle(), 90);
    EXPECT_FALSE(bottom.MultiLineLabels());
}

TEST(ChartPageCore, RealTimeTakesReadingsInsideTheWindowOnly) {
    ChartPage p;
    p.core.AddSensor("ST1", "AIR");
    p.core.AddSensor("ST1", "HUM");
    EXPECT_FALSE(p.core.LayoutPending());
    EXPECT_FALSE(p.Show("AIR", kT0 - 60 * kMinute));  // exactly one hour old
    EXPECT_TRUE(p.Show("air", kT0 - 59 * kMinute, " 21.5 "));
    EXPECT_FALSE(p.Show("WIND", kT0));
    EXPECT_EQ(p.chart.Series(0).Count(), 1u);
    EXPECT_EQ(p.chart.Series(0).Y(0), 21.5);
    EXPECT_EQ(p.chart.Series(1).Count(), 0u);
    // Layout and ranges wait for the next frame.
    EXPECT_TRUE(p.core.LayoutPending());
    EXPECT_TRUE(p.core.Settle());
    EXPECT_FALSE(p.core.Settle());

    // Points are kept in time order whatever order they come in.
    p.Show("AIR", kT0 - 30 * kMinute, "3");
    p.Show("AIR", kT0 - 40 * kMinute, "2");
    const TChartSeries& air = p.chart.Series(0);
    ASSERT_EQ(air.Count(), 3u);
    EXPECT_EQ(air.Y(1), 2);
    EXPECT_EQ(air.Y(2), 3);
}

TEST(ChartPageCore, AValueThatIsNotAFiniteNumberBecomesZero) {
    ChartPage p;
    p.core.AddSensor("ST1", "AIR");
    const char* values[] = {"abc", "", "1e999", "nan", "inf", "-1e400", "12x"};
    double t = kT0 - 10 * kMinute;
    for (const char* v : values) p.Show("AIR", t += kMinute / 2, v);
    const TChartSeries& air = p.chart.Series(0);
    ASSERT_EQ(air.Count(), std::size(values));
    for (std::size_t i = 0; i < air.Count(); ++i) EXPECT_EQ(air.Y(i), 0) << values[i];

    ScopedRegional comma(TRegionalSettings{'/', ':', ',', "MM/dd/yyyy", "HH:mm:ss"});
    p.Show("AIR", kT0, "12,5");
    EXPECT_EQ(air.Y(air.Count() - 1), 12.5);
}

TEST(ChartPageCore, HistoricalFollowsTheNewestPoint) {
    ChartPage p;
    p.core.Settings().RealTime = false;
    p.core.AddSensor("ST1", "AIR");
    const TChartAxis& bottom = p.chart.BottomAxis();
    const double old = kT0 - 30;  // a month ago: historical takes any age

    // The first reading on an empty chart opens the window at its time.
    EXPECT_TRUE(p.Show("AIR", old));
    EXPECT_DOUBLE_EQ(bottom.Minimum(), old);
    EXPECT_DOUBLE_EQ(bottom.Maximum(), old + 1.0 / 24);
    // Newer points still inside the window keep it.
    EXPECT_TRUE(p.Show("AIR", old + 30 * kMinute));
    EXPECT_DOUBLE_EQ(bottom.Minimum(), old);
    // A point past it moves the window's end to the newest point.
    EXPECT_TRUE(p.Show("AIR", old + 2.0 / 24));
    EXPECT_DOUBLE_EQ(bottom.Minimum(), old + 1.0 / 24);
    EXPECT_DOUBLE_EQ(bottom.Maximum(), old + 2.0 / 24);
    // A sensor without a series leaves the axis as it is.
    EXPECT_FALSE(p.Show("WIND", old + 3));
    EXPECT_DOUBLE_EQ(bottom.Maximum(), old + 2.0 / 24);
    // Older than newest - MaxTime: not added.
    EXPECT_FALSE(p.Show("AIR", old + 2.0 / 24 - 5.0 / 24));
    EXPECT_EQ(p.chart.Series(0).Count(), 3u);
    EXPECT_FALSE(p.core.LayoutPending());

    // Points fall out behind the newest time before the reading.
    EXPECT_TRUE(p.Show("AIR", old + 6.0 / 24));
    EXPECT_EQ(p.chart.Series(0).Count(), 4u);
    EXPECT_TRUE(p.Show("AIR", old + 6.0 / 24 + kMinute));
    EXPECT_EQ(p.chart.Series(0).Count(), 3u);  // "old" went, 2 h before newest - 5 h
    EXPECT_DOUBLE_EQ(p.chart.Series(0).FirstX(), old + 2.0 / 24);
}

TEST(ChartPageCore, HistoricalEmptyChartTakesTheTimeOfAnyReading) {
    ChartPage p;
    p.core.Settings().RealTime = false;
    p.core.AddSensor("ST1", "AIR");
    EXPECT_FALSE(p.Show("WIND", kT0 - 2));
    EXPECT_DOUBLE_EQ(p.chart.BottomAxis().Minimum(), kT0 - 2);
    EXPECT_DOUBLE_EQ(p.chart.BottomAxis().Maximum(), kT0 - 2 + 1.0 / 24);
}

TEST(ChartPageCore, RefreshTickScrollsAndDropsUnlessPaused) {
    ChartPage p;
    p.core.AddSensor("ST1", "AIR");
    const TChartAxis& bottom = p.chart.BottomAxis();
    p.Show("AIR", kT0 - 50 * kMinute);
    p.now = kT0 + 10 * kMinute;
    // Paused: the axis stands still while points are still taken.
    p.core.RefreshTick(true);
    EXPECT_DOUBLE_EQ(bottom.Maximum(), kT0);
    EXPECT_TRUE(p.Show("AIR", kT0 + 5 * kMinute));
    EXPECT_EQ(p.chart.Series(0).Count(), 2u);
    EXPECT_DOUBLE_EQ(bottom.Maximum(), kT0);

    p.core.RefreshTick(false);
    EXPECT_DOUBLE_EQ(bottom.Minimum(), p.now - 1.0 / 24);
    EXPECT_DOUBLE_EQ(bottom.Maximum(), p.now);
    // A point from the future leads the window.
    p.Show("AIR", p.now + kMinute);
    p.core.RefreshTick(false);
    EXPECT_DOUBLE_EQ(bottom.Maximum(), p.now + kMinute);

    // Points older than MaxTime before the newest go.
    p.now += 5.0 / 24 - 45 * kMinute;
    p.core.RefreshTick(false);
    EXPECT_EQ(p.chart.Series(0).Count(), 2u);

    // Historical: the timer does nothing.
    p.core.Settings().RealTime = false;
    p.now += 1;
    p.core.RefreshTick(false);
    EXPECT_EQ(p.chart.Series(0).Count(), 2u);
}

TEST(ChartPageCore, LayoutAxesStacksOrSharesTheAxes) {
    ChartPage p;
    for (const char* s : {"A", "B", "C"}) p.core.AddSensor("ST1", s);
    p.core.Settings().ShowAxes = true;
    p.core.LayoutAxes();
    const double ends[][2] = {{0, 100.0 / 3}, {100.0 / 3, 200.0 / 3}, {200.0 / 3, 100}};
    for (int k = 0; k < 3; ++k) {
        const TChartAxis& axis = p.AxisOf(k);
        EXPECT_NEAR(axis.StartPosition(), ends[k][0], 1e-9) << k;
        EXPECT_NEAR(axis.EndPosition(), ends[k][1], 1e-9) << k;
        EXPECT_EQ(axis.PositionPercent(), 0);
        EXPECT_TRUE(axis.Visible());
        EXPECT_EQ(p.chart.Series(k).VerticalAxis(), axis.Id());
    }
    EXPECT_EQ(p.chart.MarginLeft(), 6);

    p.core.Settings().ShowAxes = false;
    p.core.Settings().Interval = 2;
    p.core.LayoutAxes();
    EXPECT_EQ(p.chart.MarginLeft(), 3);
    EXPECT_FALSE(p.AxisOf(1).Visible());
    EXPECT_EQ(p.chart.Series(1).VerticalAxis(), kLeftAxis);
    EXPECT_EQ(p.chart.BottomAxis().DateTimeFormat(), "mm/dd/yyyy hh:nn:ss");
    p.core.Settings().Interval = 0.5;
    p.core.LayoutAxes();
    EXPECT_EQ(p.chart.BottomAxis().DateTimeFormat(), "hh:nn:ss");
}

TEST(ChartPageCore, ApplyRangesFollowsTheRangePolicy) {
    struct Case {
        const char* name;
        bool autoRange, bestView, indiRange;
        bool automatic;  // the series' axis after ApplyRanges
        double min, max;
        bool leftAutomatic;
        double leftMin, leftMax;
    };
    // Data from 10 to 20 on both series' axes; individual range [5, 50] for
    // the first series; the left axis starts at [-1, 1].
    const Case cases[] = {
        {"auto", true, false, false, true, 10, 20, true, 10, 20},
        {"auto wins over individual", true, false, true, true, 10, 20, true, 10, 20},
        {"fixed", false, false, false, false, 0, 100, false, 0, 100},
        {"individual", false, false, true, false, 5, 50, false, -1, 1},
        {"best view of the extent", true, true, false, false, 9, 21, false, 9, 21},
        {"best view of the fixed range", false, true, false, false, -10, 110, false, -10, 110},
        {"best view keeps individual", false, true, true, false, 5, 50, false, -1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (bool multi : {false, true}) {
            ChartPage p;
            p.core.Settings().ShowAxes = multi;
            p.core.AddSensor("ST1", "A");
            p.core.AddSensor("ST1", "B");
            p.Show("A", kT0 - 10 * kMinute, "10");
            p.Show("A", kT0 - 5 * kMinute, "20");
            p.Show("B", kT0 - 5 * kMinute, "15");
            p.Show("B", kT0 - 4 * kMinute, "12");
            // A point outside the time window does not count in an extent.
            p.chart.Series(0).AddXY(kT0 - 0.5, 1000);
            p.core.SetIndividualRange(0, 5, 50);
            p.chart.LeftAxis().SetAutomatic(false);
            p.chart.LeftAxis().SetMinMax(-1, 1);
            TChartSettings& s = p.core.Settings();
            s.AutoRange = c.autoRange;
            s.BestView = c.bestView;
            s.IndiRange = c.indiRange;
            s.ShowPointer = false;
            p.core.ApplyRanges();
            p.chart.UpdateRanges();  // what an automatic axis shows when drawn
            const TChartAxis& a = p.AxisOf(0);
            if (multi) {
                EXPECT_EQ(a.Automatic(), c.automatic);
                EXPECT_DOUBLE_EQ(a.Minimum(), c.min);
                EXPECT_DOUBLE_EQ(a.Maximum(), c.max);
            } else {
                const TChartAxis& l = p.chart.LeftAxis();
                EXPECT_EQ(l.Automatic(), c.leftAutomatic);
                EXPECT_DOUBLE_EQ(l.Minimum(), c.leftMin);
                EXPECT_DOUBLE_EQ(l.Maximum(), c.leftMax);
            }
            EXPECT_FALSE(p.chart.Series(1).MarkerVisible());
        }
    }
}

TEST(ChartPageCore, RemovedSeriesTakeTheirAxesAndLeaveRangesToPositions) {
    ChartPage p;
    p.core.Settings().ShowAxes = true;
    for (const char* s : {"A", "B", "C"}) p.core.AddSensor("ST1", s);
    p.core.SetIndividualRange(0, 1, 2);
    p.core.SetIndividualRange(1, 3, 4);
    const TAxisId axisB = p.chart.CustomAxisId(1);
    p.core.RemoveSeries({0, 0, 7, -1});
    ASSERT_EQ(p.chart.SeriesCount(), 2);
    ASSERT_EQ(p.chart.CustomAxisCount(), 2);
    EXPECT_EQ(p.chart.Series(0).Title(), "ST1.B");
    EXPECT_EQ(p.chart.Series(0).VerticalAxis(), axisB);
    EXPECT_DOUBLE_EQ(p.AxisOf(0).EndPosition(), 50);
    EXPECT_DOUBLE_EQ(p.AxisOf(1).StartPosition(), 50);
    EXPECT_FALSE(p.core.HasSensor("ST1", "A"));
    EXPECT_TRUE(p.Show("C", kT0));
    EXPECT_EQ(p.chart.Series(1).Count(), 1u);
    // The first position's range now belongs to the series that moved in.
    EXPECT_EQ(p.core.IndiMin(0), 1);
    EXPECT_EQ(p.core.IndiMax(1), 4);
}

// Individual ranges are not limited to 1024 series: every position has one.
TEST(ChartPageCore, IndividualRangesBeyondTheThousandAndTwentyFourthSeries) {
    ChartPage p;
    for (int i = 0; i < 1030; ++i) p.core.AddSensor("ST", std::to_string(i));
    p.core.SetIndividualRange(1027, -5, 5);
    TChartSettings& s = p.core.Settings();
    s.AutoRange = false;
    s.IndiRange = true;
    p.core.ApplyRanges();
    EXPECT_DOUBLE_EQ(p.AxisOf(1027).Minimum(), -5);
    EXPECT_DOUBLE_EQ(p.AxisOf(1027).Maximum(), 5);
    EXPECT_EQ(p.core.IndiMin(1029), 0);
    EXPECT_EQ(p.core.IndiMin(5000), 0);
}

TEST(ChartPageCore, RefreshPeriod) {
    const struct {
        double days;
        int ms;
    } cases[] = {{1.0 / 86400, 1000}, {0, 0}, {-1, 0}, {0.5 / 86400000, 1}, {1e9, INT_MAX}};
    for (const auto& c : cases) EXPECT_EQ(RefreshPeriodMs(c.days), c.ms) << c.days;
}

TEST(ChartPageCore, WorkspaceKeysRoundTrip) {
    TMemIniFile ini;
    ini.SetText("[GraphList0]\nOLD,KEY=1\n[GraphList0Settings]\nTitle=Levels\n");
    {
        ChartPage p;
        p.core.AddSensor("ST1", "AIR");
        p.core.AddSensor("ST1", "V.2");
        TChartSettings& s = p.core.Settings();
        s.ShowAxes = true;
        s.RealTime = false;
        s.RefreshInterval = 5.0 / 86400;
        s.Interval = 1.5;
        s.MaxTime = 3;
        s.ShowPointer = false;
        s.AutoRange = false;
        s.BestView = false;
        s.IndiRange = true;
        s.YAxisMin = -2.5;
        s.YAxisMax = 1e6;
        p.core.SaveToWorkspace(ini, "GraphList0");
    }
    EXPECT_EQ(ini.ReadSection("GraphList0"), (std::vector<std::string>{"ST1,AIR", "ST1,V,2"}));
    EXPECT_EQ(ini.ReadString("GraphList0Settings", "Title", ""), "Levels");
    EXPECT_EQ(ini.ReadString("GraphList0Settings", "ShowAxes", ""), "1");
    EXPECT_EQ(ini.ReadString("GraphList0Settings", "AutoRange", ""), "0");

    ChartPage p;
    p.core.LoadFromWorkspace(p, ini, "GraphList0");
    ASSERT_EQ(p.chart.SeriesCount(), 2);
    EXPECT_EQ(p.chart.Series(0).Title(), "ST1.AIR");
    EXPECT_EQ(p.chart.Series(1).Title(), "ST1.V");  // cut at the ","
    const TChartSettings& s = p.core.Settings();
    EXPECT_TRUE(s.ShowAxes);
    EXPECT_FALSE(s.RealTime);
    EXPECT_DOUBLE_EQ(s.RefreshInterval, 5.0 / 86400);
    EXPECT_DOUBLE_EQ(s.Interval, 1.5);
    EXPECT_DOUBLE_EQ(s.MaxTime, 3);
    EXPECT_FALSE(s.ShowPointer || s.AutoRange || s.BestView);
    EXPECT_TRUE(s.IndiRange);
    EXPECT_EQ(s.YAxisMin, -2.5);
    EXPECT_EQ(s.YAxisMax, 1e6);
    EXPECT_TRUE(p.AxisOf(1).Visible());
    EXPECT_EQ(p.chart.BottomAxis().DateTimeFormat(), "mm/dd/yyyy hh:nn:ss");
}

TEST(ChartPageCore, WorkspaceDefaultsAndDateTimeSpans) {
    const struct {
        const char* settings;
        double refresh, interval, maxTime;
    } cases[] = {
        {"", 1.0 / 86400, 1.0 / 24, 5.0 / 24},
        {"RefreshInterval=-1\nInterval=-1\n", 1.0 / 86400, 1.0 / 24, 5.0 / 24},
        {"RefreshInterval=00:00:05\nInterval=02:00:00\n", 5.0 / 86400, 2.0 / 24, 10.0 / 24},
        {"RefreshInterval=0\nInterval=0.25\nMaxTime=2\n", 0, 0.25, 2},
        {"Interval=garbage\n", 1.0 / 86400, 1.0 / 24, 5.0 / 24},
        // A window of no width would never show a reading: one hour.
        {"Interval=0\n", 1.0 / 86400, 1.0 / 24, 5.0 / 24},
        {"Interval=-0.5\n", 1.0 / 86400, 1.0 / 24, 5.0 / 24},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        TMemIniFile ini;
        ini.SetText(std::string("[G0]\nST1,AIR=1\n[G0Settings]\n") + c.settings);
        ChartPage p;
        p.core.LoadFromWorkspace(p, ini, "G0");
        const TChartSettings& s = p.core.Settings();
        EXPECT_NEAR(s.RefreshInterval, c.refresh, 1e-12);
        EXPECT_NEAR(s.Interval, c.interval, 1e-12);
        EXPECT_NEAR(s.MaxTime, c.maxTime, 1e-12);
        EXPECT_FALSE(s.ShowAxes);
        EXPECT_TRUE(s.RealTime && s.ShowPointer && s.AutoRange && !s.IndiRange);
        EXPECT_TRUE(s.BestView);  // a loaded page without the key shows best view
        EXPECT_EQ(s.YAxisMax, 100);
    }
}

// A series the file cannot hold as a key costs only its own key.
TEST(ChartPageCore, AnUnwritableKeyKeepsTheRestOfTheSave) {
    ChartPage p;
    p.core.AddSensor("[ST", "A");
    p.core.AddSensor("ST1", "AIR");
    TMemIniFile ini;
    p.core.SaveToWorkspace(ini, "G0");
    EXPECT_EQ(ini.ReadSection("G0"), (std::vector<std::string>{"ST1,AIR"}));
    EXPECT_TRUE(ini.ValueExists("G0Settings", "YAxisMax"));
}

}  // namespace
}  // namespace qx
