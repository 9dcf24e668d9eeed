#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "serverlink/SetupRecords.h"
#include "textscan/Regional.h"

namespace qx {
namespace {

using I = std::int64_t;
using U = std::uint64_t;

TEST(SetupValueConversion, TextComesFromEveryScalar) {
    const struct {
        TSetupValue value;
        const char* text;
    } cases[] = {
        {std::string("ST1"), "ST1"},
        {std::string(), ""},
        {true, "True"},
        {false, "False"},
        {I{-12}, "-12"},
        {U{65535}, "65535"},
        {2.5, "2.5"},
        {1e20, "1e+20"},
    };
    for (const auto& c : cases) {
        std::string text = "old";
        EXPECT_TRUE(SetupValueToText(c.value, text)) << c.text;
        EXPECT_EQ(text, c.text);
    }
    std::string text = "old";
    EXPECT_FALSE(SetupValueToText(TUnconvertible{}, text));
    EXPECT_EQ(text, "old");
}

TEST(SetupValueConversion, BooleansFromBooleansNumbersAndTrueFalseTexts) {
    const struct {
        TSetupValue value;
        bool ok;
        bool result;
    } cases[] = {
        {true, true, true},
        {false, true, false},
        {I{0}, true, false},
        {I{-1}, true, true},
        {U{7}, true, true},
        {0.0, true, false},
        {0.25, true, true},
        {std::string("TRUE"), true, true},
        {std::string(" false "), true, false},
        {std::string("True"), true, true},
        {std::string("False"), true, false},
        {std::string("yes"), false, false},
        // Number texts convert as the numbers they spell.
        {std::string("1"), true, true},
        {std::string(" 0 "), true, false},
        {std::string("-1"), true, true},
        {std::string("0.0"), true, false},
        {std::string("1x"), false, false},
        {std::string("nan"), false, false},
        {std::string(), false, false},
        {std::numeric_limits<double>::quiet_NaN(), false, false},
        {TUnconvertible{}, false, false},
    };
    int row = 0;
    for (const auto& c : cases) {
        bool result = !c.result;
        EXPECT_EQ(SetupValueToBool(c.value, result), c.ok) << "row " << row;
        if (c.ok) {
            EXPECT_EQ(result, c.result) << "row " << row;
        }
        ++row;
    }
}

TEST(SetupValueConversion, IntegersFromNumbersAndDecimalText) {
    const struct {
        TSetupValue value;
        bool ok;
        std::int64_t result;
    } cases[] = {
        {I{-5}, true, -5},
        {U{42}, true, 42},
        {U{std::numeric_limits<std::uint64_t>::max()}, false, 0},
        {2.5, true, 2},  // ties to even, as variants round
        {3.5, true, 4},
        {-2.6, true, -3},
        {std::numeric_limits<double>::infinity(), false, 0},
        {1e300, false, 0},
        {std::string("180000"), true, 180000},
        {std::string(" +7 "), true, 7},
        {std::string("-3"), true, -3},
        {std::string("12.0"), true, 12},
        {std::string(" 12.5 "), true, 12},  // as the real 12.5 rounds
        {std::string("13.5"), true, 14},
        {std::string("-0.6"), true, -1},
        {std::string("1e3"), true, 1000},
        {std::string("12abc"), false, 0},
        {std::string("12.0.1"), false, 0},
        {std::string("inf"), false, 0},
        {std::string("1e300"), false, 0},
        {std::string("True"), false, 0},
        {std::string(""), false, 0},
        {std::string("99999999999999999999"), false, 0},
        {true, false, 0},
        {TUnconvertible{}, false, 0},
    };
    int row = 0;
    for (const auto& c : cases) {
        std::int64_t result = 0;
        EXPECT_EQ(SetupValueToInteger(c.value, result), c.ok) << "row " << row;
        if (c.ok) {
            EXPECT_EQ(result, c.result) << "row " << row;
        }
        ++row;
    }
}

// 37 values in the protocol's wire types: text "T<n>", integers 1000 + n,
// booleans false except those listed.
TSetupValues GeneralValues(std::initializer_list<int> trueFlags = {}) {
    TSetupValues values;
    for (int n = 0; n < 37; ++n) {
        const bool text = n <= 6 || (n >= 20 && n <= 22) || n == 28;
        const bool integer = (n >= 8 && n <= 12) || n == 26 || n == 34 || n == 36;
        if (text) {
            values.emplace_back("T" + std::to_string(n));
        } else if (integer) {
            values.emplace_back(I{1000 + n});
        } else {
            bool on = false;
            for (int f : trueFlags) on = on || f == n;
            values.emplace_back(on);
        }
    }
    return values;
}

TEST(GeneralSetup, DefaultsFollowTheHomeDirectoryAndTheClock) {
    const TGeneralSetup g = InitGeneralSetup("/opt/quintrel/", 123456);
    EXPECT_EQ(g.LogDirectory, "/opt/quintrel/LOG/");
    EXPECT_EQ(g.RawDirectory, "/opt/quintrel/RAW/");
    EXPECT_EQ(g.Stations, "");
    EXPECT_EQ(g.Word8, 60000);
    EXPECT_EQ(g.Word9, 60000);
    EXPECT_EQ(g.Int10, 180000);
    EXPECT_EQ(g.Int11, 2000);
    EXPECT_EQ(g.Int12, 0);
    EXPECT_EQ(g.Int26, 998877);
    EXPECT_EQ(g.Int36, 123456);
    EXPECT_FALSE(g.RtuEnabled || g.DecodeEnabled || g.ZOVizEnabled || g.Flag7 || g.Flag35);
}

TEST(GeneralSetup, EachValueLandsInTheFieldOfItsNumber) {
    TGeneralSetup g;
    ASSERT_TRUE(GeneralSetupFromValues(GeneralValues({14, 32, 23}), g));
    EXPECT_EQ(g.Text0, "T0");
    EXPECT_EQ(g.Text3, "T3");
    EXPECT_EQ(g.LogDirectory, "T4");
    EXPECT_EQ(g.RawDirectory, "T5");
    EXPECT_EQ(g.Stations, "T6");
    EXPECT_EQ(g.Word8, 1008);
    EXPECT_EQ(g.Word9, 1009);
    EXPECT_EQ(g.Int10, 1010);
    EXPECT_EQ(g.Int11, 1011);
    EXPECT_EQ(g.Int12, 1012);
    EXPECT_TRUE(g.RtuEnabled);
    EXPECT_FALSE(g.DecodeEnabled);
    EXPECT_TRUE(g.ZOVizEnabled);
    EXPECT_TRUE(g.Flag23);
    EXPECT_FALSE(g.Flag24);
    EXPECT_EQ(g.Text20, "T20");
    EXPECT_EQ(g.Text22, "T22");
    EXPECT_EQ(g.Int26, 1026);
    EXPECT_EQ(g.Text28, "T28");
    EXPECT_EQ(g.Int34, 1034);
    EXPECT_EQ(g.Int36, 1036);

    ASSERT_TRUE(GeneralSetupFromValues(GeneralValues({15}), g));
    EXPECT_TRUE(g.DecodeEnabled);
    EXPECT_FALSE(g.RtuEnabled || g.ZOVizEnabled);
}

TEST(GeneralSetup, LooseWireTypesConvertAsVariantsDo) {
    TSetupValues values = GeneralValues();
    values[14] = std::string("true");  // a boolean sent as text
    values[15] = I{1};                 // ... or as a number
    values[10] = std::string("250");   // an integer sent as text
    values[6] = I{17};                 // text from a number
    values[8] = I{65536 + 5};          // 16-bit fields keep the low bits
    values[9] = I{-1};
    values.emplace_back(std::string("a 38th value is ignored"));
    TGeneralSetup g;
    ASSERT_TRUE(GeneralSetupFromValues(values, g));
    EXPECT_TRUE(g.RtuEnabled);
    EXPECT_TRUE(g.DecodeEnabled);
    EXPECT_EQ(g.Int10, 250);
    EXPECT_EQ(g.Stations, "17");
    EXPECT_EQ(g.Word8, 5);
    EXPECT_EQ(g.Word9, 65535);
}

TEST(SetupValueConversion, NumberTextsTakeTheRegionalDecimalSeparator) {
    TRegionalSettings comma;
    comma.DecimalSeparator = ',';
    ScopedRegional regional(comma);
    std::int64_t n = 0;
    EXPECT_TRUE(SetupValueToInteger(std::string("12,0"), n));
    EXPECT_EQ(n, 12);
    EXPECT_TRUE(SetupValueToInteger(std::string("12.0"), n));
    bool b = false;
    EXPECT_TRUE(SetupValueToBool(std::string("0,5"), b));
    EXPECT_TRUE(b);
}

// A setup server that sends its flags as "1"/"0" and its numbers as "12.0"
// (as text-typed variants arrive) still gives a usable general setup.
TEST(GeneralSetup, FlagsAndNumbersSentAsTextConvert) {
    TSetupValues values = GeneralValues();
    values[14] = std::string("1");
    values[15] = std::string("0");
    values[32] = std::string("True");
    values[10] = std::string("12.0");
    values[36] = std::string("946684800");
    TGeneralSetup g;
    ASSERT_TRUE(GeneralSetupFromValues(values, g));
    EXPECT_TRUE(g.RtuEnabled);
    EXPECT_FALSE(g.DecodeEnabled);
    EXPECT_TRUE(g.ZOVizEnabled);
    EXPECT_EQ(g.Int10, 12);
    EXPECT_EQ(g.Int36, 946684800);
}

TEST(GeneralSetup, ShortOrUnconvertibleRecordsAreRefusedAndLeaveTheRecord) {
    TSetupValues shortRecord = GeneralValues();
    shortRecord.pop_back();
    TSetupValues structure = GeneralValues();
    structure[20] = TUnconvertible{};
    TSetupValues badBool = GeneralValues();
    badBool[14] = std::string("maybe");
    TSetupValues overflow = GeneralValues();
    overflow[10] = I{std::int64_t{1} << 31};
    for (const TSetupValues* values : {&shortRecord, &structure, &badBool, &overflow}) {
        TGeneralSetup g = InitGeneralSetup("/h/", 1);
        EXPECT_FALSE(GeneralSetupFromValues(*values, g));
        EXPECT_EQ(g, InitGeneralSetup("/h/", 1));
    }
    TGeneralSetup g;
    EXPECT_FALSE(GeneralSetupFromValues({}, g));
}

TSetupValues SensorValues() {
    TSetupValues values;
    for (int n = 0; n < 75; ++n) {
        if (n == 6 || n == 8) {
            values.emplace_back(n == 8);
        } else if (n == 7) {
            values.emplace_back(I{70000});
        } else {
            values.emplace_back("V" + std::to_string(n));
        }
    }
    return values;
}

TEST(SensorSetup, DefaultsNameTheSensorAskedFor) {
    const TSensorSetup s = InitSensorSetup("ST1", "AIR");
    EXPECT_EQ(s.StationName, "ST1");
    EXPECT_EQ(s.SensorName, "AIR");
    EXPECT_EQ(s.RtuSensorName, "AIR");
    EXPECT_TRUE(s.Enabled);
    EXPECT_FALSE(s.IsText);
    EXPECT_EQ(s.Equation, "");
    EXPECT_EQ(s.RawList, "");
    EXPECT_EQ(s.Int7, 2);
    EXPECT_EQ(s.DataFileName(), "QX_DATA1");
    EXPECT_EQ(s.Texts[0], "");
}

TEST(SensorSetup, ValuesConvertInOrder) {
    TSensorSetup s;
    ASSERT_TRUE(SensorSetupFromValues(SensorValues(), s));
    EXPECT_EQ(s.StationName, "V0");
    EXPECT_EQ(s.SensorName, "V1");
    EXPECT_EQ(s.Equation, "V2");
    EXPECT_EQ(s.RtuSensorName, "V3");
    EXPECT_EQ(s.Text4, "V4");
    EXPECT_EQ(s.RawList, "V5");
    EXPECT_FALSE(s.Enabled);
    EXPECT_EQ(s.Int7, static_cast<std::int16_t>(70000 - 65536));
    EXPECT_TRUE(s.IsText);
    EXPECT_EQ(s.Texts.front(), "V9");
    EXPECT_EQ(s.DataFileName(), "V19");
    EXPECT_EQ(s.Texts.back(), "V74");
}

TEST(SensorSetup, ShortOrUnconvertibleRecordsAreRefused) {
    TSetupValues shortRecord = SensorValues();
    shortRecord.resize(74);
    TSetupValues badEnabled = SensorValues();
    badEnabled[6] = std::string("sometimes");
    TSetupValues structure = SensorValues();
    structure[74] = TUnconvertible{};
    for (const TSetupValues* values : {&shortRecord, &badEnabled, &structure}) {
        TSensorSetup s = InitSensorSetup("A", "B");
        EXPECT_FALSE(SensorSetupFromValues(*values, s));
        EXPECT_EQ(s, InitSensorSetup("A", "B"));
    }
}

}  // namespace
}  // namespace qx
