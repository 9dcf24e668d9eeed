#include "textscan/TimeScale.h"

#include <cmath>
#include <ctime>

namespace qx {

namespace {

constexpr std::int64_t SecondsPerDay = 86400;

// Days before each month of a non-leap year; index 13 is the whole year.
constexpr int DaysBeforeMonth[14] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};

// Date-time range handled by the calendar conversions: 0001-01-01 to
// 9999-12-31, both days included up to 23:59:59.
constexpr std::int64_t MinDateTimeDay = -693593;
constexpr std::int64_t MaxDateTimeDay = 2958465;

// Days from 1970-01-01 of a 1899-12-30 date-time zero.
constexpr std::int64_t DateTimeZeroEpochDay = -25569;

// Two's complement reduction to 32 bits (well defined since C++20).
std::int32_t Wrap32(std::int64_t value) {
    return static_cast<std::int32_t>(value);
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

bool IsLeapYear(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Leap years in 1 .. year - 1 (year >= 1).
std::int64_t LeapYearsBefore(std::int64_t year) {
    const std::int64_t y = year - 1;
    return y / 4 - y / 100 + y / 400;
}

// Days from 1970-01-01 of a proleptic Gregorian date; the day runs on
// linearly past the month's end (and backwards below 1).
std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
    const std::int64_t carry = FloorDiv(month - 1, 12);
    year += carry;
    month -= carry * 12;
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = FloorDiv(year, 400);
    const std::int64_t yoe = year - era * 400;
    const std::int64_t mp = (month + 9) % 12;
    const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct CivilDate {
    std::int64_t Year;
    int Month;
    int Day;
};

CivilDate CivilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = FloorDiv(days, 146097);
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

// A date-time as its day (days since 1899-12-30) and the second of that day,
// rounded to the nearest second. Negative date-times carry the time of day
// as a fraction away from zero (-1.25 is 1899-12-29 06:00). NaN counts as 0,
// values outside years 1..9999 are clamped.
struct DaySecond {
    std::int64_t Day;
    std::int64_t Second;
};

DaySecond SplitDateTime(TDateTime dateTime) {
    constexpr double lastSecond = 86399.0 / 86400.0;
    const double lowest = -(static_cast<double>(-MinDateTimeDay) + lastSecond);
    const double highest = static_cast<double>(MaxDateTimeDay) + lastSecond;
    if (std::isnan(dateTime)) dateTime = 0.0;
    if (dateTime < lowest) dateTime = lowest;
    if (dateTime > highest) dateTime = highest;

    const double whole = std::trunc(dateTime);
    const double fraction = std::fabs(dateTime - whole);
    DaySecond result{
        static_cast<std::int64_t>(whole),
        static_cast<std::int64_t>(std::llround(fraction * static_cast<double>(SecondsPerDay)))};
    if (result.Second >= SecondsPerDay) {
        // Rounded up to midnight: the next calendar day.
        result.Second -= SecondsPerDay;
        ++result.Day;
    }
    if (result.Day > MaxDateTimeDay) result = {MaxDateTimeDay, SecondsPerDay - 1};
    return result;
}

}  // namespace

std::uint16_t DayNumber(int year, int month, int day) {
    std::int64_t y = year;
    std::int64_t m = month;
    if (m > 13) {
        // Month 13 stays: its table entry is the whole year.
        const std::int64_t years = (m - 2) / 12;
        y += years;
        m -= years * 12;
    } else if (m < 0) {
        // Negative months borrow whole years.
        const std::int64_t years = (-m + 11) / 12;
        y -= years;
        m += years * 12;
    }
    if ((year == 0 && month == 0 && day == 0) || y < 1985) return 0;

    std::int64_t days = (y - 1985) * 365 + LeapYearsBefore(y) - LeapYearsBefore(1985);
    days += DaysBeforeMonth[m];
    if (m > 2 && IsLeapYear(y)) ++days;
    days += day;
    return static_cast<std::uint16_t>(days);
}

std::int32_t TimeOfDaySeconds(int hour, int minute, int second) {
    return Wrap32(static_cast<std::int64_t>(hour) * 3600 + static_cast<std::int64_t>(minute) * 60 +
                  second);
}

std::int32_t DateTimeSeconds(int year, int month, int day, int hour, int minute, int second) {
    return Wrap32(static_cast<std::int64_t>(DayNumber(year, month, day)) * SecondsPerDay +
                  TimeOfDaySeconds(hour, minute, second));
}

TDateTime SecondsToDateTime(std::int32_t seconds) {
    return ScaleOrigin + static_cast<double>(seconds) / static_cast<double>(SecondsPerDay);
}

std::int32_t DateTimeToSeconds(TDateTime dateTime) {
    const double exact = (dateTime - ScaleOrigin) * static_cast<double>(SecondsPerDay);
    if (!std::isfinite(exact)) return 0;
    // Round half to even independently of the floating-point rounding mode.
    double rounded = std::floor(exact);
    const double rest = exact - rounded;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(rounded, 2.0) != 0.0)) rounded += 1.0;
    // Reduce modulo 2^32 so that far-away values wrap like the count.
    rounded = std::fmod(rounded, 4294967296.0);
    return Wrap32(static_cast<std::int64_t>(rounded));
}

