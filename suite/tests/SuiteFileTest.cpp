#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "suite/SuiteFile.h"

namespace qx::suite {
namespace {

TSuiteLoad Parse(std::string_view text) {
    return ParseSuite(text, "t.suite", "/home/qx/");
}

const TSuiteDef& Suite(const TSuiteLoad& load) {
    EXPECT_TRUE(load.Suite.has_value()) << (load.Errors.empty() ? "" : load.Errors.front());
    static const TSuiteDef empty;
    return load.Suite ? *load.Suite : empty;
}

bool Mentions(const std::vector<std::string>& lines, std::string_view part) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](auto& l) { return l.find(part) != std::string::npos; });
}

TEST(SuiteFile, DemoSuiteLoadsWithoutWarnings) {
    const TSuiteLoad load = LoadSuiteFile(QX_DEMO_SUITE);
    ASSERT_TRUE(load.Suite.has_value()) << (load.Errors.empty() ? "" : load.Errors.front());
    EXPECT_TRUE(load.Warnings.empty()) << load.Warnings.front();
    const TSuiteDef& suite = *load.Suite;
    EXPECT_EQ(std::get<std::string>(suite.General[GeneralStations]), "WX1,RIVER1,PUMP1");
    EXPECT_TRUE(std::get<bool>(suite.General[GeneralRtuEnabled]));
    EXPECT_TRUE(std::get<bool>(suite.General[GeneralDecodeEnabled]));
    EXPECT_TRUE(std::get<bool>(suite.General[GeneralZOVizEnabled]));
    for (const TServer s : {TServer::Setup, TServer::Decode, TServer::Rtu, TServer::ZOViz})
        EXPECT_TRUE(suite.Serves(s));
    ASSERT_NE(suite.FindSensor("RIVER1", "LEVEL"), nullptr);
    EXPECT_TRUE(suite.FindSensor("RIVER1", "LEVEL")->Alarm.On);
    ASSERT_NE(suite.FindSensor("PUMP1", "STATE"), nullptr);
    EXPECT_TRUE(std::get<bool>(suite.FindSensor("PUMP1", "STATE")->Setup[SensorIsText]));
}

TEST(SuiteFile, RecordDefaultsHaveTheProtocolTypes) {
    const TGeneralSetup g = DefaultGeneralSetup("/h/", 1234);
    // s for text, b boolean, q 16-bit unsigned, i 32-bit, by value number.
    const std::string types = "sssssssbqqiiibbbbbbbsssbbbibsbbbbbibi";
    ASSERT_EQ(types.size(), GeneralSetupSize);
    for (std::size_t i = 0; i < GeneralSetupSize; ++i) {
        const char t = types[i];
        const std::size_t index = t == 's' ? 0 : t == 'b' ? 1 : t == 'q' ? 2 : 4;
        EXPECT_EQ(g[i].index(), index) << "general value " << i;
    }
    EXPECT_EQ(std::get<std::string>(g[GeneralLogDirectory]), "/h/LOG/");
    EXPECT_EQ(std::get<std::string>(g[GeneralRawDirectory]), "/h/RAW/");
    EXPECT_EQ(std::get<std::uint16_t>(g[8]), 60000);
    EXPECT_EQ(std::get<std::int32_t>(g[10]), 180000);
    EXPECT_EQ(std::get<std::int32_t>(g[11]), 2000);
    EXPECT_EQ(std::get<std::int32_t>(g[26]), 998877);
    EXPECT_EQ(std::get<std::int32_t>(g[GeneralCreated]), 1234);

    const TSensorSetup s = DefaultSensorSetup("ST1", "AIR");
    for (std::size_t i = 0; i < SensorSetupSize; ++i) {
        const std::size_t index = i == SensorEnabled || i == SensorIsText ? 1 : i == 7 ? 3 : 0;
        EXPECT_EQ(s[i].index(), index) << "sensor value " << i;
    }
    EXPECT_EQ(std::get<std::string>(s[SensorStation]), "ST1");
    EXPECT_EQ(std::get<std::string>(s[SensorName]), "AIR");
    EXPECT_EQ(std::get<std::string>(s[SensorRtuName]), "AIR");
    EXPECT_TRUE(std::get<bool>(s[SensorEnabled]));
    EXPECT_EQ(std::get<std::int16_t>(s[7]), 2);
    EXPECT_EQ(std::get<std::string>(s[SensorDataFile]), "QX_DATA1");
}

