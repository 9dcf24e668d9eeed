#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "readings/SensorReading.h"
#include "serverlink/SetupRetrieval.h"
#include "serverlink/tests/FakePicker.h"
#include "textscan/Regional.h"

namespace qx {
namespace {

using Strings = std::vector<std::string>;

// A setup server answering from tables; requests listed in `fail` throw.
class FakeSetupServer : public ISetupServer {
public:
    std::string QuerySetup(const std::string& request) override {
        requests.push_back(request);
        if (fail.count(request)) throw TServerCallError("down");
        const auto it = answers.find(request);
        return it == answers.end() ? std::string() : it->second;
    }
    TSetupValues GetGeneralSetup() override {
        if (fail.count("GetGeneralSetup")) throw TServerCallError("down");
        return general;
    }
    TSetupValues GetSensorSetup(const std::string& station, const std::string& sensor) override {
        requests.push_back("GetSensorSetup " + station + "." + sensor);
        if (fail.count(station + "." + sensor)) throw TServerCallError("down");
        const auto it = sensors.find(station + "." + sensor);
        return it == sensors.end() ? TSetupValues() : it->second;
    }

    std::map<std::string, std::string> answers;
    std::map<std::string, TSetupValues> sensors;
    TSetupValues general;
    std::set<std::string> fail;
    Strings requests;
};

TSetupValues SensorRecord(const std::string& name, const std::string& rtuName, bool enabled,
                          bool isText, const std::string& equation, const std::string& rawList) {
    TSetupValues values(75, TSetupValue(std::string()));
    values[1] = name;
    values[2] = equation;
    values[3] = rtuName;
    values[5] = rawList;
    values[6] = enabled;
    values[7] = std::int64_t{2};
    values[8] = isText;
    return values;
}

class SetupRetrieval : public testing::Test {
protected:
    FakeSetupServer server;
    FakePicker picker;
    TSetupRetrieval retrieval{server, "/home/qx/"};
};

TEST_F(SetupRetrieval, StationListsBecomeStationItems) {
    const struct {
        const char* answer;
        Strings stations;
    } cases[] = {
        {"ST1,ST2,", {"ST1", "ST2"}},
        {"ST1,ST2", {"ST1", "ST2"}},
        {",A,,B", {"", "A", "", "B"}},
        {"ST1\r\nST2\r\n", {"ST1", "ST2"}},
        {"ONLY", {"ONLY"}},
    };
    for (const auto& c : cases) {
        server.answers["General,Stations"] = c.answer;
        retrieval.LoadStations(picker);
        EXPECT_EQ(picker.stations, c.stations) << c.answer;
        EXPECT_EQ(picker.selectedStation, 0);
        EXPECT_EQ(retrieval.General.Stations, c.answer);
    }
}

TEST_F(SetupRetrieval, LoadingStationsFillsTheFirstStationsSensors) {
    server.answers["General,Stations"] = "ST1,ST2";
    server.answers["Station:ST1,Sensors"] = "AIR,BATT";
    server.sensors["ST1.AIR"] = SensorRecord("AIR", "AIR_T", true, false, "x*2", "1,2");
    server.sensors["ST1.BATT"] = SensorRecord("BATT", "VB", false, true, "", "");
    retrieval.LoadStations(picker);
    EXPECT_EQ(picker.sensors, (Strings{"AIR", "BATT"}));
    EXPECT_EQ(picker.rows, (Strings{"AIR|AIR_T|Yes|No|x*2|1,2", "BATT|VB|No|Yes||"}));
    EXPECT_EQ(picker.selectedSensor, 0);
}

TEST_F(SetupRetrieval, NoStationsLeavesTheSensorListsAlone) {
    picker.sensors = {"OLD"};
    for (bool callFails : {false, true}) {
        if (callFails) server.fail.insert("General,Stations");
        retrieval.General.Stations = "STALE";
        picker.stations = {"STALE"};
        retrieval.LoadStations(picker);
        EXPECT_TRUE(picker.stations.empty());
        EXPECT_EQ(retrieval.General.Stations, "");
        EXPECT_EQ(picker.sensors, Strings{"OLD"});
        EXPECT_EQ(picker.sensorClears, 0);
    }
}

TEST_F(SetupRetrieval, SensorListAnswersThatCarryNoSensorsEmptyTheLists) {
    for (const char* answer : {"ERROR", "error", "Error", ""}) {
        picker.stations = {"ST1"};
        picker.selectedStation = 0;
        picker.sensors = {"OLD"};
        picker.rows = {"OLD"};
        server.answers["Station:ST1,Sensors"] = answer;
        retrieval.cbxStationsChange(picker);
        EXPECT_TRUE(picker.sensors.empty()) << answer;
        EXPECT_TRUE(picker.rows.empty()) << answer;
        EXPECT_EQ(picker.selectedSensor, -1);
    }
}

TEST_F(SetupRetrieval, AFailedSensorListCallKeepsTheListsAndNoSelectionDoesNothing) {
    picker.sensors = {"OLD"};
    retrieval.cbxStationsChange(picker);  // no station selected
    EXPECT_TRUE(server.requests.empty());

    picker.stations = {"ST1"};
    picker.selectedStation = 0;
    server.fail.insert("Station:ST1,Sensors");
    retrieval.cbxStationsChange(picker);
    EXPECT_EQ(picker.sensors, Strings{"OLD"});
    EXPECT_EQ(picker.sensorClears, 0);
}

TEST_F(SetupRetrieval, SensorsWithoutAUsableRecordGetTheDefaultRow) {
    picker.stations = {"ST1"};
    picker.selectedStation = 0;
    server.answers["Station:ST1,Sensors"] = "NULLREC,SHORT,BADTYPE";
    server.sensors["ST1.SHORT"] = TSetupValues(74, TSetupValue(std::string("x")));
    TSetupValues bad = SensorRecord("BADTYPE", "R", true, false, "", "");
    bad[8] = TUnconvertible{};
    server.sensors["ST1.BADTYPE"] = bad;
    retrieval.cbxStationsChange(picker);
    EXPECT_EQ(picker.rows, (Strings{"NULLREC|NULLREC|Yes|No||", "SHORT|SHORT|Yes|No||",
                                    "BADTYPE|BADTYPE|Yes|No||"}));
}

TEST_F(SetupRetrieval, AFailingSensorSetupCallEndsTheFillingAndKeepsTheRowsSoFar) {
    picker.stations = {"ST1"};
    picker.selectedStation = 0;
    server.answers["Station:ST1,Sensors"] = "A,B,C";
    server.fail.insert("ST1.B");
    retrieval.cbxStationsChange(picker);
    EXPECT_EQ(picker.sensors, (Strings{"A", "B"}));
    EXPECT_EQ(picker.rows, Strings{"A|A|Yes|No||"});
    EXPECT_EQ(picker.selectedSensor, 0);
    EXPECT_THROW(retrieval.GetSensorSetupRecord("ST1", "B"), TServerCallError);
}

TEST_F(SetupRetrieval, GeneralSetupReadResetsToDefaultsFirst) {
    retrieval.General.RtuEnabled = true;
    retrieval.General.Stations = "OLD";
    EXPECT_EQ(retrieval.ReadGeneralSetup(), TGeneralSetupRead::Unavailable);  // Null
    EXPECT_FALSE(retrieval.General.RtuEnabled);
    EXPECT_EQ(retrieval.General.LogDirectory, "/home/qx/LOG/");

    retrieval.General.RtuEnabled = true;
    server.fail.insert("GetGeneralSetup");
    EXPECT_EQ(retrieval.ReadGeneralSetup(), TGeneralSetupRead::Unavailable);
    EXPECT_FALSE(retrieval.General.RtuEnabled);
    server.fail.clear();

    server.general.assign(37, TSetupValue(false));
    EXPECT_EQ(retrieval.ReadGeneralSetup(),
              TGeneralSetupRead::Unconvertible);  // integers as booleans
    EXPECT_EQ(retrieval.General.Int26, 998877);

    server.general = TSetupValues(37, TSetupValue(std::int64_t{0}));
    server.general[14] = true;
    server.general[6] = std::string("ST1");
    EXPECT_EQ(retrieval.ReadGeneralSetup(), TGeneralSetupRead::Loaded);
    EXPECT_TRUE(retrieval.General.RtuEnabled);
    EXPECT_EQ(retrieval.General.Stations, "ST1");
}

TEST_F(SetupRetrieval, LookupTreatsOnlyUpperCaseErrorAsFailure) {
    server.answers["TAGINFO:ST1,AIR"] = "WIND";
    server.answers["TAGINFO:ST1,LOW"] = "error";
    server.answers["TAGINFO:ST1,BAD"] = "ERROR";
    server.fail.insert("TAGINFO:ST1,GONE");
    std::string answer;
    EXPECT_TRUE(retrieval.LookupSetupValue("TAGINFO", "ST1", "", "AIR", answer));
    EXPECT_EQ(answer, "WIND");
    EXPECT_TRUE(retrieval.LookupSetupValue("TAGINFO", "ST1", "", "LOW", answer));
    EXPECT_EQ(answer, "error");
    EXPECT_FALSE(retrieval.LookupSetupValue("TAGINFO", "ST1", "", "BAD", answer));
    EXPECT_FALSE(retrieval.LookupSetupValue("TAGINFO", "ST1", "", "GONE", answer));
    EXPECT_TRUE(retrieval.LookupSetupValue("TAGINFO", "", "", "X", answer));
    EXPECT_EQ(server.requests.back(), "TAGINFO,X");
}

TEST(TestReadings, ValueIsWrittenWithTwoDecimals) {
    EXPECT_EQ(TestReadingValue(37), "37.00");
    EXPECT_EQ(TestReadingValue(0), "0.00");
    EXPECT_EQ(TestReadingValue(123456), "123456.00");
    ScopedRegional comma(TRegionalSettings{'.', ':', ',', "dd.MM.yyyy", "HH:mm:ss"});
    EXPECT_EQ(TestReadingValue(5), "5,00");
}

TEST_F(SetupRetrieval, TestTickRoutesOneReadingPerSensorBoundByTheScanPositions) {
    server.answers["General,Stations"] = "S1,DOWN,S22";
    server.answers["Station:S1,Sensors"] = "A";
    server.answers["Station:S22,Sensors"] = "X,YY,";
    server.fail.insert("Station:DOWN,Sensors");
    std::vector<SensorReading> routed;
    std::vector<std::int64_t> bounds;
    retrieval.Timer1Timer([&](const SensorReading& r) { routed.push_back(r); }, 9000.5,
                          [&](std::int64_t bound) {
                              bounds.push_back(bound);
                              return bound - 1;
                          });
    // S1 ends at position 4, A at 2; S22 at 12, X at 3 and YY at 6.
    EXPECT_EQ(bounds, (std::vector<std::int64_t>{4 * 20 * 2, 12 * 20 * 3, 12 * 20 * 6}));
    ASSERT_EQ(routed.size(), 3u);
    EXPECT_EQ(routed[0].Station, "S1");
    EXPECT_EQ(routed[0].Sensor, "A");
    EXPECT_EQ(routed[0].Source, "S");
    EXPECT_EQ(routed[0].Time, 9000.5);
    EXPECT_EQ(routed[0].Value, "159.00");
    EXPECT_EQ(routed[2].Station, "S22");
    EXPECT_EQ(routed[2].Sensor, "YY");
    EXPECT_EQ(retrieval.General.Stations, "S1,DOWN,S22");
}

TEST_F(SetupRetrieval, TestTickOfASingleStationListStaysBelow120) {
    server.answers["General,Stations"] = "S1";
    server.answers["Station:S1,Sensors"] = "A";
    std::int64_t bound = 0;
    retrieval.Timer1Timer([](const SensorReading&) {}, 0,
                          [&](std::int64_t b) {
                              bound = b;
                              return 0;
                          });
    EXPECT_EQ(bound, 120);
}

}  // namespace
}  // namespace qx
