// The suite's time scale: whole seconds since 1984-12-31 00:00:00 in a 32-bit
// signed count, 16-bit day numbers with 1985-01-01 = 1, and date-times as
// doubles counting days since 1899-12-30 with the time of day as fraction.
#pragma once

#include <cstdint>

namespace qx {

using TDateTime = double;

// 1984-12-31 00:00:00 as a date-time: the origin of the seconds count.
inline constexpr TDateTime ScaleOrigin = 31047.0;

struct TDateTimeParts {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    friend bool operator==(const TDateTimeParts&, const TDateTimeParts&) = default;
};

// Days so that 1985-01-01 is 1; 0 for any date before 1985 or for 0/0/0.
// Months above 13 carry into the year (13 stays: the whole year); days beyond
// the month's length run on into the next month. Truncated to 16 bits.
std::uint16_t DayNumber(int year, int month, int day);

// hour * 3600 + minute * 60 + second, no range checks, 32-bit wrap-around.
std::int32_t TimeOfDaySeconds(int hour, int minute, int second);

// DayNumber * 86400 + TimeOfDaySeconds, 32-bit wrap-around.
std::int32_t DateTimeSeconds(int year, int month, int day, int hour, int minute, int second);

// 1984-12-31 00:00:00 + seconds / 86400 days.
TDateTime SecondsToDateTime(std::int32_t seconds);

// (dateTime - 1984-12-31) * 86400 rounded to the nearest integer, ties to
// even; values outside the 32-bit range wrap as the count does, NaN gives 0.
std::int32_t DateTimeToSeconds(TDateTime dateTime);

// The current local date and time in seconds.
std::int32_t NowSeconds();

// Seconds split into calendar date and time of day.
TDateTimeParts SplitSeconds(std::int32_t seconds);

// Calendar conversions of date-times (proleptic Gregorian). DecodeDateTime
// rounds to the nearest second.
TDateTimeParts DecodeDateTime(TDateTime dateTime);
TDateTime EncodeDateTime(const TDateTimeParts& parts);

// ISO weekday of a date-time: 1 = Monday ... 7 = Sunday.
int DayOfTheWeek(TDateTime dateTime);

}  // namespace qx