TEST(SuiteFile, SectionsGiveStationsSensorsAndSetupValues) {
    const TSuiteLoad load = Parse(
        "[Station A]\nServer=mbrtu\nInterval=0.5\n"
        "[Sensor "
        "A.X]\nEquation=X*2\nRtuSensorName=R1\nRawList=1,2\nEnabled=no\nValue7=-5\nValue19=QX_"
        "DATA2\n"
        "Value30=  free text \n"
        "[Sensor A.Y]\nGenerator=text\nTexts=ON | OFF\n"
        "[station b]\n"
        "[Sensor b.Z]\n");
    const TSuiteDef& suite = Suite(load);
    EXPECT_TRUE(load.Warnings.empty()) << load.Warnings.front();
    ASSERT_EQ(suite.Stations.size(), 2u);
    EXPECT_EQ(suite.Stations[0].Name, "A");
    EXPECT_EQ(suite.Stations[0].Server, TServer::ZOViz);
    EXPECT_DOUBLE_EQ(suite.Stations[0].Interval, 0.5);
    EXPECT_EQ(suite.Stations[1].Name, "b");
    EXPECT_EQ(suite.Stations[1].Server, TServer::Rtu);
    EXPECT_EQ(std::get<std::string>(suite.General[GeneralStations]), "A,b");

    const TSensorDef* x = suite.FindSensor("a", "x");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(std::get<std::string>(x->Setup[SensorEquation]), "X*2");
    EXPECT_EQ(std::get<std::string>(x->Setup[SensorRtuName]), "R1");
    EXPECT_EQ(std::get<std::string>(x->Setup[SensorRawList]), "1,2");
    EXPECT_FALSE(std::get<bool>(x->Setup[SensorEnabled]));
    EXPECT_EQ(std::get<std::int16_t>(x->Setup[7]), -5);
    EXPECT_EQ(std::get<std::string>(x->Setup[SensorDataFile]), "QX_DATA2");
    EXPECT_EQ(std::get<std::string>(x->Setup[30]), "free text");
    EXPECT_FALSE(std::get<bool>(x->Setup[SensorIsText]));

    const TSensorDef* y = suite.FindSensor("A", "Y");
    ASSERT_NE(y, nullptr);
    EXPECT_TRUE(std::get<bool>(y->Setup[SensorIsText]));
    EXPECT_EQ(y->Generator.Texts, (std::vector<std::string>{"ON", "OFF"}));

    // RTU and Modbus RTU are used, decode is not; only the used ones are served.
    EXPECT_TRUE(std::get<bool>(suite.General[GeneralRtuEnabled]));
    EXPECT_TRUE(std::get<bool>(suite.General[GeneralZOVizEnabled]));
    EXPECT_FALSE(std::get<bool>(suite.General[GeneralDecodeEnabled]));
    EXPECT_TRUE(suite.Serves(TServer::Rtu));
    EXPECT_FALSE(suite.Serves(TServer::Decode));
}

TEST(SuiteFile, ListsFixTheOrderAndGeneralFlagsAndServeOverride) {
    const TSuiteLoad load = Parse(
        "[Suite]\nStations=B, A\nServe=rtu,decode\n"
        "[General]\nRtuEnabled=0\nDecodeEnabled=yes\nValue26=42\nLogDirectory=/var/log/qx/\n"
        "[Station A]\nSensors=Q,P\n[Sensor A.P]\n[Station B]\n");
    const TSuiteDef& suite = Suite(load);
    ASSERT_EQ(suite.Stations.size(), 2u);
    EXPECT_EQ(suite.Stations[0].Name, "B");
    ASSERT_EQ(suite.Stations[1].Sensors.size(), 2u);
    EXPECT_EQ(suite.Stations[1].Sensors[0].Name, "Q");  // listed without a section: defaults
    EXPECT_EQ(std::get<std::string>(suite.Stations[1].Sensors[0].Setup[SensorRtuName]), "Q");
    EXPECT_FALSE(std::get<bool>(suite.General[GeneralRtuEnabled]));
    EXPECT_TRUE(std::get<bool>(suite.General[GeneralDecodeEnabled]));
    EXPECT_EQ(std::get<std::int32_t>(suite.General[26]), 42);
    EXPECT_EQ(std::get<std::string>(suite.General[GeneralLogDirectory]), "/var/log/qx/");
    // Serve puts rtu on the bus although the general setup says it is unused.
    EXPECT_TRUE(suite.Serves(TServer::Rtu));
    EXPECT_TRUE(suite.Serves(TServer::Decode));
    EXPECT_FALSE(suite.Serves(TServer::ZOViz));
}

