#include "textscan/FormatValues.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <system_error>

#include "textscan/Regional.h"
#include "textscan/TimeScale.h"

namespace qx {

namespace {

// Widths and precisions taken from values are capped like written ones.
constexpr std::int64_t kMaxWidth = 999999;
constexpr int kDefaultPrecision = 6;
// Precisions from this value up print 9 digits with trailing zeros trimmed.
constexpr int kTrimmingPrecision = 10;
constexpr int kMaxDigits = 9;

constexpr std::string_view kNoBreakSpace = "\xC2\xA0";

char ToLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

const char* KindName(FormatKind kind) {
    switch (kind) {
        case FormatKind::Text: return "text";
        case FormatKind::Char: return "a character";
        case FormatKind::Bool: return "a boolean";
        case FormatKind::Integer: return "an integer";
        case FormatKind::Real: return "a real";
        case FormatKind::None: break;
    }
    return "nothing";
}

FormatKind KindOf(const FormatValue& value) {
    switch (value.index()) {
        case 0: return FormatKind::Text;
        case 1: return FormatKind::Char;
        case 2: return FormatKind::Bool;
        case 3: return FormatKind::Integer;
        default: return FormatKind::Real;
    }
}

// Which directive takes a value, and whether as its width or precision.
struct Use {
    char letter = 0;
    const char* role = "";
};

std::string Describe(const Use& use) {
    std::string text = use.role;
    text += '%';
    if (use.letter) text += use.letter;
    return text;
}

// Hands out the values in order, checking each against what its directive
// needs.
class ValueReader {
public:
    ValueReader(std::string_view format, std::span<const FormatValue> values)
        : format_(format), values_(values) {}

    std::string_view Text(Use use) {
        return std::get<std::string_view>(Take(use, FormatKind::Text));
    }
    char Char(Use use) { return std::get<char>(Take(use, FormatKind::Char)); }
    bool Bool(Use use) { return std::get<bool>(Take(use, FormatKind::Bool)); }
    std::int64_t Integer(Use use) { return std::get<std::int64_t>(Take(use, FormatKind::Integer)); }
    // Integer values are accepted where a real is needed.
    double Real(Use use) {
        const FormatValue& value = Take(use, FormatKind::Real);
        if (const auto* integer = std::get_if<std::int64_t>(&value)) {
            return static_cast<double>(*integer);
        }
        return std::get<double>(value);
    }

private:
    const FormatValue& Take(Use use, FormatKind kind) {
        const std::size_t number = next_ + 1;
        if (next_ >= values_.size()) {
            Fail("value " + std::to_string(number) + " for " + Describe(use) + " is missing");
        }
        const FormatValue& value = values_[next_++];
        const FormatKind got = KindOf(value);
        if (got != kind && !(kind == FormatKind::Real && got == FormatKind::Integer)) {
            Fail("value " + std::to_string(number) + " for " + Describe(use) + " is " +
                 KindName(got) + ", expected " + KindName(kind));
        }
        return value;
    }

    [[noreturn]] void Fail(const std::string& message) const {
        throw std::invalid_argument("FormatValues(\"" + std::string(format_) + "\"): " + message);
    }

