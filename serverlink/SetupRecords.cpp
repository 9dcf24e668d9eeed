#include "serverlink/SetupRecords.h"
#include "textscan/AsciiText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "textscan/Regional.h"

namespace qx {

namespace {

constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string RealToText(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// Reads the values of one record in order; the first failure sticks.
class TValueReader {
public:
    explicit TValueReader(const TSetupValues& values) : values_(values) {}

    bool Ok() const { return ok_; }

    void Text(std::string& out) {
        if (const TSetupValue* v = Next(); v && !SetupValueToText(*v, out)) ok_ = false;
    }
    void Bool(bool& out) {
        if (const TSetupValue* v = Next(); v && !SetupValueToBool(*v, out)) ok_ = false;
    }
    void Int32(std::int32_t& out) {
        std::int64_t n = 0;
        if (!Integer(n)) return;
        if (n < std::numeric_limits<std::int32_t>::min() ||
            n > std::numeric_limits<std::int32_t>::max()) {
            ok_ = false;
            return;
        }
        out = static_cast<std::int32_t>(n);
    }
    // 16-bit fields keep the low 16 bits of the integer.
    void Word(std::uint16_t& out) {
        std::int64_t n = 0;
        if (Integer(n)) out = static_cast<std::uint16_t>(static_cast<std::uint64_t>(n) & 0xFFFFu);
    }
    void SmallInt(std::int16_t& out) {
        std::int64_t n = 0;
        if (Integer(n))
            out = static_cast<std::int16_t>(
                static_cast<std::uint16_t>(static_cast<std::uint64_t>(n) & 0xFFFFu));
    }

private:
    const TSetupValue* Next() {
        if (!ok_) return nullptr;
        if (next_ >= values_.size()) {
            ok_ = false;
            return nullptr;
        }
        return &values_[next_++];
    }
    bool Integer(std::int64_t& n) {
        const TSetupValue* v = Next();
        if (!v) return false;
        if (!SetupValueToInteger(*v, n)) {
            ok_ = false;
            return false;
        }
        return true;
    }

    const TSetupValues& values_;
    std::size_t next_ = 0;
    bool ok_ = true;
};

// A text that spells a number: decimal, an optional sign and fraction (with
// "." or the regional decimal separator) and exponent, blanks around it.
bool TextToReal(const std::string& text, double& out) {
    std::string t(TrimBlanks(text));
    const char separator = Regional().DecimalSeparator;
    if (separator != '.') std::replace(t.begin(), t.end(), separator, '.');
    std::string_view digits = t;
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    if (digits.empty() ||
        !(IsDigit(digits.front()) || digits.front() == '-' || digits.front() == '.'))
        return false;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), out,
                                        std::chars_format::general);
    return result.ec == std::errc() && result.ptr == digits.data() + digits.size() &&
           std::isfinite(out);
}

bool RealToInteger(double d, std::int64_t& out) {
    // Within +-2^62 the rounded value always fits.
    if (!std::isfinite(d) || std::fabs(d) > 4.6e18) return false;
    out = static_cast<std::int64_t>(std::nearbyint(d));
    return true;
}

}  // namespace

bool SetupValueToText(const TSetupValue& value, std::string& out) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        out = *text;
    } else if (const auto* b = std::get_if<bool>(&value)) {
        out = *b ? "True" : "False";
    } else if (const auto* i = std::get_if<std::int64_t>(&value)) {
        out = std::to_string(*i);
    } else if (const auto* u = std::get_if<std::uint64_t>(&value)) {
        out = std::to_string(*u);
    } else if (const auto* d = std::get_if<double>(&value)) {
        out = RealToText(*d);
    } else {
        return false;
    }
    return true;
}

bool TakeSetupValueText(TSetupValue&& value, std::string& out) {
    if (auto* text = std::get_if<std::string>(&value)) {
        out = std::move(*text);
        return true;
    }
    return SetupValueToText(value, out);
}

bool SetupValueToBool(const TSetupValue& value, bool& out) {
    if (const auto* b = std::get_if<bool>(&value)) {
        out = *b;
    } else if (const auto* i = std::get_if<std::int64_t>(&value)) {
        out = *i != 0;
    } else if (const auto* u = std::get_if<std::uint64_t>(&value)) {
        out = *u != 0;
    } else if (const auto* d = std::get_if<double>(&value)) {
        if (std::isnan(*d)) return false;
        out = *d != 0;
    } else if (const auto* text = std::get_if<std::string>(&value)) {
        const std::string_view t = TrimBlanks(*text);
        double number = 0;
        if (SameIgnoringAsciiCase(t, "true")) {
            out = true;
        } else if (SameIgnoringAsciiCase(t, "false")) {
            out = false;
        } else if (TextToReal(*text, number)) {
            out = number != 0;
        } else {
            return false;
        }
    } else {
        return false;
    }
    return true;
}

