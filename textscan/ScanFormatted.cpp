#include "textscan/ScanFormatted.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>

#include "textscan/AsciiText.h"
#include "textscan/DateExpression.h"
#include "textscan/Regional.h"
#include "textscan/TimeScale.h"

namespace qx {
namespace {

constexpr bool IsLineEnd(char c) {
    return c == '\0' || c == '\n' || c == '\r';
}
constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Converts a decimal real ("." as point, optional sign and exponent) that
// fills the whole of text. Words such as "inf" and "nan" are not numbers here.
template <class Real>
bool ParseReal(std::string_view text, Real& value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const std::size_t first = text.empty() || text.front() != '-' ? 0 : 1;
    if (first >= text.size() || (!IsDigit(text[first]) && text[first] != '.')) return false;
    const auto [end, ec] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    return ec == std::errc() && end == text.data() + text.size();
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

class Scanner {
public:
    Scanner(std::string_view source, std::size_t cursor, std::span<const ScanOutput> outputs)
        : source_(source), cursor_(cursor), outputs_(outputs) {}

    bool Run(std::string_view format);
    std::size_t cursor() const { return cursor_; }

private:
    char At(std::size_t i) const { return i < source_.size() ? source_[i] : '\0'; }
    char Cur() const { return At(cursor_); }
    bool AtEnd() const { return cursor_ >= source_.size(); }
    // True while a field that began at start may still grow.
    bool Room(std::size_t start) const { return width_ == 0 || cursor_ - start < width_; }
    std::string_view Slice(std::size_t from, std::size_t to) const {
        if (from >= source_.size()) return {};
        return source_.substr(from, std::min(to, source_.size()) - from);
    }

    // The next output entry if it has type T; null (and the entry used up)
    // otherwise.
    template <class T>
    T* Next() {
        if (next_ >= outputs_.size()) return nullptr;
        return outputs_[next_++].as<T>();
    }
    template <class T>
    void Write(const T& value) {
        if (T* out = Next<T>()) {
            *out = value;
        } else {
            error_ = true;
        }
    }
    void WriteText(std::string_view value) {
        if (std::string* out = Next<std::string>()) {
            out->assign(value.data(), value.size());
        } else {
            error_ = true;
        }
    }

    void Directive(const DirectiveStep& step);
    void Literal(char ch);
    std::size_t ReadToCommaOrLineEnd();
    std::string_view ReadNumber();
    std::uint32_t ReadPattern(const std::string& pattern, int fields, std::uint16_t* values);

    std::string_view source_;
    std::size_t cursor_;
    std::span<const ScanOutput> outputs_;
    std::size_t next_ = 0;
    std::size_t width_ = 0;
    bool error_ = false;
    bool required_ = true;
};

bool Scanner::Run(std::string_view format) {
    bool result = true;
    std::size_t i = 0;
    while (i < format.size()) {
        const DirectiveStep step = ParseScanStep(format, i);
        error_ = false;
        if (step.literal) {
            Literal(step.ch);
        } else {
            Directive(step);
        }
        if (error_ && required_) result = false;
    }
    return result;
}

void Scanner::Literal(char ch) {
    if (!AtEnd() && AsciiUpper(Cur()) == AsciiUpper(ch)) {
        ++cursor_;
        return;
    }
    error_ = true;
    if (!AtEnd()) ++cursor_;
}

std::size_t Scanner::ReadToCommaOrLineEnd() {
    const std::size_t start = cursor_;
    while (Room(start) && !IsLineEnd(Cur()) && Cur() != ',') ++cursor_;
    return start;
}

// Sign, digits, optional fraction and optional exponent, within the width.
std::string_view Scanner::ReadNumber() {
    const std::size_t start = cursor_;
    auto digits = [&] {
        while (Room(start) && IsDigit(Cur())) ++cursor_;
    };
    if (Room(start) && (Cur() == '+' || Cur() == '-')) ++cursor_;
    digits();
    if (Room(start) && Cur() == '.') {
        ++cursor_;
        digits();
    }
    if (Room(start) && (Cur() == 'e' || Cur() == 'E')) {
        // The exponent counts only when digits follow; "12E" stops before "E".
        std::size_t look = cursor_ + 1;
        if (At(look) == '+' || At(look) == '-') ++look;
        if (IsDigit(At(look)) && (width_ == 0 || look - start < width_)) {
            cursor_ = look;
            digits();
        }
    }
    return Slice(start, cursor_);
}

// Scans a date or time pattern of "%w" fields from the cursor; returns the
// pattern scan's success as 1 or 0.
std::uint32_t Scanner::ReadPattern(const std::string& pattern, int fields, std::uint16_t* v) {
    int position = static_cast<int>(std::min<std::size_t>(cursor_, INT32_MAX - 1)) + 1;
    bool ok;
    if (fields == 3) {
        const ScanOutput outs[] = {v[0], v[1], v[2]};
        ok = ScanFormattedDynamic(source_, position, pattern, outs);
    } else {
        const ScanOutput outs[] = {v[0], v[1], v[2], v[3], v[4], v[5]};
        ok = ScanFormattedDynamic(source_, position, pattern, outs);
    }
    cursor_ = static_cast<std::size_t>(position - 1);
    return ok ? 1 : 0;
}

void Scanner::Directive(const DirectiveStep& step) {
    width_ = static_cast<std::size_t>(step.width);
    if (step.widthFromList) {
        if (const std::int32_t* w = Next<std::int32_t>()) {
            width_ = *w > 0 ? static_cast<std::size_t>(*w) : 0;
        } else {
            error_ = true;
        }
    }
    if (step.precisionFromList && Next<std::int32_t>() == nullptr) error_ = true;

    const char letter = step.ch;
    const char upper = AsciiUpper(letter);
    switch (upper) {
        case 'P': {
            const std::size_t start = ReadToCommaOrLineEnd();
            WriteText(Slice(start, cursor_));
            break;
        }
        case 'S': {
            // The terminator comes from the format; at the format's end it is the
            // end of the source.
            const char terminator = step.hasArgument ? step.argument : '\0';
            const std::size_t start = cursor_;
            while (Room(start) && Cur() != '\0' && Cur() != terminator) ++cursor_;
            WriteText(Slice(start, cursor_));
            if (Cur() != '\0') ++cursor_;
            break;
        }
        case 'V': {
            const char quote = step.hasArgument ? step.argument : '\0';
            const std::size_t start = cursor_;
            bool quoted = false;
            while (Room(start) && !IsLineEnd(Cur())) {
                const char c = Cur();
                if (quoted) {
                    if (c == quote) quoted = false;
                } else if (c == ',') {
                    break;
                } else if (c == quote) {
                    quoted = true;
                }
                ++cursor_;
            }
            WriteText(Slice(start, cursor_));
            break;
        }
        case '"': {
            const char terminator = step.hasArgument ? step.argument : '\0';
            std::string_view field;
            if (Cur() == '"' || Cur() == '\'') {
                const char quote = Cur();
                ++cursor_;
                const std::size_t start = cursor_;
                while (Room(start) && !IsLineEnd(Cur()) && Cur() != quote) ++cursor_;
                field = Slice(start, cursor_);
                while (Room(start) && !IsLineEnd(Cur()) && Cur() != terminator) ++cursor_;
            } else {
                const std::size_t start = cursor_;
                while (Room(start) && !IsLineEnd(Cur()) && Cur() != terminator) ++cursor_;
                field = Slice(start, cursor_);
            }
            WriteText(field);
            if (static_cast<unsigned char>(Cur()) >= 32) ++cursor_;
            break;
        }
        case 'C':
            Write<char>(Cur());
            if (!AtEnd()) ++cursor_;
            break;
        case 'I':
        case 'L': {
            const std::size_t start = cursor_;
            if (Room(start) && (Cur() == '+' || Cur() == '-')) ++cursor_;
            while (Room(start) && IsDigit(Cur())) ++cursor_;
            std::string_view text = Slice(start, cursor_);
            const bool negative = !text.empty() && text.front() == '-';
            if (!text.empty() && (text.front() == '+' || text.front() == '-'))
                text.remove_prefix(1);
            std::int64_t value = 0;
            bool ok = !text.empty();
            for (const char c : text) {
                value = value * 10 + (c - '0');
                if (value > std::int64_t{INT32_MAX} + 1) {
                    ok = false;
                    break;
                }
            }
            if (negative) value = -value;
            if (value > INT32_MAX || value < INT32_MIN) ok = false;
            if (!ok) {
                value = 0;
                error_ = true;
            }
            Write<std::int32_t>(static_cast<std::int32_t>(value));
            break;
        }
        case 'W': {
            const std::size_t start = cursor_;
            std::uint32_t value = 0;
            while (Room(start) && IsDigit(Cur())) {
                if (value <= 65535) value = value * 10 + static_cast<std::uint32_t>(Cur() - '0');
                ++cursor_;
            }
            if (cursor_ == start || value > 65535) {
                value = 0;
                error_ = true;
            }
            Write<std::uint16_t>(static_cast<std::uint16_t>(value));
            break;
        }
        case 'E': {
            const std::size_t start = ReadToCommaOrLineEnd();
            float value = 0;
            if (!ParseReal(TrimBlanks(Slice(start, cursor_)), value)) {
                // Failure leaves the all-ones bit pattern in the output.
                value = std::bit_cast<float>(std::uint32_t{0xFFFFFFFFu});
                error_ = true;
            }
            Write<float>(value);
            break;
        }
        case 'R': {
            float value = 0;
            if (!ParseReal(ReadNumber(), value)) {
                value = 0;
                error_ = true;
            }
            Write<float>(value);
            break;
        }
        case 'X': {
            double value = 0;
            if (!ParseReal(ReadNumber(), value)) {
                value = 0;
                error_ = true;
            }
            Write<double>(value);
            break;
        }
        case 'M': {
            float value = 0;
            std::int32_t thousandths = 0;
            if (ParseReal(ReadNumber(), value)) {
                const float scaled = std::trunc(value * 1000.0f);
                // Values beyond the 32-bit range saturate instead of overflowing.
                if (scaled >= 2147483648.0f) {
                    thousandths = INT32_MAX;
                } else if (scaled <= -2147483648.0f) {
                    thousandths = INT32_MIN;
                } else {
                    thousandths = static_cast<std::int32_t>(scaled);
                }
            } else {
                error_ = true;
            }
            Write<std::int32_t>(thousandths);
            break;
        }
        case 'B': {
            static constexpr struct {
                std::string_view word;
                bool value;
            } words[] = {{"YES", true},    {"Y", true},    {"TRUE", true}, {"OK", true},
                         {"ON", true},     {"1", true},    {"NO", false},  {"N", false},
                         {"FALSE", false}, {"BAD", false}, {"OFF", false}, {"0", false}};
            bool value = false;
            bool matched = false;
            for (const auto& w : words) {
                std::size_t k = 0;
                while (k < w.word.size() && AsciiUpper(At(cursor_ + k)) == w.word[k]) ++k;
                if (k == w.word.size()) {
                    cursor_ += k;
                    value = w.value;
                    matched = true;
                    break;
                }
            }
            if (!matched) error_ = true;
            Write<bool>(value);
            break;
        }
        case 'D': {
            std::uint16_t v[3] = {};
            if (!ReadPattern(DatePatterns().DatePattern, 3, v)) error_ = true;
            Write<std::uint16_t>(DayNumber(v[2], v[0], v[1]));
            break;
        }
        case 'J': {
            std::uint16_t v[6] = {};
            if (!ReadPattern(DatePatterns().DateTimePattern, 6, v)) error_ = true;
            Write<std::int32_t>(DateTimeSeconds(v[2], v[0], v[1], v[3], v[4], v[5]));
            break;
        }
        case 'T': {
            const bool negative = Cur() == '-';
            if (Cur() == '-' || Cur() == '+') ++cursor_;
            std::uint16_t v[3] = {};
            if (!ReadPattern(DatePatterns().TimePattern, 3, v)) error_ = true;
            const std::int32_t seconds = TimeOfDaySeconds(v[0], v[1], v[2]);
            Write<std::int32_t>(negative ? -seconds : seconds);
            break;
        }
        case 'Q': {
            const std::size_t start = ReadToCommaOrLineEnd();
            if (std::int32_t* out = Next<std::int32_t>()) {
                *out = EvaluateDateExpression(Slice(start, cursor_), *out);
            } else {
                error_ = true;
            }
            break;
        }
        case '?': {
            // Here the width bounds the absolute position in the source.
            const char target = step.hasArgument ? step.argument : '\0';
            while ((width_ == 0 || cursor_ < width_) && Cur() != '\0' && Cur() != target) ++cursor_;
            if (target != '\0' && Cur() == target && (width_ == 0 || cursor_ < width_)) {
                ++cursor_;
            } else {
                error_ = true;
            }
            break;
        }
        case 'N':
            if (Cur() == '\r' && At(cursor_ + 1) == '\n') {
                cursor_ += 2;
            } else {
                error_ = true;
            }
            break;
        case '[': required_ = false; break;
        case ']': required_ = true; break;
        case '_':
            while (Cur() != '\0' && !(Cur() >= '!' && Cur() <= '~')) ++cursor_;
            break;
        default: error_ = true; break;
    }

    // An upper-case letter also skips the rest of the field and its comma.
    if (letter >= 'A' && letter <= 'Z') {
        while (!IsLineEnd(Cur()) && Cur() != ',') ++cursor_;
        if (Cur() == ',') ++cursor_;
    }
}

}  // namespace

bool ScanFormattedDynamic(std::string_view source, int& position, std::string_view format,
                          std::span<const ScanOutput> outputs) {
    const std::size_t cursor = position <= 0 ? 0 : static_cast<std::size_t>(position) - 1;
    Scanner scanner(source, cursor, outputs);
    const bool result = scanner.Run(format);
    position = static_cast<int>(std::min<std::size_t>(scanner.cursor(), INT32_MAX - 1) + 1);
    return result;
}

}  // namespace qx
