// The heartbeat's text: the local date and time as "yyyy/mm/dd hh:mm:ss",
// with the date and time separators of the regional settings.
#pragma once

#include <functional>
#include <string>

#include "textscan/Regional.h"

namespace qx::services {

// A local date and time to the whole second.
struct TLocalTime {
    int Year = 0;
    int Month = 0;  // 1..12
    int Day = 0;
    int Hour = 0;  // 0..23
    int Minute = 0;
    int Second = 0;
};

using TClock = std::function<TLocalTime()>;

// The time now, from the system clock in the local time zone.
TLocalTime CurrentLocalTime();

// Four digits of year, two of every other field, zero-padded; every "/" of
// the date is the settings' date separator, every ":" of the time their
// time separator.
std::string HeartbeatText(const TLocalTime& time, const TRegionalSettings& regional);

}  // namespace qx::services
