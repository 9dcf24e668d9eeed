#include "textscan/DateExpression.h"

#include <climits>
#include <string>

#include "textscan/AsciiText.h"
#include "textscan/Regional.h"
#include "textscan/TimeScale.h"

namespace qx {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

// A part of a date or time: blanks around decimal digits. Anything else,
// including an empty part, counts as 0; values beyond INT_MAX saturate.
std::int64_t PartValue(std::string_view part) {
    part = TrimBlanks(part);
    if (part.empty()) return 0;
    std::int64_t value = 0;
    for (char c : part) {
        if (!IsDigit(c)) return 0;
        value = value * 10 + (c - '0');
        if (value > INT_MAX) value = INT_MAX;
    }
    return value;
}

// Reads parts left to right: each ends at the first of its separators, the
// last one runs to the end. Parts after the end of the text are absent.
class PartReader {
public:
    explicit PartReader(std::string_view text) : rest_(text) {}

    template <typename IsSeparator>
    std::int64_t Next(IsSeparator isSeparator) {
        if (done_) return 0;
        std::size_t end = 0;
        while (end < rest_.size() && !isSeparator(rest_[end])) ++end;
        const std::int64_t value = PartValue(rest_.substr(0, end));
        if (end == rest_.size()) {
            done_ = true;
        } else {
            rest_.remove_prefix(end + 1);
        }
        return value;
    }