bool SetupValueToInteger(const TSetupValue& value, std::int64_t& out) {
    if (const auto* i = std::get_if<std::int64_t>(&value)) {
        out = *i;
    } else if (const auto* u = std::get_if<std::uint64_t>(&value)) {
        if (*u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return false;
        out = static_cast<std::int64_t>(*u);
    } else if (const auto* d = std::get_if<double>(&value)) {
        return RealToInteger(*d, out);
    } else if (const auto* text = std::get_if<std::string>(&value)) {
        // Whole numbers exactly; any other number text as the real it spells.
        std::string_view t = TrimBlanks(*text);
        if (!t.empty() && t.front() == '+') t.remove_prefix(1);
        if (t.empty()) return false;
        const auto result = std::from_chars(t.data(), t.data() + t.size(), out);
        if (result.ec == std::errc() && result.ptr == t.data() + t.size()) return true;
        double number = 0;
        return TextToReal(*text, number) && RealToInteger(number, out);
    } else {
        return false;
    }
    return true;
}

TGeneralSetup InitGeneralSetup(const std::string& HomeDirectory, std::int32_t nowSeconds) {
    TGeneralSetup record;
    record.LogDirectory = HomeDirectory + "LOG/";
    record.RawDirectory = HomeDirectory + "RAW/";
    record.Int36 = nowSeconds;
    return record;
}

bool GeneralSetupFromValues(const TSetupValues& values, TGeneralSetup& record) {
    if (values.size() < GeneralSetupValueCount) return false;
    // The values come in value-number order, the fields do not.
    TGeneralSetup r;
    TValueReader in(values);
    in.Text(r.Text0);
    in.Text(r.Text1);
    in.Text(r.Text2);
    in.Text(r.Text3);
    in.Text(r.LogDirectory);
    in.Text(r.RawDirectory);
    in.Text(r.Stations);
    in.Bool(r.Flag7);
    in.Word(r.Word8);
    in.Word(r.Word9);
    in.Int32(r.Int10);
    in.Int32(r.Int11);
    in.Int32(r.Int12);
    in.Bool(r.Flag13);
    in.Bool(r.RtuEnabled);
    in.Bool(r.DecodeEnabled);
    in.Bool(r.Flag16);
    in.Bool(r.Flag17);
    in.Bool(r.Flag18);
    in.Bool(r.Flag19);
    in.Text(r.Text20);
    in.Text(r.Text21);
    in.Text(r.Text22);
    in.Bool(r.Flag23);
    in.Bool(r.Flag24);
    in.Bool(r.Flag25);
    in.Int32(r.Int26);
    in.Bool(r.Flag27);
    in.Text(r.Text28);
    in.Bool(r.Flag29);
    in.Bool(r.Flag30);
    in.Bool(r.Flag31);
    in.Bool(r.ZOVizEnabled);
    in.Bool(r.Flag33);
    in.Int32(r.Int34);
    in.Bool(r.Flag35);
    in.Int32(r.Int36);
    if (!in.Ok()) return false;
    record = std::move(r);
    return true;
}

TSensorSetup InitSensorSetup(const std::string& Station, const std::string& Sensor) {
    TSensorSetup record;
    record.StationName = Station;
    record.SensorName = Sensor;
    record.RtuSensorName = Sensor;
    record.Texts[TSensorSetup::TextIndex(19)] = "QX_DATA1";
    return record;
}

bool SensorSetupFromValues(const TSetupValues& values, TSensorSetup& record) {
    if (values.size() < SensorSetupValueCount) return false;
    TSensorSetup r;
    TValueReader in(values);
    in.Text(r.StationName);
    in.Text(r.SensorName);
    in.Text(r.Equation);
    in.Text(r.RtuSensorName);
    in.Text(r.Text4);
    in.Text(r.RawList);
    in.Bool(r.Enabled);
    in.SmallInt(r.Int7);
    in.Bool(r.IsText);
    for (std::string& text : r.Texts) in.Text(text);
    if (!in.Ok()) return false;
    record = std::move(r);
    return true;
}

}  // namespace qx
