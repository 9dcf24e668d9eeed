#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>

#include "textscan/Regional.h"
#include "textscan/TimeScale.h"

namespace qx {
namespace {

struct DayNumberCase {
    int Year, Month, Day;
    int Expected;
};

TEST(TimeScale, DayNumber) {
    const DayNumberCase cases[] = {
        {1985, 1, 1, 1},
        {1984, 12, 31, 0},
        {0, 0, 0, 0},
        {1900, 6, 1, 0},
        {2000, 3, 1, 5539},  // leap day of 2000 counted
        {2009, 5, 12, 8898},
        {2009, 13, 1, DayNumber(2010, 1, 1)},
        {2009, 14, 1, DayNumber(2010, 2, 1)},
        {2009, 25, 1, DayNumber(2010, 13, 1)},
        {2009, 26, 1, DayNumber(2011, 2, 1)},
        {2009, -1, 1, DayNumber(2008, 11, 1)},
        {2009, -12, 1, DayNumber(2008, 0, 1)},
        {2009, 1, 32, DayNumber(2009, 2, 1)},  // days run on
        {2008, 2, 30, DayNumber(2008, 3, 1)},
        {2100, 3, 1, 42063},  // 2100 is no leap year
        {2165, 1, 1, 209},    // truncated to 16 bits
        {2009, INT_MAX, 1, DayNumber(178958979, 7, 1)},
        {2009, INT_MIN, 1, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DayNumber(c.Year, c.Month, c.Day), c.Expected)
            << c.Year << "-" << c.Month << "-" << c.Day;
    }
    EXPECT_EQ(DayNumber(2100, 3, 1) - DayNumber(2100, 2, 28), 1);
    EXPECT_EQ(DayNumber(2000, 3, 1) - DayNumber(2000, 2, 28), 2);
}

TEST(TimeScale, SecondsWrapWithoutOverflow) {
    struct Case {
        std::int32_t Actual, Expected;
    };
    const Case cases[] = {
        {DateTimeSeconds(2009, 5, 12, 10, 15, 0), 768824100},
        {DateTimeSeconds(2053, 1, 18, 3, 14, 7), INT32_MAX},
        {DateTimeSeconds(2053, 1, 18, 3, 14, 8), INT32_MIN},
        {TimeOfDaySeconds(-1, 30, 0), -1800},
        {TimeOfDaySeconds(596524, 0, 0), -2147480896},  // 2147486400 wrapped
        {TimeOfDaySeconds(INT_MAX, INT_MAX, INT_MAX),
         static_cast<std::int32_t>(static_cast<std::uint32_t>(INT_MAX) * 3661u)},
    };
    for (const auto& c : cases) EXPECT_EQ(c.Actual, c.Expected);
}

TEST(TimeScale, SecondsToDateTime) {
    EXPECT_EQ(SecondsToDateTime(0), 31047.0);
    EXPECT_EQ(SecondsToDateTime(86400), 31048.0);
    EXPECT_EQ(SecondsToDateTime(43200), 31047.5);
    EXPECT_EQ(SecondsToDateTime(-86400), 31046.0);
}

TEST(TimeScale, DateTimeToSecondsRoundsHalfToEven) {
    struct Case {
        double DateTime;
        std::int32_t Expected;
    };
    // k/256 of a day is exactly k * 337.5 seconds.
    const Case cases[] = {
        {ScaleOrigin + 1.0 / 256, 338},
        {ScaleOrigin + 3.0 / 256, 1012},
        {ScaleOrigin + 5.0 / 256, 1688},
        {ScaleOrigin - 1.0 / 256, -338},
        {ScaleOrigin - 3.0 / 256, -1012},
        {ScaleOrigin, 0},
        {std::nan(""), 0},
        {std::numeric_limits<double>::infinity(), 0},
        {-std::numeric_limits<double>::infinity(), 0},
        {SecondsToDateTime(INT32_MAX) + 1.0 / 86400, INT32_MIN},  // wraps as the count does
        {SecondsToDateTime(INT32_MIN) - 1.0 / 86400, INT32_MAX},
        {1e300, 0},  // a multiple of 2^32 seconds
    };
    for (const auto& c : cases) EXPECT_EQ(DateTimeToSeconds(c.DateTime), c.Expected) << c.DateTime;
}

TEST(TimeScale, SecondsRoundTripThroughDateTime) {
    for (std::int64_t s = INT32_MIN; s <= INT32_MAX; s += 9973) {
        const auto seconds = static_cast<std::int32_t>(s);
        ASSERT_EQ(DateTimeToSeconds(SecondsToDateTime(seconds)), seconds);
    }
    for (std::int32_t seconds : {INT32_MIN, INT32_MIN + 1, -1, 0, 1, INT32_MAX - 1, INT32_MAX}) {
        EXPECT_EQ(DateTimeToSeconds(SecondsToDateTime(seconds)), seconds);
    }
}

TEST(TimeScale, SplitSeconds) {
    struct Case {
        std::int32_t Seconds;
        TDateTimeParts Expected;
    };
    const Case cases[] = {
        {0, {1984, 12, 31, 0, 0, 0}},
        {86400, {1985, 1, 1, 0, 0, 0}},
        {768824100, {2009, 5, 12, 10, 15, 0}},
        {INT32_MAX, {2053, 1, 18, 3, 14, 7}},
        {-1, {1984, 12, 31, 0, 0, -1}},  // truncating division keeps the sign in the time
        {-86400 - 3661, {1984, 12, 30, -1, -1, -1}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitSeconds(c.Seconds), c.Expected) << c.Seconds;
}

TEST(TimeScale, SplitSecondsRoundTrip) {
    for (std::int64_t s = 0; s <= INT32_MAX; s += 7919 * 3) {
        const auto seconds = static_cast<std::int32_t>(s);
        const TDateTimeParts p = SplitSeconds(seconds);
        ASSERT_EQ(DateTimeSeconds(p.Year, p.Month, p.Day, p.Hour, p.Minute, p.Second), seconds)
            << s;
    }
}

TEST(TimeScale, DecodeDateTime) {
    struct Case {
        double DateTime;
        TDateTimeParts Expected;
    };
    const Case cases[] = {
        {0.0, {1899, 12, 30, 0, 0, 0}},
        {2.0, {1900, 1, 1, 0, 0, 0}},
        {31047.0, {1984, 12, 31, 0, 0, 0}},
        {36526.5, {2000, 1, 1, 12, 0, 0}},
        {36526.0 + 0.9999999, {2000, 1, 2, 0, 0, 0}},  // rounds up into the next day
        {-1.25, {1899, 12, 29, 6, 0, 0}},              // fraction away from zero
        {-0.5, {1899, 12, 30, 12, 0, 0}},
        {std::nan(""), {1899, 12, 30, 0, 0, 0}},
        {1e300, {9999, 12, 31, 23, 59, 59}},
        {-1e300, {1, 1, 1, 23, 59, 59}},
        {2958465.9999999, {9999, 12, 31, 23, 59, 59}},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeDateTime(c.DateTime), c.Expected) << c.DateTime;
}

TEST(TimeScale, EncodeDateTime) {
    struct Case {
        TDateTimeParts Parts;
        double Expected;
    };
    const Case cases[] = {
        {{1899, 12, 30, 0, 0, 0}, 0.0},
        {{1984, 12, 31, 0, 0, 0}, 31047.0},
        {{2000, 1, 1, 12, 0, 0}, 36526.5},
        {{1899, 12, 29, 6, 0, 0}, -1.25},
        {{1999, 13, 1, 0, 0, 0}, 36526.0},  // month 13 = next January
        {{1999, 12, 31, 36, 0, 0}, 36526.5},
        {{1, 1, 1, 0, 0, 0}, -693593.0},
        {{-5, 1, 1, 0, 0, 0}, -693593.0},  // clamped
        {{INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX}, 2958465.0 + 86399.0 / 86400},
    };
    for (const auto& c : cases) EXPECT_EQ(EncodeDateTime(c.Parts), c.Expected) << c.Expected;

    for (double dateTime = -40000.25; dateTime < 80000.0; dateTime += 17.125) {
        ASSERT_EQ(EncodeDateTime(DecodeDateTime(dateTime)), dateTime);
    }
}

TEST(TimeScale, DayOfTheWeek) {
    struct Case {
        double DateTime;
        int Expected;
    };
    const Case cases[] = {
        {0.0, 6}, {2.0, 1}, {31047.0, 1}, {31047.99, 1}, {39946.5, 3}, {-1.25, 5}, {-7.0, 6},
    };
    for (const auto& c : cases) EXPECT_EQ(DayOfTheWeek(c.DateTime), c.Expected) << c.DateTime;
}

TEST(TimeScale, NowIsPlausible) {
    const TDateTimeParts now = SplitSeconds(NowSeconds());
    EXPECT_GE(now.Year, 2020);
    EXPECT_LE(now.Year, 2053);
}

TEST(Regional, PatternsFollowSeparators) {
    const TDatePatterns p = BuildDatePatterns('.', '-');
    EXPECT_EQ(p.TimePattern, "%w-%w-%w");
    EXPECT_EQ(p.DatePattern, "%w.%w.%w");
    EXPECT_EQ(p.DateTimePattern, "%w.%w.%w %w-%w-%w");
    EXPECT_EQ(p.TimeOutPattern, "%02w-%02w-%02w");
    EXPECT_EQ(p.DateOutPattern, "%02w.%02w.%04w");
    EXPECT_EQ(p.DateTimeOutPattern, "%02w.%02w.%04w %02w-%02w-%02w");
    // A "%" separator must stay a literal.
    EXPECT_EQ(BuildDatePatterns('%', ':').DatePattern, "%w%%%w%%%w");
}

TEST(Regional, ScopedSettingsRestore) {
    EXPECT_EQ(Regional().DateSeparator, '/');
    EXPECT_EQ(DatePatterns().DateTimePattern, "%w/%w/%w %w:%w:%w");
    {
        ScopedRegional pin('.', '.');
        EXPECT_EQ(Regional().DateSeparator, '.');
        EXPECT_EQ(DatePatterns().TimePattern, "%w.%w.%w");
        {
            TRegionalSettings other;
            other.DateSeparator = '-';
            ScopedRegional inner(other);
            EXPECT_EQ(DatePatterns().DatePattern, "%w-%w-%w");
        }
        EXPECT_EQ(DatePatterns().DatePattern, "%w.%w.%w");
    }
    EXPECT_EQ(Regional().TimeSeparator, ':');
    EXPECT_EQ(DatePatterns().TimeOutPattern, "%02w:%02w:%02w");
}

}  // namespace
}  // namespace qx
