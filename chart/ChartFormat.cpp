#include "chart/ChartFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace qx {

namespace {

std::vector<std::string_view> SplitSections(std::string_view picture) {
    std::vector<std::string_view> sections;
    std::size_t start = 0;
    char quote = 0;
    for (std::size_t i = 0; i < picture.size(); ++i) {
        const char c = picture[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            sections.push_back(picture.substr(start, i - start));
            start = i + 1;
        }
    }
    sections.push_back(picture.substr(start));
    return sections;
}

// What one section of a number picture asks for.
struct TNumberPicture {
    std::string prefix;  // text before the first digit placeholder
    std::string suffix;  // text after it
    int intZeros = 0;    // "0" before the decimal point
    int fracZeros = 0;   // "0" after it
    int fracDigits = 0;  // "0" and "#" after it
    bool grouping = false;
    bool exponent = false;
    bool exponentPlus = false;
    int expDigits = 0;
    int intPlaces = 0;  // "0" and "#" before the decimal point
};

TNumberPicture ParseSection(std::string_view s) {
    TNumberPicture p;
    bool seenDigit = false;
    bool afterPoint = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        std::string& text = seenDigit ? p.suffix : p.prefix;
        if (c == '"' || c == '\'') {
            const std::size_t close = s.find(c, i + 1);
            const std::size_t end = close == std::string_view::npos ? s.size() : close;
            text.append(s.substr(i + 1, end - i - 1));
            i = end;
        } else if ((c == '0' || c == '#') && !p.exponent) {
            seenDigit = true;
            if (afterPoint) {
                ++p.fracDigits;
                if (c == '0') p.fracZeros = p.fracDigits;
            } else {
                ++p.intPlaces;
                if (c == '0') ++p.intZeros;
            }
        } else if (c == '.' && !afterPoint && !p.exponent) {
            afterPoint = true;
            seenDigit = true;
        } else if (c == ',' && !afterPoint && !p.exponent) {
            p.grouping = true;
        } else if ((c == 'E' || c == 'e') && seenDigit && !p.exponent && i + 1 < s.size() &&
                   (s[i + 1] == '+' || s[i + 1] == '-')) {
            p.exponent = true;
            p.exponentPlus = s[i + 1] == '+';
            ++i;
            while (i + 1 < s.size() && (s[i + 1] == '0' || s[i + 1] == '#')) {
                ++p.expDigits;
                ++i;
            }
        } else {
            text += c;
        }
    }
    return p;
}

// value >= 0 as fixed-point digits with the given decimals: integer part and
// fraction part, correctly rounded.
void FixedDigits(double value, int decimals, std::string& intPart, std::string& fracPart) {
    // At most 309 integer digits and 30 decimals. An exact tie rounds away
    // from zero (2.5 -> 3), not to even.
    decimals = std::clamp(decimals, 0, 30);
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals + 20, value);
    const char* dot = std::strchr(buffer, '.');
    if (dot && dot[decimals + 1] == '5' &&
        std::strspn(dot + decimals + 2, "0") == std::strlen(dot + decimals + 2))
        value = std::nextafter(value, HUGE_VAL);
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    const std::string text = buffer;
    const std::size_t point = text.find('.');
    intPart = text.substr(0, point);
    fracPart = point == std::string::npos ? std::string() : text.substr(point + 1);
}

bool AllZeros(const std::string& digits) {
    return digits.find_first_not_of('0') == std::string::npos;
}

std::string FormatSection(double magnitude, const TNumberPicture& p, char decimalSeparator,
                          char thousandSeparator, bool& roundsToZero) {
    std::string intPart;
    std::string fracPart;
    int exponent = 0;
    const int decimals = std::min(p.fracDigits, 30);
    if (p.exponent) {
        const int lead = std::max(p.intPlaces, 1);
        if (magnitude > 0) {
            exponent = static_cast<int>(std::floor(std::log10(magnitude))) - (lead - 1);
            FixedDigits(magnitude / std::pow(10.0, exponent), decimals, intPart, fracPart);
            // Rounding up to one more digit (9.99 -> 10.0): one exponent up.
            if (static_cast<int>(intPart.size()) > lead) {
                ++exponent;
                FixedDigits(magnitude / std::pow(10.0, exponent), decimals, intPart, fracPart);
            }
        } else {
            FixedDigits(0.0, decimals, intPart, fracPart);
        }
    } else {
        FixedDigits(magnitude, decimals, intPart, fracPart);
    }
    roundsToZero = AllZeros(intPart) && AllZeros(fracPart);
    // Optional fraction digits: trailing zeros go, down to the "0" places.
    while (static_cast<int>(fracPart.size()) > p.fracZeros && !fracPart.empty() &&
           fracPart.back() == '0')
        fracPart.pop_back();
    // Leading zeros go, down to the "0" places.
    std::size_t firstSignificant = intPart.find_first_not_of('0');
    if (firstSignificant == std::string::npos) firstSignificant = intPart.size();
    const std::size_t keep =
        std::max(intPart.size() - firstSignificant, static_cast<std::size_t>(p.intZeros));
    if (keep < intPart.size()) {
        intPart.erase(0, intPart.size() - keep);
    } else {
        intPart.insert(0, keep - intPart.size(), '0');
    }
    if (p.grouping && intPart.size() > 3) {
        std::string grouped;
        const std::size_t first = intPart.size() % 3;
        for (std::size_t i = 0; i < intPart.size(); ++i) {
            if (i > 0 && (i - first) % 3 == 0) grouped += thousandSeparator;
            grouped += intPart[i];
        }
        intPart = grouped;
    }
    std::string out = p.prefix + intPart;
    if (!fracPart.empty()) {
        out += decimalSeparator;
        out += fracPart;
    }
    if (p.exponent) {
        out += 'E';
        if (exponent < 0) {
            out += '-';
        } else if (p.exponentPlus) {
            out += '+';
        }
        std::string digits = std::to_string(std::abs(exponent));
        if (static_cast<int>(digits.size()) < p.expDigits)
            digits.insert(0, static_cast<std::size_t>(p.expDigits) - digits.size(), '0');
        out += digits;
    }
    out += p.suffix;
    return out;
}

