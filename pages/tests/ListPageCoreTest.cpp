#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <vector>

#include "pages/ListPageCore.h"
#include "readings/ListPageServers.h"
#include "textscan/Regional.h"

namespace qx {
namespace {

// 2009-05-12 10:15:00 and 2008-12-31 23:59:59.
const TDateTime kMay12 = EncodeDateTime({2009, 5, 12, 10, 15, 0});
const TDateTime kDec31 = EncodeDateTime({2008, 12, 31, 23, 59, 59});

SensorReading Reading(const char* station, const char* sensor, const char* value,
                      TDateTime time = kMay12) {
    return SensorReading{station, sensor, "$REALTIME", time, value};
}

// Each row as "station|sensor|time|value|alarm".
std::vector<std::string> Rows(const TListPageCore& core) {
    std::vector<std::string> rows;
    for (int i = 0; i < core.RowCount(); ++i) {
        const TListRow& r = core.Row(i);
        rows.push_back(r.Station + "|" + r.Sensor + "|" + r.Time + "|" + r.Value + "|" + r.Alarm);
    }
    return rows;
}

using Lines = std::vector<std::string>;

class ListPageCoreTest : public ::testing::Test {
protected:
    ScopedRegional regional_{'/', ':'};
    TListPageCore core_;
};

TEST_F(ListPageCoreTest, ReadingsReachEveryMatchingRowIgnoringAsciiCase) {
    core_.AddSensor("ST1", "AIR");
    core_.AddSensor("ST2", "AIR");
    core_.AddSensor("st1", "air");  // the same pair twice, as a workspace may list it
    EXPECT_TRUE(core_.HasSensor("St1", "aIr"));
    EXPECT_FALSE(core_.HasSensor("ST1", "AIR2"));

    EXPECT_EQ(core_.ShowReading(Reading("st1", "AIR", "12.5")), 2);
    EXPECT_EQ(core_.ShowReading(Reading("ST3", "AIR", "1")), 0);  // no row: nothing changes
    EXPECT_EQ(Rows(core_), (Lines{"ST1|AIR|05/12/2009 10:15:00|12.5|", "ST2|AIR|||",
                                  "st1|air|05/12/2009 10:15:00|12.5|"}));

    // An alarm value leaves time and value; a normal reading clears the alarm.
    EXPECT_EQ(core_.ShowSecondaryReading(Reading("ST1", "AIR", "HI", kDec31)), 2);
    EXPECT_EQ(core_.Row(0).Text(ColAlarm), "HI");
    EXPECT_EQ(core_.Row(0).Text(ColTimeTag), "05/12/2009 10:15:00");
    core_.ShowReading(Reading("ST1", "AIR", "13", kDec31));
    EXPECT_EQ(Rows(core_)[0], "ST1|AIR|12/31/2008 23:59:59|13|");
}

TEST_F(ListPageCoreTest, TimeTextUsesTheRegionalSeparators) {
    ScopedRegional dots('.', '-');
    EXPECT_EQ(FormatListTime(kMay12), "05.12.2009 10-15-00");
    EXPECT_EQ(FormatListTime(EncodeDateTime({985, 1, 2, 3, 4, 5})), "01.02.0985 03-04-05");
}

TEST_F(ListPageCoreTest, PauseHoldsUpdatesAndResumeAppliesThem) {
    core_.AddSensor("ST1", "A");  // reading then alarm
    core_.AddSensor("ST1", "B");  // alarm only: keeps its earlier time and value
    core_.AddSensor("ST1", "C");  // alarm then reading: the reading clears the alarm
    core_.AddSensor("ST1", "D");  // nothing arrives
    for (const char* s : {"A", "B", "C", "D"}) core_.ShowReading(Reading("ST1", s, "1", kDec31));

    EXPECT_TRUE(core_.TogglePause());
    EXPECT_EQ(core_.ShowReading(Reading("ST1", "A", "2")), 0);
    core_.ShowSecondaryReading(Reading("ST1", "A", "HI"));
    core_.ShowSecondaryReading(Reading("ST1", "B", "LO"));
    core_.ShowSecondaryReading(Reading("ST1", "C", "HI"));
    core_.ShowReading(Reading("ST1", "C", "3"));
    const Lines before = {"ST1|A|12/31/2008 23:59:59|1|", "ST1|B|12/31/2008 23:59:59|1|",
                          "ST1|C|12/31/2008 23:59:59|1|", "ST1|D|12/31/2008 23:59:59|1|"};
    EXPECT_EQ(Rows(core_), before);
    EXPECT_FALSE(core_.Row(3).Holding.has_value());

    EXPECT_FALSE(core_.TogglePause());
    EXPECT_EQ(Rows(core_),
              (Lines{"ST1|A|05/12/2009 10:15:00|2|HI", "ST1|B|12/31/2008 23:59:59|1|LO",
                     "ST1|C|05/12/2009 10:15:00|3|", before[3]}));
    for (int i = 0; i < core_.RowCount(); ++i) EXPECT_FALSE(core_.Row(i).Holding.has_value());
}

TEST_F(ListPageCoreTest, RemovingWhilePausedDropsEveryHeldValue) {
    for (const char* s : {"A", "B", "C", "D"}) core_.AddSensor("ST1", s);
    core_.TogglePause();
    for (const char* s : {"A", "B", "C", "D"}) core_.ShowReading(Reading("ST1", s, "9"));
    const int selected[] = {2, 0, 2, 7, -1};  // any order, duplicates and stray rows ignored
    core_.RemoveSensors(selected);
    core_.TogglePause();
    EXPECT_EQ(Rows(core_), (Lines{"ST1|B|||", "ST1|D|||"}));

    // The index follows the rows that moved up.
    EXPECT_FALSE(core_.HasSensor("ST1", "A"));
    core_.ShowReading(Reading("ST1", "D", "4"));
    EXPECT_EQ(core_.Row(1).Value, "4");
    EXPECT_EQ(core_.Row(0).Value, "");
}

TEST_F(ListPageCoreTest, DirtyRangeCoversChangedRowsOnce) {
    for (const char* s : {"A", "B", "C", "D", "E"}) core_.AddSensor("ST1", s);
    int first = -1, last = -1;
    EXPECT_FALSE(core_.TakeDirtyRange(first, last));
    core_.ShowReading(Reading("ST1", "D", "1"));
    core_.ShowSecondaryReading(Reading("ST1", "B", "1"));
    ASSERT_TRUE(core_.TakeDirtyRange(first, last));
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, 3);
    EXPECT_FALSE(core_.TakeDirtyRange(first, last));
}

// --- Rows of a server that went away ----------------------------------------

SensorReading From(TReadingServer server, const char* sensor, const char* value) {
    SensorReading r = Reading("ST1", sensor, value);
    r.Server = server;
    return r;
}

// The sensors of the rows marked stale, in row order.
std::string StaleRows(const TListPageCore& core) {
    std::string stale;
    for (int i = 0; i < core.RowCount(); ++i) {
        if (core.Row(i).Stale) stale += core.Row(i).Sensor;
    }
    return stale;
}

TEST_F(ListPageCoreTest, RowsLastFedByALostServerAreStaleUntilTheirNextReading) {
    for (const char* s : {"A", "B", "C", "D", "E"}) core_.AddSensor("ST1", s);
    core_.ShowReading(From(TReadingServer::Rtu, "A", "1"));
    core_.ShowReading(From(TReadingServer::Decode, "B", "2"));
    core_.ShowReading(From(TReadingServer::Decode, "C", "3"));
    core_.ShowReading(From(TReadingServer::Rtu, "C", "4"));   // the last reading counts
    core_.ShowReading(From(TReadingServer::None, "D", "5"));  // a test reading
    int first = -1, last = -1;
    core_.TakeDirtyRange(first, last);
    EXPECT_FALSE(core_.TakeRestyledRange(first, last));

    EXPECT_EQ(core_.MarkStale(TReadingServer::Rtu), 2);
    EXPECT_EQ(StaleRows(core_), "AC");
    EXPECT_EQ(core_.MarkStale(TReadingServer::Rtu), 0);  // already stale
    EXPECT_EQ(core_.MarkStale(TReadingServer::None), 0);
    EXPECT_EQ(core_.MarkStale(TReadingServer::ZOViz), 0);
    ASSERT_TRUE(core_.TakeRestyledRange(first, last));
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 2);
    // Only the style changed, not the reading's columns.
    EXPECT_FALSE(core_.TakeDirtyRange(first, last));