    std::string_view format_;
    std::span<const FormatValue> values_;
    std::size_t next_ = 0;
};

std::string IntegerText(std::int64_t value) {
    std::array<char, 24> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

// Fixed-point text with "." as decimal point whatever the locale; NaN and
// infinities as "NAN", "INF" and "-INF".
std::string FixedText(double value, int precision, bool trim) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    // The largest double has 309 integer digits; precision is at most 9.
    std::array<char, 340> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, precision);
    if (result.ec != std::errc()) return "NAN";  // cannot happen with this buffer size
    std::string text(buffer.data(), result.ptr);
    if (trim) {
        const std::size_t point = text.find('.');
        if (point != std::string::npos) {
            std::size_t end = text.size();
            while (end > point + 2 && text[end - 1] == '0') --end;
            text.resize(end);
        }
    }
    return text;
}

std::size_t Padding(std::size_t length, int width) {
    const auto w = static_cast<std::size_t>(width);
    return w > length ? w - length : 0;
}

// Text left-aligned in the width.
void AppendLeftAligned(std::string& out, std::string_view text, int width, char pad) {
    out += text;
    out.append(Padding(text.size(), width), pad);
}

// A number right-aligned in the width; zero padding goes after the sign.
void AppendNumber(std::string& out, std::string_view number, int width, bool zeroPad) {
    const std::size_t padding = Padding(number.size(), width);
    if (zeroPad) {
        const std::size_t sign = !number.empty() && (number[0] == '-' || number[0] == '+') ? 1 : 0;
        out += number.substr(0, sign);
        out.append(padding, '0');
        out += number.substr(sign);
    } else {
        out.append(padding, ' ');
        out += number;
    }
}

void AppendReal(std::string& out, double value, int width, int precision, bool zeroPad) {
    const bool trim = precision >= kTrimmingPrecision;
    const int digits = precision < 0 ? kDefaultPrecision : std::min(precision, kMaxDigits);
    const std::string text = FixedText(value, digits, trim);
    if (!std::isfinite(value)) {
        // Zeros in front of NAN or INF would read as a number: blanks only.
        std::string field;
        AppendNumber(field, text, width, false);
        if (field.front() != 'N') out += field;  // a bare NAN leaves the field empty
        return;
    }
    AppendNumber(out, text, width, zeroPad);
}

bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The first `width` bytes of the text, shortened so that a UTF-8 sequence is
// not cut in two.
std::string_view Prefix(std::string_view text, int width) {
    std::size_t cut = static_cast<std::size_t>(width);
    if (width <= 0 || cut >= text.size()) return text;
    if (IsUtf8Continuation(text[cut])) {
        std::size_t lead = cut;
        while (lead > 0 && cut - lead < 4) {
            --lead;
            if (!IsUtf8Continuation(text[lead])) break;
        }
        const auto byte = static_cast<unsigned char>(text[lead]);
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        if (byte >= 0xC0 && lead + length > cut) cut = lead;
    }
    return text.substr(0, cut);
}

// Quotes the text so that the scanner's double-quote directive reads it back:
// a text holding "," needs quotes, one starting with a quote character needs
// the other kind.
void AppendQuoted(std::string& out, std::string_view text) {
    char quote = 0;
    if (text.find(',') != std::string_view::npos) {
        quote = text.find('"') != std::string_view::npos ? '\'' : '"';
    } else if (!text.empty() && text.front() == '\'') {
        quote = '"';
    } else if (!text.empty() && text.front() == '"') {
        quote = '\'';
    }
    if (quote) out += quote;
    out += text;
    if (quote) out += quote;
}

void AppendPattern(std::string& out, const std::string& pattern,
                   std::initializer_list<FormatValue> values) {
    out +=
        FormatValuesDynamic(pattern, std::span<const FormatValue>(values.begin(), values.size()));
}

void AppendDate(std::string& out, std::uint16_t dayNumber) {
    // Day numbers beyond 2053 overflow the 32-bit seconds count, so the date
    // comes from the date-time scale directly.
    const TDateTimeParts date = DecodeDateTime(ScaleOrigin + dayNumber);
    AppendPattern(out, DatePatterns().DateOutPattern,
                  {std::int64_t{date.Month}, std::int64_t{date.Day}, std::int64_t{date.Year}});
}

void AppendDateTime(std::string& out, std::int32_t seconds) {
    const TDateTimeParts t = SplitSeconds(seconds);
    AppendPattern(out, DatePatterns().DateTimeOutPattern,
                  {std::int64_t{t.Month}, std::int64_t{t.Day}, std::int64_t{t.Year},
                   std::int64_t{t.Hour}, std::int64_t{t.Minute}, std::int64_t{t.Second}});
}

// Signed seconds as a time of day; hours may run past 99.
void AppendDuration(std::string& out, std::int64_t seconds) {
    const std::uint64_t magnitude =
        seconds < 0 ? 0 - static_cast<std::uint64_t>(seconds) : static_cast<std::uint64_t>(seconds);
    if (seconds < 0) out += '-';
    AppendPattern(out, DatePatterns().TimeOutPattern,
                  {static_cast<std::int64_t>(magnitude / 3600),
                   static_cast<std::int64_t>(magnitude % 3600 / 60),
                   static_cast<std::int64_t>(magnitude % 60)});
}

}  // namespace

std::string FormatValuesDynamic(std::string_view format, std::span<const FormatValue> values) {
    std::string out;
    ValueReader reader(format, values);
    // Whether a literal or a field (even an empty one) stands on the current
    // line: directives written in upper case then separate their field with
    // ",", so that empty fields keep their place and a new line starts
    // without one.
    bool lineStarted = false;
    std::size_t i = 0;
    while (i < format.size()) {
        const DirectiveStep step = ParseFormatStep(format, i);
        if (step.literal) {
            out += step.ch;
            lineStarted = step.ch != '\n' && step.ch != '\r';
            continue;
        }
        const Use use{step.ch, ""};
        int width = step.width;
        if (step.widthFromList) {
            const std::int64_t w = reader.Integer({step.ch, "the width of "});
            width = static_cast<int>(std::clamp<std::int64_t>(w, 0, kMaxWidth));
        }
        int precision = step.precision;
        if (step.precisionFromList) {
            // A negative precision counts as none given.
            const std::int64_t p = reader.Integer({step.ch, "the precision of "});
            precision =
                p < 0 ? -1 : static_cast<int>(std::min<std::int64_t>(p, kTrimmingPrecision));
        }
        const bool field = FormatDirectiveKind(step.ch) != FormatKind::None;
        if (field && lineStarted && step.ch >= 'A' && step.ch <= 'Z') out += ',';
        if (field) lineStarted = true;

        switch (ToLower(step.ch)) {
            case 'p':
            case 's':
                AppendLeftAligned(out, reader.Text(use), width, step.zeroPad ? '0' : ' ');
                break;
            case 'f': out += Prefix(reader.Text(use), width); break;
            case '"': AppendQuoted(out, reader.Text(use)); break;
            case 'c': out += reader.Char(use); break;
            case 'b': out += reader.Bool(use) ? "Yes" : "No"; break;
            case 'i':
            case 'l':
            case 'w':
                AppendNumber(out, IntegerText(reader.Integer(use)), width, step.zeroPad);
                break;
            case 'm':
                AppendReal(out, static_cast<double>(reader.Integer(use)) / 1000.0, width, precision,
                           step.zeroPad);
                break;
            case 'r':
            case 'x': AppendReal(out, reader.Real(use), width, precision, step.zeroPad); break;
            case 'd': AppendDate(out, static_cast<std::uint16_t>(reader.Integer(use))); break;
            case 'j': AppendDateTime(out, static_cast<std::int32_t>(reader.Integer(use))); break;
            case 't': AppendDuration(out, reader.Integer(use)); break;
            case 'n':
                out += "\r\n";
                lineStarted = false;
                break;
            case ' ':
                out += kNoBreakSpace;
                lineStarted = true;
                break;
            default: break;  // unknown letters write nothing
        }
    }
    return out;
}

}  // namespace qx