TEST(SuiteFile, AlarmCompanionsAndTagSectionOwnTags) {
    const TSuiteLoad load = Parse(
        "[Station R]\n"
        "[Sensor R.LEVEL]\nAlarm=on\nAlarmHigh=3\nAlarmLow=1\n"
        "[Sensor R.FLOW]\nAlarm=1\nAlarmTag=FLOWALM\n"
        "[Tags R]\nLVL=level\nFLOWALM=LEVEL\n");
    const TSuiteDef& suite = Suite(load);
    const TStationDef& r = suite.Stations.at(0);
    ASSERT_EQ(r.Tags.size(), 3u);
    EXPECT_EQ(r.Tags[0].Tag, "LEVEL");
    EXPECT_EQ(r.Tags[0].Sensor, "LEVEL");
    EXPECT_EQ(r.Tags[1].Tag, "FLOWALM");
    EXPECT_EQ(r.Tags[1].Sensor, "FLOW");
    EXPECT_EQ(r.Tags[2].Tag, "LVL");
    EXPECT_EQ(r.Tags[2].Sensor, "LEVEL");  // the sensor's own spelling
    EXPECT_TRUE(Mentions(load.Warnings, "FLOWALM is given twice"));
    EXPECT_EQ(*r.Sensors[0].Alarm.High, 3);
    EXPECT_EQ(*r.Sensors[0].Alarm.Low, 1);
}

TEST(SuiteFile, StructuralFaultsAreErrors) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"[Station A]\nServer=modem\n", "Server=modem"},
        {"[Station A]\nServer=setup\n", "Server=setup"},
        {"[Station A]\n[Sensor A.X]\nGenerator=square\n", "Generator=square"},
        {"[Suite]\nStations=A,A\n", "listed twice"},
        {"[Suite]\nStations=A.B\n", "holds '.'"},
        {"[Station A]\nSensors=X,x\n", "listed twice"},
        {"[Station A]\nSensors=X:2\n", ":2"},
        {"[Station A]\nSensors=X[1]\n", "holds '['"},
        {"[Station A]\n[Sensor A.X]\nAlarm=yes\nAlarmTag=T:2\n", "alarm tag"},
        {"[Station A]\n[Sensor A.X]\nGenerator=text\nTexts=A,B|C\n", "holds ','"},
    };
    for (const Case& c : cases) {
        const TSuiteLoad load = Parse(c.text);
        EXPECT_FALSE(load.Suite.has_value()) << c.text;
        EXPECT_TRUE(Mentions(load.Errors, c.message))
            << c.text << " gave " << (load.Errors.empty() ? "" : load.Errors[0]);
    }
}

TEST(SuiteFile, BadValuesWarnAndKeepDefaults) {
    struct Case {
        const char* text;
        const char* warning;
    };
    const Case cases[] = {
        {"[Suite]\nSetupLoadDelay=soon\n", "SetupLoadDelay=soon"},
        {"[Suite]\nSetupLoadDelay=-5\n", "SetupLoadDelay=-5"},
        {"[Suite]\nTimeTag=1e400\n", "TimeTag=1e400"},
        {"[Station A]\nInterval=0\n", "Interval=0"},
        {"[Station A]\n[Sensor A.X]\nPeriod=nan\n", "Period=nan"},
        {"[Station A]\n[Sensor A.X]\nDecimals=12\n", "Decimals=12"},
        {"[Station A]\n[Sensor A.X]\nEnabled=maybe\n", "Enabled=maybe"},
        {"[Station A]\n[Sensor A.X]\nValue7=70000\n", "Value7=70000"},
        {"[Station A]\n[Sensor A.X]\nValue75=x\n", "Value75"},
        {"[Station A]\n[Sensor A.X]\nValue1=other\n", "Value1"},
        {"[General]\nValue8=-1\n", "Value8=-1"},
        {"[General]\nValue6=X,Y\n", "Value6"},
        {"[General]\nValue10=3000000000\n", "Value10"},
        {"[Station A]\n[Sensor A.X]\nMin=5\nMax=1\n", "swapped"},
        {"[Station A]\n[Sensor A.X]\nGenerator=text\n", "without Texts"},
        {"[Station A]\nColour=red\n", "unknown key Colour"},
        {"[Stations A]\n", "unknown section"},
        {"[Sensor Z.X]\n", "no such station"},
        {"[Suite]\nStations=A\n[Station B]\n", "not in the Stations list"},
        {"[Station A]\nSensors=X\n[Sensor A.Y]\n", "not in the Sensors list"},
        {"[Station A]\n[Tags A]\nT=NOPE\n", "does not name a sensor"},
        {"[Suite]\nServe=rtu,pager\n", "pager"},
        {"[Suite]\nServe=decode\n[Station A]\n", "not served"},
    };
    for (const Case& c : cases) {
        const TSuiteLoad load = Parse(c.text);
        EXPECT_TRUE(load.Suite.has_value())
            << c.text << (load.Errors.empty() ? "" : load.Errors[0]);
        EXPECT_TRUE(Mentions(load.Warnings, c.warning))
            << c.text << " gave " << (load.Warnings.empty() ? "no warning" : load.Warnings[0]);
    }
    // The defaults stand in for the bad values.
    const TSuiteLoad load = Parse(
        "[Suite]\nSetupLoadDelay=x\n[Station A]\nInterval=-1\n"
        "[Sensor A.X]\nPeriod=0\nDecimals=x\nValue7=70000\nMin=5\nMax=1\n");
    const TSuiteDef& suite = Suite(load);
    EXPECT_EQ(suite.SetupLoadDelayMs, 0);
    EXPECT_DOUBLE_EQ(suite.Stations.at(0).Interval, 5);
    const TSensorDef& x = suite.Stations.at(0).Sensors.at(0);
    EXPECT_DOUBLE_EQ(x.Generator.Period, 60);
    EXPECT_EQ(x.Generator.Decimals, 2);
    EXPECT_EQ(std::get<std::int16_t>(x.Setup[7]), 2);
    EXPECT_DOUBLE_EQ(x.Generator.Min, 1);
    EXPECT_DOUBLE_EQ(x.Generator.Max, 5);
}