    // An alarm value is no new reading; the next reading is, from any server.
    core_.ShowSecondaryReading(From(TReadingServer::Rtu, "A", "HI"));
    EXPECT_EQ(StaleRows(core_), "AC");
    core_.ShowReading(From(TReadingServer::Decode, "C", "6"));
    EXPECT_EQ(StaleRows(core_), "A");
    ASSERT_TRUE(core_.TakeRestyledRange(first, last));
    EXPECT_EQ(first, 2);
    EXPECT_EQ(last, 2);
    EXPECT_EQ(core_.MarkStale(TReadingServer::Decode), 2);
    EXPECT_EQ(StaleRows(core_), "ABC");
}

TEST_F(ListPageCoreTest, APausedRowTakesTheStaleMarkOfWhatItHeld) {
    for (const char* s : {"A", "B", "C"}) core_.AddSensor("ST1", s);
    for (const char* s : {"A", "B", "C"}) core_.ShowReading(From(TReadingServer::Rtu, s, "1"));
    core_.TogglePause();
    core_.ShowReading(From(TReadingServer::Rtu, "A", "2"));  // held before the loss
    core_.MarkStale(TReadingServer::Rtu);
    core_.ShowReading(From(TReadingServer::Rtu, "B", "3"));  // held after the server returned
    // What the paused page shows is all from before the loss.
    EXPECT_EQ(StaleRows(core_), "ABC");
    int first = -1, last = -1;
    core_.TakeRestyledRange(first, last);

    core_.TogglePause();
    EXPECT_EQ(StaleRows(core_), "AC");
    EXPECT_EQ(core_.Row(0).Value, "2");
    EXPECT_EQ(core_.Row(1).Value, "3");
    ASSERT_TRUE(core_.TakeRestyledRange(first, last));
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, 1);
}