// Days since 1899-12-30 to a civil date (proleptic Gregorian).
void CivilFromDays(std::int64_t days, int& year, int& month, int& day) {
    std::int64_t z = days - 25569 + 719468;  // days since 0000-03-01
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

void AppendNumber(std::string& out, int value, int width) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    out += digits;
}

int RunLength(std::string_view s, std::size_t i) {
    const char c = static_cast<char>(s[i] | 0x20);
    std::size_t j = i;
    while (j < s.size() && static_cast<char>(s[j] | 0x20) == c) ++j;
    return static_cast<int>(j - i);
}

}  // namespace

std::string FormatNumber(double value, std::string_view picture, char decimalSeparator,
                         char thousandSeparator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (picture.empty()) {
        char text[32];
        for (int precision = 1; precision <= 17; ++precision) {
            std::snprintf(text, sizeof text, "%.*g", precision, value);
            if (std::strtod(text, nullptr) == value) break;
        }
        std::string out = text;
        for (char& c : out) {
            if (c == '.') c = decimalSeparator;
        }
        return out == "-0" ? "0" : out;
    }
    const std::vector<std::string_view> sections = SplitSections(picture);
    const bool negative = value < 0;
    const double magnitude = std::fabs(value);
    bool roundsToZero = false;
    const bool ownNegative = negative && sections.size() > 1 && !sections[1].empty();
    const TNumberPicture p = ParseSection(ownNegative ? sections[1] : sections[0]);
    std::string out =
        FormatSection(magnitude, p, decimalSeparator, thousandSeparator, roundsToZero);
    if (roundsToZero && sections.size() > 2 && !sections[2].empty()) {
        return FormatSection(0.0, ParseSection(sections[2]), decimalSeparator, thousandSeparator,
                             roundsToZero);
    }
    if (roundsToZero && ownNegative) {
        return FormatSection(0.0, ParseSection(sections[0]), decimalSeparator, thousandSeparator,
                             roundsToZero);
    }
    if (negative && !ownNegative && !roundsToZero) out.insert(0, 1, '-');
    return out;
}

std::string FormatDateTime(double dateTime, std::string_view picture, char dateSeparator,
                           char timeSeparator) {
    // Years 1..9999: days -693593 .. 2958465.
    if (!std::isfinite(dateTime) || dateTime < -693594.0 || dateTime >= 2958466.0) return {};
    const auto ms = static_cast<std::int64_t>(std::llround(dateTime * 86400000.0));
    std::int64_t days = ms / 86400000;
    std::int64_t msOfDay = ms % 86400000;
    if (msOfDay < 0) {
        msOfDay += 86400000;
        --days;
    }
    int year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(days, year, month, day);
    if (year < 1 || year > 9999) return {};
    const int hour = static_cast<int>(msOfDay / 3600000);
    const int minute = static_cast<int>(msOfDay / 60000 % 60);
    const int second = static_cast<int>(msOfDay / 1000 % 60);
    const int milli = static_cast<int>(msOfDay % 1000);

    std::string out;
    bool afterHour = false;
    for (std::size_t i = 0; i < picture.size();) {
        const char c = picture[i];
        const char lower = static_cast<char>(c | 0x20);
        const int run = RunLength(picture, i);
        if (c == '"' || c == '\'') {
            const std::size_t close = picture.find(c, i + 1);
            const std::size_t end = close == std::string_view::npos ? picture.size() : close;
            out.append(picture.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        switch (lower) {
            case 'y':
                if (run >= 3) {
                    AppendNumber(out, year, 4);
                } else {
                    AppendNumber(out, year % 100, 2);
                }
                break;
            case 'm':
                if (afterHour) {
                    AppendNumber(out, minute, run >= 2 ? 2 : 1);
                } else {
                    AppendNumber(out, month, run >= 2 ? 2 : 1);
                }
                break;
            case 'd': AppendNumber(out, day, run >= 2 ? 2 : 1); break;
            case 'h': AppendNumber(out, hour, run >= 2 ? 2 : 1); break;
            case 'n': AppendNumber(out, minute, run >= 2 ? 2 : 1); break;
            case 's': AppendNumber(out, second, run >= 2 ? 2 : 1); break;
            case 'z': AppendNumber(out, milli, run >= 3 ? 3 : 1); break;
            case '/': out.append(static_cast<std::size_t>(run), dateSeparator); break;
            case ':': out.append(static_cast<std::size_t>(run), timeSeparator); break;
            default: out.append(picture.substr(i, static_cast<std::size_t>(run))); break;
        }
        // "mm" right after an hour (separators and blanks between) is minutes.
        if (lower == 'h') {
            afterHour = true;
        } else if (lower != ':' && lower != ' ' && lower != '/' && lower != '.') {
            afterHour = false;
        }
        i += static_cast<std::size_t>(run);
    }
    return out;
}

}  // namespace qx
