#include <gtest/gtest.h>

#include "pages/TimeText.h"
#include "textscan/Regional.h"

namespace qx {
namespace {

TEST(TimeText, RangeCheckAcceptsCanonicalTimesOnly) {
    const struct {
        const char* text;
        bool ok;
    } cases[] = {
        {"00:00:00", true},  {"23:59:59", true},  {"99:59:59", true},  {"00:60:00", false},
        {"00:70:00", false}, {"00:00:60", false}, {"0:00:00", false},  {"00:00", false},
        {"ab:cd:ef", false}, {"", false},         {"-0:00:01", false},
    };
    for (const auto& c : cases) EXPECT_EQ(TimeRangeCheck(c.text), c.ok) << c.text;
    EXPECT_EQ(TimeNormalise("00:60:30", "x"), "01:00:30");
    EXPECT_EQ(TimeNormalise("word", "x"), "x");
}

TEST(TimeText, StepCarriesAndStopsAtTheEdges) {
    const struct {
        const char* text;
        int caret;
        int delta;
        bool accepted;
        const char* result;
        int selStart;
    } cases[] = {
        {"00:00:00", 7, -1, true, "00:00:00", 6},  // a field never goes below 0
        {"00:00:59", 6, +1, true, "00:01:00", 6},
        {"00:59:30", 3, +1, true, "01:00:30", 3},
        {"00:59:30", 5, +1, true, "01:00:30", 3},  // the caret after the run
        {"23:59:59", 0, +1, true, "24:59:59", 0},
        {"99:10:00", 1, +1, false, "", 0},  // three-digit hours refused
        {"99:59:59", 7, +1, false, "", 0},  // the carry reaches 100 hours
        {"10:00:00", 2, -1, true, "09:00:00", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const TTimeEdit e = StepTimeText(c.text, c.caret, c.delta, "00:00:00");
        EXPECT_EQ(e.accepted, c.accepted);
        if (!c.accepted) continue;
        EXPECT_EQ(e.text, c.result);
        EXPECT_EQ(e.selStart, c.selStart);
        EXPECT_EQ(e.selLength, 2);
    }
}

TEST(TimeText, PasteOverwritesAndIsChecked) {
    TTimeEdit e = PasteTimeText("00:00:00", 0, "12:34:56");
    ASSERT_TRUE(e.accepted);
    EXPECT_EQ(e.text, "12:34:56");
    e = PasteTimeText("00:00:00", 3, "45");
    ASSERT_TRUE(e.accepted);
    EXPECT_EQ(e.text, "00:45:00");
    EXPECT_EQ(e.selStart, 6);                // over the separator
    e = PasteTimeText("00:00:00", 3, "75");  // scans: put in canonical form
    ASSERT_TRUE(e.accepted);
    EXPECT_EQ(e.text, "01:15:00");
    EXPECT_FALSE(PasteTimeText("00:00:00", 0, "word").accepted);
    EXPECT_FALSE(PasteTimeText("00:00:00", 0, "123:00:00").accepted);  // too long for the box
}

TEST(TimeText, TimeTextToDays) {
    EXPECT_DOUBLE_EQ(*TimeTextToDays("12:00:00"), 0.5);
    EXPECT_DOUBLE_EQ(*TimeTextToDays("00:00:05"), 5.0 / 86400);
    EXPECT_DOUBLE_EQ(*TimeTextToDays("01:ab:30"), 1.0 / 24 + 30.0 / 86400);
    EXPECT_DOUBLE_EQ(*TimeTextToDays("01.02.03"), 1.0 / 24 + 2.0 / 1440 + 3.0 / 86400);
    EXPECT_FALSE(TimeTextToDays("24:00:00"));
    EXPECT_FALSE(TimeTextToDays("00:60:00"));
    EXPECT_FALSE(TimeTextToDays("00:00:60"));
    EXPECT_DOUBLE_EQ(*TimeTextToDays(""), 0);
}

TEST(TimeText, DaysToTimeTextDropsWholeDays) {
    EXPECT_EQ(DaysToTimeText(1.5), "12:00:00");
    EXPECT_EQ(DaysToTimeText(1 + 5.0 / 86400), "00:00:05");
    EXPECT_EQ(DaysToTimeText(1.0 / 24), "01:00:00");
    EXPECT_EQ(DaysToTimeText(1 - 0.0001 / 86400), "00:00:00");
    ScopedRegional dots('/', '.');
    EXPECT_EQ(DaysToTimeText(0.5), "12.00.00");
    EXPECT_EQ(ZeroTimeText(), "00.00.00");
}

TEST(TimeText, DaySpinWrapsOnlyAtItsEnds) {
    const struct {
        const char* text;
        bool up;
        const char* result;
    } cases[] = {
        {"0", true, "1"},     {"365", true, "0"},  {"0", false, "365"}, {"5", false, "4"},
        {"400", true, "401"}, {"-3", false, "-4"}, {" 7 ", true, "8"},
    };
    for (const auto& c : cases) EXPECT_EQ(StepDayText(c.text, c.up), c.result) << c.text;
    EXPECT_FALSE(StepDayText("abc", true));
    EXPECT_FALSE(StepDayText("", false));
}

TEST(TimeText, ShortestFloatTextUsesTheRegionalSeparator) {
    EXPECT_EQ(ShortestFloatText(0), "0");
    EXPECT_EQ(ShortestFloatText(0.1), "0.1");
    EXPECT_EQ(ShortestFloatText(-2.5), "-2.5");
    ScopedRegional comma(TRegionalSettings{'/', ':', ',', "MM/dd/yyyy", "HH:mm:ss"});
    EXPECT_EQ(ShortestFloatText(12.25), "12,25");
}

}  // namespace
}  // namespace qx