TEST_F(ListPageCoreTest, SortsPerColumnAndAlternatesDirection) {
    struct RowData {
        const char* station;
        const char* value;
        TDateTime time;
    } data[] = {{"B", "10", kMay12},
                {"C", "", kDec31},
                {"A", "-2", kDec31},
                {"D", "0", kMay12},
                {"E", "x", kMay12}};
    for (const RowData& d : data) {
        core_.AddSensor(d.station, "S");
        core_.ShowReading(Reading(d.station, "S", d.value, d.time));
    }
    auto stations = [this] {
        std::string s;
        for (int i = 0; i < core_.RowCount(); ++i) s += core_.Row(i).Station;
        return s;
    };

    // Value: numeric, empty and unconvertible count as 0 and keep their order.
    EXPECT_EQ(core_.SortByColumn(ColValue), (std::vector<int>{2, 1, 3, 4, 0}));
    EXPECT_EQ(stations(), "ACDEB");
    EXPECT_TRUE(core_.SortDescendingNext(ColValue));
    core_.SortByColumn(ColValue);
    EXPECT_EQ(stations(), "BCDEA");

    // TimeTag compares as text, month first: 05/12/2009 before 12/31/2008.
    EXPECT_FALSE(core_.SortDescendingNext(ColTimeTag));
    core_.SortByColumn(ColTimeTag);
    EXPECT_EQ(stations(), "BDECA");

    core_.SortByColumn(ColStationID);
    EXPECT_EQ(stations(), "ABCDE");
    core_.SortByColumn(ColStationID);
    EXPECT_EQ(stations(), "EDCBA");

    // The index follows the sort.
    core_.ShowReading(Reading("A", "S", "77"));
    EXPECT_EQ(core_.Row(4).Value, "77");
}