TEST(SuiteFile, UnreadableFilesAreErrors) {
    EXPECT_TRUE(Mentions(LoadSuiteFile("/nonexistent/x.suite").Errors, "no such suite file"));
    EXPECT_TRUE(Mentions(LoadSuiteFile("/").Errors, "not a file"));

    // An empty file is an empty suite: only the setup server, no stations.
    const std::string name =
        (std::filesystem::temp_directory_path() / ("qxsuite-" + std::to_string(::getpid())))
            .string();
    { std::ofstream(name).flush(); }
    const TSuiteLoad load = LoadSuiteFile(name);
    std::filesystem::remove(name);
    ASSERT_TRUE(load.Suite.has_value());
    EXPECT_TRUE(load.Suite->Stations.empty());
    EXPECT_EQ(std::get<std::string>(load.Suite->General[GeneralStations]), "");
    // The directories lie beside the file.
    EXPECT_EQ(std::get<std::string>(load.Suite->General[GeneralLogDirectory]),
              std::filesystem::temp_directory_path().string() + "/LOG/");
}

TEST(SuiteFile, MutatedSuitesNeverCrash) {
    std::ifstream in(QX_DEMO_SUITE, std::ios::binary);
    const std::string demo{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(demo.empty());
    std::uint32_t state = 12345;
    auto next = [&] { return state = state * 1664525u + 1013904223u; };
    using namespace std::string_literals;
    const std::string alphabet = "[]=.,:|;#\n\r\0 2-+e9xAZ"s;  // with a NUL
    for (int round = 0; round < 300; ++round) {
        std::string text = demo;
        for (int edits = 1 + static_cast<int>(next() % 8); edits > 0; --edits) {
            const std::size_t at = next() % text.size();
            switch (next() % 3) {
                case 0: text[at] = alphabet[next() % alphabet.size()]; break;
                case 1: text.erase(at, 1 + next() % 20); break;
                default: text.insert(at, 1 + next() % 3, alphabet[next() % alphabet.size()]); break;
            }
            if (text.empty()) text = "x";
        }
        const TSuiteLoad load = Parse(text);
        ASSERT_TRUE(load.Suite.has_value() != !load.Errors.empty()) << text;
    }
}

TEST(SuiteFile, BinaryGarbageDoesNotCrash) {
    std::string text;
    for (int i = 0; i < 4096; ++i) text += static_cast<char>((i * 7919) % 256);
    text += "\n[Station \x01\xff]\n[Sensor \x01\xff.\x80]\nGenerator=\xfe\n";
    const TSuiteLoad load = Parse(text);
    EXPECT_TRUE(load.Suite.has_value() || !load.Errors.empty());
}

}  // namespace
}  // namespace qx::suite
