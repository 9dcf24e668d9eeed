#include "pages/TimeText.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "textscan/AsciiText.h"
#include "textscan/FormatValues.h"
#include "textscan/Regional.h"
#include "textscan/ScanFormatted.h"

namespace qx {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::optional<std::int32_t> ScanTime(std::string_view text) {
    std::int32_t seconds = 0;
    if (!ScanText(text, "%t", seconds)) return std::nullopt;
    return seconds;
}

}  // namespace

bool TimeRangeCheck(std::string_view text) {
    const auto seconds = ScanTime(text);
    return seconds && FormatValues("%t", *seconds) == text;
}

std::string TimeNormalise(std::string_view text, std::string_view fallback) {
    const auto seconds = ScanTime(text);
    return seconds ? FormatValues("%t", *seconds) : std::string(fallback);
}

std::string ZeroTimeText() {
    return FormatValues("%t", 0);
}

TTimeEdit StepTimeText(std::string_view text, int caret, int delta, std::string_view defaultText,
                       bool rangeChecking) {
    TTimeEdit edit;
    const int length = static_cast<int>(text.size());
    if (caret < 0 || caret > length) return edit;
    int start = caret;
    while (start > 0 && IsDigit(text[static_cast<std::size_t>(start - 1)])) --start;
    int end = start;
    while (end < length && IsDigit(text[static_cast<std::size_t>(end)])) ++end;
    const std::string_view run =
        text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
    long long value = 0;
    std::from_chars(run.data(), run.data() + run.size(), value);
    long long stepped = value + delta;
    if (stepped < 0) stepped = value;
    std::string digits = std::to_string(stepped);
    if (digits.size() < run.size()) digits.insert(0, run.size() - digits.size(), '0');

    std::string result(text.substr(0, static_cast<std::size_t>(start)));
    result += digits;
    result += text.substr(static_cast<std::size_t>(end));
    if (rangeChecking && !TimeRangeCheck(result)) result = TimeNormalise(result, defaultText);
    if (result.size() != defaultText.size()) return edit;
    edit.accepted = true;
    edit.text = std::move(result);
    edit.selStart = start;
    edit.selLength = run.empty() ? 1 : static_cast<int>(run.size());
    return edit;
}

TTimeEdit PasteTimeText(std::string_view text, int caret, std::string_view clip) {
    TTimeEdit edit;
    if (caret < 0 || caret > static_cast<int>(text.size())) return edit;
    const auto s = static_cast<std::size_t>(caret);
    std::string pasted(text.substr(0, s));
    pasted += clip;
    if (s + clip.size() < text.size()) pasted += text.substr(s + clip.size());
    const std::string canonical = TimeNormalise(pasted, {});
    if (canonical.empty() || canonical.size() != text.size()) return edit;
    edit.accepted = true;
    int at = caret + static_cast<int>(clip.size());
    if (at < static_cast<int>(canonical.size()) &&
        canonical[static_cast<std::size_t>(at)] == Regional().TimeSeparator)
        ++at;
    edit.text = canonical;
    edit.selStart = at;
    edit.selLength = at < static_cast<int>(canonical.size()) ? 1 : 0;
    return edit;
}

std::optional<long long> IntegerText(std::string_view text) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return std::nullopt;
    }
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<double> TimeTextToDays(std::string_view text) {
    auto piece = [text](std::size_t at) -> long long {
        if (at >= text.size()) return 0;
        return IntegerText(text.substr(at, 2)).value_or(0);
    };
    const long long hours = piece(0);
    const long long minutes = piece(3);
    const long long seconds = piece(6);
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59)
        return std::nullopt;
    return static_cast<double>(hours) / 24 + static_cast<double>(minutes) / 1440 +
           static_cast<double>(seconds) / 86400;
}

std::string DaysToTimeText(double days) {
    if (!std::isfinite(days)) days = 0;
    // Milliseconds of the time of day, rounded as a clock reads them.
    double ms = std::round((days - std::floor(days)) * 86400000.0);
    if (ms >= 86400000.0) ms = 0;
    const auto seconds = static_cast<std::int32_t>(ms / 1000);
    return FormatValues("%t", seconds);
}

std::optional<std::string> StepDayText(std::string_view text, bool up) {
    const auto days = IntegerText(text);
    if (!days) return std::nullopt;
    long long next = *days;
    if (up)
        next = next == 365 ? 0 : next + 1;
    else
        next = next == 0 ? 365 : next - 1;
    return std::to_string(next);
}

std::string ShortestFloatText(double value) {
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text = ec == std::errc() ? std::string(buffer, end) : std::string("0");
    const char separator = Regional().DecimalSeparator;
    if (separator != '.')
        for (char& c : text)
            if (c == '.') c = separator;
    return text;
}

}  // namespace qx