TEST_F(ListPageCoreTest, TextIsTabSeparatedWithTheHeaderFirst) {
    EXPECT_EQ(core_.Text("\r\n", true), "StationID\tSensorName\tTimeTag\tValue\tAlarm\r\n");
    core_.AddSensor("ST1", "AIR");
    core_.AddSensor("ST2", "W");
    core_.ShowReading(Reading("ST1", "AIR", "12.5"));
    core_.ShowSecondaryReading(Reading("ST2", "W", "HI"));
    EXPECT_EQ(core_.Text("\r\n", false),
              "StationID\tSensorName\tTimeTag\tValue\tAlarm\r\n"
              "ST1\tAIR\t05/12/2009 10:15:00\t12.5\t\r\n"
              "ST2\tW\t\t\tHI");
    EXPECT_EQ(core_.WorkspaceKeys(), (Lines{"ST1,AIR", "ST2,W"}));
}

// --- Loading keys and fetching current values -------------------------------

class FakeServers : public IListPageServers {
public:
    bool rtuEnabled = true, rtuConnected = true, decodeEnabled = true, decodeConnected = true;
    std::map<std::string, std::string> answers;  // request -> answer
    bool fail = false;
    bool raise = false;
    std::vector<std::string> requests;  // "rtu:REQUEST" / "decode:REQUEST"

    bool ServerEnabled(TCurrentDataServer s) const override {
        return s == TCurrentDataServer::Rtu ? rtuEnabled : decodeEnabled;
    }
    bool ServerConnected(TCurrentDataServer s) const override {
        return s == TCurrentDataServer::Rtu ? rtuConnected : decodeConnected;
    }
    bool QueryCurrentData(TCurrentDataServer s, const std::string& request,
                          std::string& answer) override {
        requests.push_back((s == TCurrentDataServer::Rtu ? "rtu:" : "decode:") + request);
        if (raise) throw std::runtime_error("link down");
        answer = fail ? "05/12/2009 10:15:00,ST1.AIR,1" : answers[request];
        return !fail;
    }
};

// A page over the core, as the widget forwards to it; records the fetches.
class CorePage : public TWatchTab {
public:
    TListPageCore core;
    std::vector<std::string> shown;
    void AddSensor(const std::string& st, const std::string& se) override {
        core.AddSensor(st, se);
    }
    void ShowReading(const SensorReading& r) override {
        shown.push_back("reading " + r.Station + "." + r.Sensor + "=" + r.Value + " " + r.Source);
        core.ShowReading(r);
    }
    void ShowSecondaryReading(const SensorReading& r) override {
        shown.push_back("alarm " + r.Station + "." + r.Sensor + "=" + r.Value + " " + r.Source);
        core.ShowSecondaryReading(r);
    }
};

TEST(ListPageLoad, ChoosesRtuThenDecodeAndNeverAnotherServer) {
    struct Case {
        bool rtuEnabled, rtuConnected, decodeEnabled, decodeConnected;
        const char* asked;  // "" when skipped
    } cases[] = {
        {true, true, true, true, "rtu:ST1.$REALTIME"},
        {true, false, true, true, "decode:ST1.$REALTIME"},
        {false, true, true, true, "decode:ST1.$REALTIME"},
        {false, true, true, false, ""},
        {false, false, false, true, ""},
    };
    for (const Case& c : cases) {
        FakeServers servers;
        servers.rtuEnabled = c.rtuEnabled;
        servers.rtuConnected = c.rtuConnected;
        servers.decodeEnabled = c.decodeEnabled;
        servers.decodeConnected = c.decodeConnected;
        CorePage page;
        LoadListPageKeys(page, &servers, {"ST1,AIR"});
        EXPECT_EQ(servers.requests, c.asked[0] ? Lines{c.asked} : Lines{}) << c.asked;
        EXPECT_EQ(page.core.RowCount(), 1);
    }
}

