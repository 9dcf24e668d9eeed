#include "services/Heartbeat.h"

#include <ctime>

namespace qx::services {

namespace {

void AppendPadded(std::string& out, int value, std::size_t width) {
    const std::string digits = std::to_string(value);
    if (digits.size() < width) out.append(width - digits.size(), '0');
    out += digits;
}

}  // namespace

TLocalTime CurrentLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::string HeartbeatText(const TLocalTime& time, const TRegionalSettings& regional) {
    std::string text;
    text.reserve(19);
    AppendPadded(text, time.Year, 4);
    text += regional.DateSeparator;
    AppendPadded(text, time.Month, 2);
    text += regional.DateSeparator;
    AppendPadded(text, time.Day, 2);
    text += ' ';
    AppendPadded(text, time.Hour, 2);
    text += regional.TimeSeparator;
    AppendPadded(text, time.Minute, 2);
    text += regional.TimeSeparator;
    AppendPadded(text, time.Second, 2);
    return text;
}

}  // namespace qx::services
