// The setup server's records: the general setup (37 values) and one sensor's
// setup (75 values), their defaults, and the conversions of the values as the
// server delivers them. Plain C++: the D-Bus boundary turns wire values into
// TSetupValue (DBusValues.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace qx {

// A value that cannot be converted to anything (a structure, a nested array).
struct TUnconvertible {
    friend bool operator==(TUnconvertible, TUnconvertible) { return true; }
};

// One value of a setup record as it came over the wire.
using TSetupValue =
    std::variant<TUnconvertible, bool, std::int64_t, std::uint64_t, double, std::string>;
using TSetupValues = std::vector<TSetupValue>;

// Variant-style conversions; false when the value cannot be converted.
// Text from any scalar; booleans from booleans, numbers (non-zero is true),
// the texts "true"/"false" in any letter case and number texts ("1", "0",
// "-1", "0.5"); integers from numbers and number texts, reals rounded to
// nearest, ties to even ("12.0" is 12). Number texts take "." or the
// regional decimal separator.
bool SetupValueToText(const TSetupValue& value, std::string& out);
// The same, moving a text out of the value instead of copying it.
bool TakeSetupValueText(TSetupValue&& value, std::string& out);
bool SetupValueToBool(const TSetupValue& value, bool& out);
bool SetupValueToInteger(const TSetupValue& value, std::int64_t& out);

inline constexpr std::size_t GeneralSetupValueCount = 37;
inline constexpr std::size_t SensorSetupValueCount = 75;

// The general setup. Fields in declaration order, each named by its value
// number unless this program uses it.
struct TGeneralSetup {
    std::string Text0, Text1, Text2, Text3;
    std::string LogDirectory;  // 4
    std::string RawDirectory;  // 5
    std::string Stations;      // 6, comma-separated
    bool Flag7 = false;
    std::uint16_t Word8 = 60000;
    std::uint16_t Word9 = 60000;
    std::int32_t Int10 = 180000;
    std::int32_t Int11 = 2000;
    bool Flag23 = false;
    bool Flag24 = false;
    std::int32_t Int12 = 0;
    bool Flag13 = false;
    bool RtuEnabled = false;     // 14
    bool DecodeEnabled = false;  // 15
    bool Flag16 = false, Flag17 = false, Flag18 = false, Flag19 = false;
    std::string Text20, Text21;
    bool Flag25 = false;
    std::int32_t Int26 = 998877;
    bool Flag27 = false;
    std::string Text22, Text28;
    bool Flag29 = false, Flag30 = false, Flag31 = false;
    bool ZOVizEnabled = false;  // 32
    bool Flag33 = false;
    std::int32_t Int34 = 0;
    bool Flag35 = false;
    std::int32_t Int36 = 0;  // seconds since 1984-12-31

    friend bool operator==(const TGeneralSetup&, const TGeneralSetup&) = default;
};

// The defaults: the log and raw directories below the home directory (which
// ends with "/"), value 36 the given time.
TGeneralSetup InitGeneralSetup(const std::string& HomeDirectory, std::int32_t nowSeconds);

// Converts the values into record; false (record not to be used) when there are
// fewer than 37 values or one of them cannot be converted. Values beyond the
// 37th are ignored.
bool GeneralSetupFromValues(const TSetupValues& values, TGeneralSetup& record);

// One sensor's setup, fields in value order.
struct TSensorSetup {
    std::string StationName;    // 0
    std::string SensorName;     // 1
    std::string Equation;       // 2
    std::string RtuSensorName;  // 3
    std::string Text4;
    std::string RawList;  // 5
    bool Enabled = true;  // 6
    std::int16_t Int7 = 2;
    bool IsText = false;  // 8
    std::array<std::string, 66>
        Texts;  // values 9 to 74; Texts[TextIndex(19)] is the data file name

    static constexpr std::size_t TextIndex(std::size_t value) { return value - 9; }
    const std::string& DataFileName() const { return Texts[TextIndex(19)]; }

    friend bool operator==(const TSensorSetup&, const TSensorSetup&) = default;
};

// The record used when the server has none: both names the sensor asked for,
// enabled, not text, data file "QX_DATA1".
TSensorSetup InitSensorSetup(const std::string& Station, const std::string& Sensor);

// As GeneralSetupFromValues, for the 75 values of a sensor setup.
bool SensorSetupFromValues(const TSetupValues& values, TSensorSetup& record);

}  // namespace qx
