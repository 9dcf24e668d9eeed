#include <gtest/gtest.h>

#include <cmath>

#include "suite/DataText.h"
#include "suite/Generator.h"
#include "textscan/Regional.h"
#include "textscan/TimeScale.h"

namespace qx::suite {
namespace {

TGeneratorSettings Settings(TGeneratorKind kind, double min, double max, double period) {
    TGeneratorSettings s;
    s.Kind = kind;
    s.Min = min;
    s.Max = max;
    s.Period = period;
    return s;
}

TEST(Generator, PeriodicKindsFollowTime) {
    struct Case {
        TGeneratorKind kind;
        double t;
        const char* text;
    };
    const Case cases[] = {
        {TGeneratorKind::Ramp, 0, "10.00"},   {TGeneratorKind::Ramp, 25, "15.00"},
        {TGeneratorKind::Ramp, 100, "10.00"}, {TGeneratorKind::Ramp, 175, "25.00"},
        {TGeneratorKind::Sine, 0, "20.00"},   {TGeneratorKind::Sine, 25, "30.00"},
        {TGeneratorKind::Sine, 75, "10.00"},  {TGeneratorKind::Sine, 100, "20.00"},
        {TGeneratorKind::Step, 0, "10.00"},   {TGeneratorKind::Step, 99.9, "10.00"},
        {TGeneratorKind::Step, 100, "30.00"}, {TGeneratorKind::Step, 250, "10.00"},
    };
    for (const Case& c : cases) {
        TGenerator g(Settings(c.kind, 10, 30, 100), 1);
        g.Advance(c.t);
        EXPECT_EQ(g.Text(), c.text) << static_cast<int>(c.kind) << " at " << c.t;
    }
}

TEST(Generator, ConstantAndTextValues) {
    TGeneratorSettings constant;
    constant.Value = -3.14159;
    constant.Decimals = 3;
    TGenerator c(constant, 1);
    c.Advance(1000);
    EXPECT_EQ(c.Text(), "-3.142");
    EXPECT_DOUBLE_EQ(c.Number(), -3.14159);

    TGeneratorSettings text = Settings(TGeneratorKind::Text, 0, 0, 10);
    text.Texts = {"STOPPED", "RUNNING", "FAULT"};
    TGenerator t(text, 1);
    EXPECT_EQ(t.Text(), "STOPPED");
    t.Advance(10);
    EXPECT_EQ(t.Text(), "RUNNING");
    t.Advance(35);
    EXPECT_EQ(t.Text(), "STOPPED");
    EXPECT_EQ(t.Number(), 0);
}

TEST(Generator, RandomWalkStaysInItsBoundsAndRepeatsWithItsSeed) {
    TGeneratorSettings walk = Settings(TGeneratorKind::Walk, 0, 10, 60);
    walk.Value = 9.5;
    walk.Step = 2;
    TGenerator a(walk, 7), b(walk, 7), other(walk, 8);
    EXPECT_EQ(a.Text(), "9.50");  // the first reading is the start value
    bool differs = false;
    for (int i = 1; i <= 500; ++i) {
        a.Advance(i);
        b.Advance(i);
        other.Advance(i);
        ASSERT_GE(a.Number(), 0);
        ASSERT_LE(a.Number(), 10);
        ASSERT_LE(std::fabs(a.Number() - std::stod(b.Text())), 0.005);
        differs = differs || a.Text() != other.Text();
    }
    EXPECT_TRUE(differs);
    // Start values outside the bounds are brought inside.
    walk.Value = 50;
    EXPECT_EQ(TGenerator(walk, 1).Text(), "10.00");
}

TEST(Generator, FormatRealIsLocaleFreeAndNeverNegativeZero) {
    EXPECT_EQ(FormatReal(12.345, 1), "12.3");
    EXPECT_EQ(FormatReal(-0.001, 2), "0.00");
    EXPECT_EQ(FormatReal(1480, 0), "1480");
    EXPECT_EQ(FormatReal(std::nan(""), 2), "0.00");
    EXPECT_EQ(FormatReal(2.5, 20), "2.500000000");  // at most 9 decimals
}

TEST(Generator, AlarmStateAgainstLimits) {
    TAlarmSettings alarm;
    alarm.On = true;
    alarm.High = 3;
    alarm.Low = 1;
    EXPECT_EQ(AlarmState(alarm, 3.01), "HIGH");
    EXPECT_EQ(AlarmState(alarm, 3), "OK");
    EXPECT_EQ(AlarmState(alarm, 0.99), "LOW");
    alarm.High.reset();
    EXPECT_EQ(AlarmState(alarm, 1e9), "OK");
}

TEST(Generator, SensorSeedIgnoresLetterCase) {
    EXPECT_EQ(SensorSeed(1, "wx1", "air"), SensorSeed(1, "WX1", "AIR"));
    EXPECT_NE(SensorSeed(1, "WX1", "AIR"), SensorSeed(2, "WX1", "AIR"));
    EXPECT_NE(SensorSeed(1, "WX1A", "IR"), SensorSeed(1, "WX1", "AIR"));
}

TEST(DataText, TimeThenRecordsWithRegionalSeparators) {
    const std::int32_t t = DateTimeSeconds(2009, 5, 12, 10, 15, 0);
    EXPECT_EQ(TDataText(t).Add("ST1", "AIR", "12.5").Add("ST1", "AIR:2", "OK").Text(),
              "05/12/2009 10:15:00,ST1.AIR,12.5,ST1.AIR:2,OK");
    EXPECT_EQ(TDataText(t).Text(), "05/12/2009 10:15:00");
    ScopedRegional regional('.', '-');
    EXPECT_EQ(TDataText(t).Add("A", "B", "1").Text(), "05.12.2009 10-15-00,A.B,1");
}

TEST(DataText, ValuesCannotSplitRecords) {
    EXPECT_EQ(TDataText(0).Add("A", "B", "1,2\r\n").Text(), "12/31/1984 00:00:00,A.B,1 2  ");
}

}  // namespace
}  // namespace qx::suite
