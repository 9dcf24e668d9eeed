#include <gtest/gtest.h>

#include "pages/ChartTab.h"
#include "workspace/MemIniFile.h"

namespace qx {
namespace {

TEST(ChartTab, KeepsTheBaseBehaviourOfEveryOperation) {
    TfrmChartTab chart;
    TWatchTab& page = chart;
    // Claims every sensor, so the add commands never add to it.
    EXPECT_TRUE(page.HasSensor("ST1", "AIR"));
    page.AddSensor("ST1", "AIR");
    page.ShowReading(SensorReading{"ST1", "AIR", "$REALTIME", 0, "1"});
    page.ShowSecondaryReading(SensorReading{"ST1", "AIR:2", "$REALTIME", 0, "HI"});
    page.RemoveSensors();
    EXPECT_FALSE(page.HasSettings());
    EXPECT_FALSE(page.CanSaveData());
    EXPECT_FALSE(page.CanCopyData());

    EXPECT_TRUE(page.TogglePause());
    EXPECT_TRUE(page.IsPaused());
    EXPECT_FALSE(page.TogglePause());
    EXPECT_FALSE(page.IsPaused());
}

// The chart's sensors and graph settings stay in the file for the chart that
// will read them.
TEST(ChartTab, LeavesItsWorkspaceSectionAsItWasRead) {
    const char* text =
        "[GraphList0]\n"
        "ST1,AIR=1\n"
        "TimeSpan=0.5\n"
        "[WatchList0]\n"
        "ST2,WIND=1\n";
    TMemIniFile ini;
    ini.SetText(text);
    const std::string before = ini.Text();
    TfrmChartTab chart;
    TWatchTab& page = chart;
    page.LoadFromWorkspace(ini, "GraphList0");
    page.SaveToWorkspace(ini, "GraphList0");
    EXPECT_EQ(ini.Text(), before);
}

}  // namespace
}  // namespace qx
