#include <gtest/gtest.h>

#include "suite/SuiteRuntime.h"
#include "textscan/TimeScale.h"

namespace qx::suite {
namespace {

constexpr std::string_view kSuite =
    "[Station WX1]\nServer=rtu\nSensors=AIR,BATT\n"
    "[Sensor WX1.AIR]\nValue=12.5\nDecimals=1\n"
    "[Sensor WX1.BATT]\nValue=13.1\n"
    "[Station RIVER]\nServer=decode\nSensors=LEVEL,STATE\n"
    "[Sensor RIVER.LEVEL]\nGenerator=step\nMin=1\nMax=4\nPeriod=10\nAlarm=yes\nAlarmHigh=3\n"
    "[Sensor RIVER.STATE]\nGenerator=text\nTexts=OPEN|SHUT\n"
    "[Tags RIVER]\nGATE=STATE\n"
    "[Station EMPTY]\nSensors=\n";

class SuiteRuntimeTest : public ::testing::Test {
protected:
    static TSuiteDef Load() {
        TSuiteLoad load = ParseSuite(kSuite, "t.suite", "/h/");
        EXPECT_TRUE(load.Errors.empty()) << load.Errors.front();
        return std::move(*load.Suite);
    }
    const std::int32_t t0 = DateTimeSeconds(2009, 5, 12, 10, 15, 0);
    TSuiteRuntime runtime{Load(), t0};
};

TEST_F(SuiteRuntimeTest, SetupQueries) {
    struct Case {
        const char* request;
        const char* answer;
    };
    const Case cases[] = {
        {"SetupLoad", "OK"},
        {"setupload", "OK"},
        {"General,Stations", "WX1,RIVER,EMPTY"},
        {"Station:WX1,Sensors", "AIR,BATT"},
        {"station:river,sensors", "LEVEL,STATE"},
        {"Station:EMPTY,Sensors", ""},
        {"Station:NONE,Sensors", "ERROR"},
        {"Station:,Sensors", "ERROR"},
        {"Station:WX1", "ERROR"},
        {"TAGINFO:RIVER,LEVEL", "LEVEL"},
        {"TAGINFO:river,gate", "STATE"},
        {"TAGINFO,GATE", "STATE"},
        {"TAGINFO:WX1,GATE", "ERROR"},
        {"TAGINFO:WX1,AIR", "ERROR"},
        {"TAGINFO:RIVER", "ERROR"},
        {"TAGINFO:RIVER,", "ERROR"},
        {"TAGINFO", "ERROR"},
        {"", "ERROR"},
        {"General,Nonsense", "ERROR"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(runtime.QuerySetup(c.request, true), c.answer) << c.request;
    EXPECT_EQ(runtime.QuerySetup("SetupLoad", false), "LOADING");
}

TEST_F(SuiteRuntimeTest, SensorSetupRecords) {
    const TSensorSetup* air = runtime.SensorSetup("wx1", "air");
    ASSERT_NE(air, nullptr);
    EXPECT_EQ(std::get<std::string>((*air)[SensorName]), "AIR");
    EXPECT_EQ(std::get<std::string>((*air)[SensorStation]), "WX1");
    EXPECT_TRUE(std::get<bool>((*runtime.SensorSetup("RIVER", "STATE"))[SensorIsText]));
    EXPECT_EQ(runtime.SensorSetup("WX1", "NONE"), nullptr);
    EXPECT_EQ(runtime.SensorSetup("NONE", "AIR"), nullptr);
}

TEST_F(SuiteRuntimeTest, CurrentDataCarriesEveryReadingAndAlarmCompanions) {
    EXPECT_EQ(runtime.CurrentData("WX1.$REALTIME"),
              "05/12/2009 10:15:00,WX1.AIR,12.5,WX1.BATT,13.10");
    EXPECT_EQ(runtime.CurrentData("river.$realtime"),
              "05/12/2009 10:15:00,RIVER.LEVEL,1.00,RIVER.LEVEL:2,OK,RIVER.STATE,OPEN");
    EXPECT_EQ(runtime.CurrentData("EMPTY.$REALTIME"), "05/12/2009 10:15:00");
    for (const char* bad : {"NONE.$REALTIME", "WX1", "WX1.$STATUS", "", ".$REALTIME"})
        EXPECT_EQ(runtime.CurrentData(bad), "") << bad;
}

TEST_F(SuiteRuntimeTest, AdvanceTakesNewReadingsAndReportsAlarmChanges) {
    TStationFeed& river = runtime.Feeds()[1];
    EXPECT_EQ(river.ReadingType(), TypeGoesTimed);
    EXPECT_EQ(runtime.Feeds()[0].ReadingType(), TypeRealtime);
    EXPECT_EQ(river.AlarmChangeText(), "");
    river.Advance(10, t0 + 10);
    EXPECT_EQ(river.CurrentText(),
              "05/12/2009 10:15:10,RIVER.LEVEL,4.00,RIVER.LEVEL:2,HIGH,RIVER.STATE,OPEN");
    EXPECT_EQ(river.AlarmChangeText(), "05/12/2009 10:15:10,RIVER.LEVEL,4.00,RIVER.LEVEL:2,HIGH");
    river.Advance(15, t0 + 15);
    EXPECT_EQ(river.AlarmChangeText(), "");  // still high: no change
    river.Advance(20, t0 + 20);
    EXPECT_EQ(river.AlarmChangeText(), "05/12/2009 10:15:20,RIVER.LEVEL,1.00,RIVER.LEVEL:2,OK");
}

}  // namespace
}  // namespace qx::suite