    std::int64_t Last() {
        if (done_) return 0;
        done_ = true;
        return PartValue(rest_);
    }

private:
    std::string_view rest_;
    bool done_ = false;
};

struct Fields {
    std::int64_t Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

// Date form "month D day D year hour T minute T second" when the text holds
// "/" or the date separator, otherwise time form "hour T minute T second".
Fields ReadFields(std::string_view text, char dateSeparator, char timeSeparator) {
    Fields f;
    PartReader reader(text);
    if (text.find('/') != std::string_view::npos ||
        text.find(dateSeparator) != std::string_view::npos) {
        const auto isDateSeparator = [dateSeparator](char c) {
            return c == '/' || c == dateSeparator;
        };
        f.Month = reader.Next(isDateSeparator);
        f.Day = reader.Next(isDateSeparator);
        f.Year = reader.Next(IsBlank);
    }
    const auto isTimeSeparator = [timeSeparator](char c) { return c == timeSeparator; };
    f.Hour = reader.Next(isTimeSeparator);
    f.Minute = reader.Next(isTimeSeparator);
    f.Second = reader.Last();
    return f;
}

// Applies a keyword to the split reference: fields set in place, relative
// changes added to the offsets.
void ApplyKeyword(const std::string& keyword, std::int32_t reference, Fields& base,
                  Fields& offset) {
    if (keyword == "NOW") return;
    base.Minute = 0;
    base.Second = 0;

    const auto startOfDay = [&base] { base.Hour = 0; };
    const auto startOfMonth = [&base] {
        base.Day = 1;
        base.Hour = 0;
    };
    const auto startOfYear = [&base] {
        base.Month = 1;
        base.Day = 1;
        base.Hour = 0;
    };
    const auto weekday = [reference] {
        return DayOfTheWeek(SecondsToDateTime(reference / 86400 * 86400));
    };

    struct HourStep {
        const char* Word;
        int Hours;
    };
    static constexpr HourStep hourSteps[] = {
        {"NEXT HOUR", 1},     {"LAST HOUR", -1},    {"LAST 2 HOURS", -2},
        {"LAST 3 HOURS", -3}, {"LAST 6 HOURS", -6}, {"LAST 12 HOURS", -12},
    };
    for (const auto& step : hourSteps) {
        if (keyword == step.Word) {
            offset.Hour += step.Hours;
            return;
        }
    }
    struct DayStep {
        const char* Word;
        int Days;
    };
    static constexpr DayStep daySteps[] = {
        {"TODAY", 0},        {"TOMORROW", 1},     {"YESTERDAY", -1},
        {"LAST 2 DAYS", -2}, {"LAST 3 DAYS", -3}, {"LAST 5 DAYS", -5},
    };
    for (const auto& step : daySteps) {
        if (keyword == step.Word) {
            startOfDay();
            offset.Day += step.Days;
            return;
        }
    }

    if (keyword == "NEXT WEEK") {
        startOfDay();
        offset.Day += 7 - weekday();
    } else if (keyword == "THIS WEEK") {
        startOfDay();
        offset.Day -= weekday();
    } else if (keyword == "LAST WEEK") {
        startOfDay();
        offset.Day -= weekday() + 7;
    } else if (keyword == "NEXT MONTH") {
        startOfMonth();
        offset.Month += 1;
    } else if (keyword == "THIS MONTH") {
        startOfMonth();
    } else if (keyword == "LAST MONTH") {
        startOfMonth();
        offset.Month -= 1;
    } else if (keyword == "NEXT YEAR") {
        startOfYear();
        offset.Year += 1;
    } else if (keyword == "THIS YEAR") {
        startOfYear();
    } else if (keyword == "LAST YEAR") {
        startOfYear();
        offset.Year -= 1;
    }
    // Any other word: the top of the reference hour.
}

int ClampToInt(std::int64_t value) {
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace

std::int32_t EvaluateDateExpression(std::string_view text, std::int32_t reference) {
    if (reference == 0) reference = NowSeconds();
    const TRegionalSettings& regional = Regional();

    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);

    // "+" wins over "-"; the part after the sign is an offset.
    std::string_view baseText = text;
    std::string_view offsetText;
    int sign = 0;
    std::size_t signAt = text.find('+');
    if (signAt != std::string_view::npos) {
        sign = 1;
    } else {
        signAt = text.find('-');
        if (signAt != std::string_view::npos) sign = -1;
    }
    if (sign != 0) {
        baseText = text.substr(0, signAt);
        offsetText = text.substr(signAt + 1);
    }

    Fields base;
    Fields offset;
    if (!baseText.empty() && IsDigit(baseText.front())) {
        base = ReadFields(baseText, regional.DateSeparator, regional.TimeSeparator);
    } else {
        const TDateTimeParts now = SplitSeconds(reference);
        base = {now.Year, now.Month, now.Day, now.Hour, now.Minute, now.Second};
        ApplyKeyword(UpperAscii(TrimBlanks(baseText)), reference, base, offset);
    }

    if (sign != 0) {
        // Every part of the offset takes the sign, the year part included: it
        // is added to the year like the keyword's year changes.
        const Fields read = ReadFields(offsetText, regional.DateSeparator, regional.TimeSeparator);
        offset.Year += sign * read.Year;
        offset.Month += sign * read.Month;
        offset.Day += sign * read.Day;
        offset.Hour += sign * read.Hour;
        offset.Minute += sign * read.Minute;
        offset.Second += sign * read.Second;
    }

    // Bring month + offset into 1..12, carrying whole years (floor division
    // so that offsets of twelve months or more backwards land correctly).
    const std::int64_t monthIndex = base.Month + offset.Month - 1;
    const std::int64_t carry = FloorDiv(monthIndex, 12);
    const int month = static_cast<int>(monthIndex - carry * 12 + 1);
    const int year = ClampToInt(base.Year + offset.Year + carry);

    // The day number is taken modulo 2^16, so a far-out day may be reduced
    // by multiples of 65536 without changing the result.
    std::int64_t day = base.Day + offset.Day;
    if (day > INT_MAX || day < INT_MIN) day -= FloorDiv(day, 65536) * 65536;

    const std::int64_t seconds = static_cast<std::int64_t>(DateTimeSeconds(
                                     year, month, static_cast<int>(day), ClampToInt(base.Hour),
                                     ClampToInt(base.Minute), ClampToInt(base.Second))) +
                                 offset.Hour * 3600 + offset.Minute * 60 + offset.Second;
    // Two's complement reduction to 32 bits.
    return static_cast<std::int32_t>(seconds);
}

}  // namespace qx
