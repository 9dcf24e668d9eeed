#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "readings/DataRecords.h"
#include "readings/PageVector.h"
#include "readings/SensorReading.h"
#include "textscan/Regional.h"
#include "textscan/ScanFormatted.h"

namespace qx {
namespace {

TEST(ReadingValueNumber, ConvertsWithTheRegionalDecimalSeparator) {
    struct Case {
        char separator;
        const char* text;
        double number;
    } cases[] = {
        {'.', "12.5", 12.5}, {'.', " -3 ", -3}, {'.', "+1e3", 1000}, {'.', ".5", 0.5},
        {'.', "", 0},        {'.', "abc", 0},   {'.', "1,5", 0},     {',', "1,5", 1.5},
        {',', "1.5", 0},     {'.', "nan", 0},   {'.', "inf", 0},     {'.', "1e999", 0},
        {'.', "1e", 0},      {'.', "-", 0},     {'.', "12.5x", 0},
    };
    for (const Case& c : cases) {
        TRegionalSettings settings;
        settings.DecimalSeparator = c.separator;
        ScopedRegional regional(settings);
        EXPECT_EQ(ReadingValueNumber(c.text), c.number) << c.separator << " " << c.text;
    }
}

// Each delivered record as "station|sensor|value".
std::vector<std::string> Records(std::string_view text, bool* timeScanned = nullptr) {
    std::vector<std::string> records;
    SensorReading reading;
    reading.Source = "$REALTIME";
    const bool ok = ForEachDataRecord(text, reading, [&](SensorReading& r) {
        EXPECT_EQ(r.Source, "$REALTIME");
        records.push_back(r.Station + "|" + r.Sensor + "|" + r.Value);
        r.Sensor = "CHANGED";  // the next record is scanned afresh
    });
    if (timeScanned) *timeScanned = ok;
    return records;
}

TEST(ForEachDataRecord, WalksTheRecordsAfterTheLeadingTime) {
    ScopedRegional regional('/', ':');
    struct Case {
        std::string text;
        bool timeScanned;
        std::vector<std::string> records;
    } cases[] = {
        {"05/12/2009 10:15:00,ST1.AIR,12.5,ST2.X,1", true, {"ST1|AIR|12.5", "ST2|X|1"}},
        {"05/12/2009 10:15:00,ST1.AIR:2,HIGH", true, {"ST1|AIR:2|HIGH"}},
        {"05/12/2009 10:15:00", true, {}},
        {"05/12/2009 10:15:00,NODOT", true, {"NODOT||"}},
        {"garbage,ST1.AIR,12.5", false, {}},
        {"", false, {}},
        // A NUL ends the record it is in; the walk steps over it and goes on.
        {std::string("05/12/2009 10:15:00,ST1.A\0IR,1,ST2.B,2", 38),
         true,
         {"ST1|A|", "IR,1,ST2|B|2"}},
    };
    for (const Case& c : cases) {
        bool timeScanned = false;
        EXPECT_EQ(Records(c.text, &timeScanned), c.records) << c.text;
        EXPECT_EQ(timeScanned, c.timeScanned) << c.text;
    }
}

TEST(ForEachDataRecord, GivesEveryRecordTheMessageTime) {
    ScopedRegional regional('/', ':');
    SensorReading reading;
    std::vector<TDateTime> times;
    ForEachDataRecord("05/12/2009 10:15:00,A.B,1,C.D,2", reading,
                      [&](SensorReading& r) { times.push_back(r.Time); });
    const TDateTime may12 = EncodeDateTime({2009, 5, 12, 10, 15, 0});
    EXPECT_EQ(times, (std::vector<TDateTime>{may12, may12}));
}

// The record scan does what the general scanner does with "%s.%P%P", on
// texts full of the characters that end fields.
TEST(ScanDataRecord, AgreesWithTheScannerOnRandomTexts) {
    std::mt19937 random(20261211);
    const char alphabet[] = {'A', 'b', '.', ',', ':', '2', '\0', '\r', '\n', ' ', '9', '"'};
    SensorReading fast;
    for (int round = 0; round < 20000; ++round) {
        std::string text(random() % 24, ' ');
        for (char& c : text) c = alphabet[random() % sizeof alphabet];
        const std::size_t cursor = text.empty() ? 0 : random() % (text.size() + 1);

        int position = static_cast<int>(cursor) + 1;
        std::string station = "old", sensor = "old", value = "old";
        ScanFormatted(text, position, "%s.%P%P", station, sensor, value);
        const std::size_t end = ScanDataRecord(text, cursor, fast);

        ASSERT_EQ(end + 1, static_cast<std::size_t>(position))
            << testing::PrintToString(text) << " at " << cursor;
        ASSERT_EQ(fast.Station, station) << testing::PrintToString(text) << " at " << cursor;
        ASSERT_EQ(fast.Sensor, sensor) << testing::PrintToString(text) << " at " << cursor;
        ASSERT_EQ(fast.Value, value) << testing::PrintToString(text) << " at " << cursor;
    }
}

TEST(SameName, IgnoresOnlyAsciiLetterCase) {
    EXPECT_TRUE(SameName("st1.air", "ST1.AIR"));
    EXPECT_FALSE(SameName("ST1", "ST1 "));
    EXPECT_FALSE(SameName("\xC3\xA9", "\xC3\x89"));  // é and É are different names
}

TEST(PageVector, AnswersNullOutsideItsPages) {
    struct Sink final : IReadingSink {
        void ShowReading(const SensorReading&) override {}
        void ShowSecondaryReading(const SensorReading&) override {}
    } a, b;
    TPageVector pages{&a, &b};
    EXPECT_EQ(pages.PageCount(), 2);
    EXPECT_EQ(pages.Page(1), &b);
    EXPECT_EQ(pages.Page(-1), nullptr);
    EXPECT_EQ(pages.Page(2), nullptr);
}

}  // namespace
}  // namespace qx