std::int32_t NowSeconds() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) return 0;
    return DateTimeSeconds(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                           local.tm_min, local.tm_sec);
}

TDateTimeParts SplitSeconds(std::int32_t seconds) {
    const std::int32_t day = seconds / 86400;
    const std::int32_t rest = seconds % 86400;
    TDateTimeParts parts = DecodeDateTime(SecondsToDateTime(day * 86400));
    parts.Hour = rest / 3600;
    parts.Minute = rest % 3600 / 60;
    parts.Second = rest % 60;
    return parts;
}

TDateTimeParts DecodeDateTime(TDateTime dateTime) {
    const DaySecond split = SplitDateTime(dateTime);
    const CivilDate date = CivilFromDays(split.Day + DateTimeZeroEpochDay);
    TDateTimeParts parts;
    parts.Year = static_cast<int>(date.Year);
    parts.Month = date.Month;
    parts.Day = date.Day;
    parts.Hour = static_cast<int>(split.Second / 3600);
    parts.Minute = static_cast<int>(split.Second % 3600 / 60);
    parts.Second = static_cast<int>(split.Second % 60);
    return parts;
}

TDateTime EncodeDateTime(const TDateTimeParts& parts) {
    // Out-of-range fields run on: month 13 is January of the next year,
    // hour 24 the next day.
    const std::int64_t time = static_cast<std::int64_t>(parts.Hour) * 3600 +
                              static_cast<std::int64_t>(parts.Minute) * 60 + parts.Second;
    std::int64_t day = DaysFromCivil(parts.Year, parts.Month, parts.Day) - DateTimeZeroEpochDay +
                       FloorDiv(time, SecondsPerDay);
    std::int64_t second = time - FloorDiv(time, SecondsPerDay) * SecondsPerDay;
    if (day < MinDateTimeDay) {
        day = MinDateTimeDay;
        second = 0;
    } else if (day > MaxDateTimeDay) {
        day = MaxDateTimeDay;
        second = SecondsPerDay - 1;
    }
    const double fraction = static_cast<double>(second) / static_cast<double>(SecondsPerDay);
    const double whole = static_cast<double>(day);
    return day < 0 ? whole - fraction : whole + fraction;
}

int DayOfTheWeek(TDateTime dateTime) {
    // 1899-12-30 was a Saturday (6).
    const std::int64_t shifted = SplitDateTime(dateTime).Day + 5;
    return static_cast<int>(shifted - FloorDiv(shifted, 7) * 7) + 1;
}

}  // namespace qx