TEST(ListPageLoad, SplitsKeysAndShowsOnlyTheKeysSensor) {
    ScopedRegional regional('/', ':');
    FakeServers servers;
    servers.answers["ST1.$REALTIME"] =
        "05/12/2009 10:15:00,ST1.WIND,3,ST1.AIR:2,HI,ST1.air,9,ST1.AIR,12.5,ST1.WIND:2,X";
    // A NUL inside the answer is stepped over.
    servers.answers["ST2.$REALTIME"] = std::string("05/12/2009 10:15:00,ST2.X,1,\0ST2.X:2,LO", 39);
    servers.answers["ST3.$REALTIME"] = "not a time,ST3.A,1";
    CorePage page;
    LoadListPageKeys(page, &servers, {"ST1,AIR", "ST2,X", "ST3,A", "ST4", "ST5,B,C"});

    EXPECT_EQ(page.shown, (Lines{"alarm ST1.AIR=HI ?", "reading ST1.AIR=12.5 ?",
                                 "reading ST2.X=1 ?", "alarm ST2.X=LO ?"}));
    EXPECT_EQ(Rows(page.core),
              (Lines{"ST1|AIR|05/12/2009 10:15:00|12.5|", "ST2|X|05/12/2009 10:15:00|1|LO",
                     "ST3|A|||", "ST4||||", "ST5|B|||"}));
}

// The answer holds the whole station: one request per station and load, and
// each row still gets exactly its sensor's records.
TEST(ListPageLoad, AsksEachStationOncePerLoad) {
    ScopedRegional regional('/', ':');
    FakeServers servers;
    servers.answers["ST1.$REALTIME"] = "05/12/2009 10:15:00,ST1.A,1,ST1.B,2,ST1.A:2,HI";
    servers.answers["ST2.$REALTIME"] = "05/12/2009 10:15:00,ST2.C,3";
    CorePage page;
    LoadListPageKeys(page, &servers, {"ST1,A", "ST2,C", "ST1,B", "ST1,A", "ST1,Z"});
    EXPECT_EQ(servers.requests, (Lines{"rtu:ST1.$REALTIME", "rtu:ST2.$REALTIME"}));
    EXPECT_EQ(page.shown, (Lines{"reading ST1.A=1 ?", "alarm ST1.A=HI ?", "reading ST2.C=3 ?",
                                 "reading ST1.B=2 ?", "reading ST1.A=1 ?", "alarm ST1.A=HI ?"}));
    LoadListPageKeys(page, &servers, {"ST1,B"});  // a new load asks again
    EXPECT_EQ(servers.requests.size(), 3u);
}

TEST(ListPageLoad, AFetchedValueGoesStaleWithTheServerThatAnswered) {
    for (const bool rtu : {true, false}) {
        FakeServers servers;
        servers.rtuConnected = rtu;
        servers.answers["ST1.$REALTIME"] = "05/12/2009 10:15:00,ST1.AIR,12.5";
        CorePage page;
        LoadListPageKeys(page, &servers, {"ST1,AIR"});
        const TReadingServer answered = rtu ? TReadingServer::Rtu : TReadingServer::Decode;
        const TReadingServer other = rtu ? TReadingServer::Decode : TReadingServer::Rtu;
        EXPECT_EQ(page.core.MarkStale(other), 0) << rtu;
        EXPECT_EQ(page.core.MarkStale(answered), 1) << rtu;
    }
}

TEST(ListPageLoad, AFailedFetchLeavesTheRowEmptyAndGoesOn) {
    for (const bool raise : {false, true}) {
        FakeServers servers;
        servers.fail = !raise;
        servers.raise = raise;
        CorePage page;
        LoadListPageKeys(page, &servers, {"ST1,AIR", "ST2,B"});
        EXPECT_EQ(Rows(page.core), (Lines{"ST1|AIR|||", "ST2|B|||"})) << raise;
        EXPECT_EQ(servers.requests.size(), 2u);
    }
    CorePage page;
    LoadListPageKeys(page, nullptr, {"ST1,AIR"});
    EXPECT_EQ(page.core.RowCount(), 1);
}

}  // namespace
}  // namespace qx
