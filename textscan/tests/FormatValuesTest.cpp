#include "textscan/FormatValues.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "textscan/Regional.h"

namespace qx {
namespace {

using V = std::vector<FormatValue>;
using I = std::int64_t;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr I kInt64Min = std::numeric_limits<I>::min();

// Names parameterised cases after their table entry.
struct CaseName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& p) const {
        return p.param.name;
    }
};

struct FormatCase {
    const char* name;
    std::string_view format;
    V values;
    std::string expected;
};

std::ostream& operator<<(std::ostream& os, const FormatCase& c) {
    return os << c.name;
}

class FormatValuesCases : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatValuesCases, Formats) {
    const ScopedRegional regional('/', ':');
    const FormatCase& c = GetParam();
    EXPECT_EQ(FormatValuesDynamic(c.format, c.values), c.expected);
}

const FormatCase kCases[] = {
    // Literals and the upper-case field separator.
    {"Literals", "100%% a", {}, "100% a"},
    {"UpperSeparates", "%P%P", {"a", "b"}, "a,b"},
    {"LowerJoins", "%p%p", {"a", "b"}, "ab"},
    {"UpperAfterLiteral", "x%P", {"a"}, "x,a"},
    {"UpperFirstNoComma", "%P", {"a"}, "a"},
    {"EmptyFieldsKeepTheirPlace", "%P%P%P", {"", "", "c"}, ",,c"},
    {"NaNFieldKeepsItsPlace", "%X%X", {kNaN, 1.0}, ",1.000000"},
    {"NoCommaAfterLineEnd", "%P%N%P%P", {"a", "b", "c"}, "a\r\nb,c"},
    {"NoCommaAfterLiteralLineEnd", "%P\n%P", {"a", "b"}, "a\nb"},
    {"CommaAfterNoBreakSpace", "% %P", {"a"}, "\xC2\xA0,a"},
    {"UnknownIsNoField", "%Z%P", {"a"}, "a"},
    {"LineEndHasNoSeparator", "a%Nb", {}, "a\r\nb"},
    {"BlankIsNoBreakSpace",
     "a% b",
     {},
     "a\xC2\xA0"
     "b"},
    {"QuoteIsNoLetter", "%P%\"", {"a", "b"}, "ab"},
    {"UnknownTakesNoValue", "x%Z%5k%i", {I{7}}, "x7"},
    {"PercentAtEnd", "ab%", {}, "ab"},
    {"SeparatorForEveryKind",
     "%C%B%I%R%D",
     {'c', true, I{1}, 2.5, I{1}},
     "c,Yes,1,2.500000,01/01/1985"},

    // Text.
    {"TextPadded", "%5p|", {"ab"}, "ab   |"},
    {"TextNotCut", "%2s|", {"abc"}, "abc|"},
    {"TextZeroPadded", "%05p", {"ab"}, "ab000"},
    {"WidthFromValue", "%*p|", {I{4}, "ab"}, "ab  |"},
    {"NegativeWidthFromValue", "%*p|", {I{-4}, "ab"}, "ab|"},
    {"FirstCharacters", "%3f", {"abcdef"}, "abc"},
    {"FirstCharactersNoWidth", "%f", {"abcdef"}, "abcdef"},
    {"FirstCharactersShortText", "%10f|", {"abc"}, "abc|"},
    {"FirstCharactersKeepUtf8Whole", "%2f|%3f", {"a\xC3\xA9", "a\xC3\xA9"}, "a|a\xC3\xA9"},

    // The double-quote directive picks quotes the scanner reads back.
    {"QuotePlain", "%\"", {"abc"}, "abc"},
    {"QuoteComma", "%\"", {"a,b"}, "\"a,b\""},
    {"QuoteCommaAndDouble", "%\"", {"a,\"b\""}, "'a,\"b\"'"},
    {"QuoteStartsSingle", "%\"", {"'ab"}, "\"'ab\""},
    {"QuoteStartsDouble", "%\"", {"\"ab"}, "'\"ab'"},
    {"QuoteInnerDoubleNoComma", "%\"", {"a\"b"}, "a\"b"},
    {"QuoteEmpty", "[%\"]", {""}, "[]"},

    // Characters and booleans.
    {"Char", "%c%C", {'x', 'y'}, "x,y"},
    {"Bool", "%b %b", {true, false}, "Yes No"},

    // Integers.
    {"IntegerRightAligned", "%5i|", {I{-42}}, "  -42|"},
    {"ZeroFlagMovesSign", "%05l", {I{-42}}, "-0042"},
    {"ZeroFlagPositive", "%05w", {I{42}}, "00042"},
    {"ZeroFlagNotCountingSeparator", "%P%05I", {"a", I{7}}, "a,00007"},
    {"IntegerWiderThanWidth", "%2i", {I{12345}}, "12345"},
    {"IntegerMin", "%i", {kInt64Min}, "-9223372036854775808"},
    {"IntegerMinZeroPadded", "%022i", {kInt64Min}, "-009223372036854775808"},
    {"IntegerPrecisionIgnored", "%.3i", {I{5}}, "5"},

    // Reals.
    {"RealDefaultPrecision", "%x", {1.5}, "1.500000"},
    {"RealWidthPrecision", "%8.2x|", {3.14159}, "    3.14|"},
    {"RealZeroFlag", "%08.2r", {-3.14159}, "-0003.14"},
    {"RealPrecisionZero", "%.0x", {2.0}, "2"},
    {"RealTrimmedHalf", "%.10x", {1.5}, "1.5"},
    {"RealTrimmedWhole", "%.12x", {2.0}, "2.0"},
    {"RealTrimmedNineDigits", "%.10x", {0.123456789123}, "0.123456789"},
    {"RealTrimmedNegativeWidth", "%6.10x|", {-2.25}, " -2.25|"},
    {"RealNinePlaces", "%.9x", {2.0}, "2.000000000"},
    {"RealPrecisionFromValue", "%.*x", {I{2}, 1.005}, "1.00"},
    {"RealNegativePrecisionFromValue", "%.*x", {I{-1}, 1.0}, "1.000000"},
    {"RealFromInteger", "%.1x", {I{3}}, "3.0"},
    {"RealExactLarge", "%.0x", {1e22}, "1" + std::string(22, '0')},
    {"RealNaNWritesNothing", "%x|", {kNaN}, "|"},
    {"RealNaNKeepsSeparator", "%X%X", {1.0, kNaN}, "1.000000,"},
    {"RealNaNInWidth", "%5x|", {kNaN}, "  NAN|"},
    {"RealNaNZeroFlagBlanks", "%05x|", {kNaN}, "  NAN|"},
    {"RealInfinity", "%x %x", {kInf, -kInf}, "INF -INF"},
    {"RealInfinityInWidth", "%06r", {-kInf}, "  -INF"},

    // Milli-units.
    {"Milli", "%m", {I{1500}}, "1.500000"},
    {"MilliWidthPrecision", "%7.2m|", {I{-1234}}, "  -1.23|"},
    {"MilliTrimmed", "%.10m", {I{2000}}, "2.0"},

    // Dates and times.
    {"DayNumber", "%d", {I{8898}}, "05/12/2009"},
    {"DayNumberOne", "%d", {I{1}}, "01/01/1985"},
    {"DayNumberZero", "%d", {I{0}}, "12/31/1984"},
    {"DayNumberPastSecondsRange", "%d", {I{65535}}, "06/05/2164"},
    {"DayNumberSixteenBits", "%d", {I{65536 + 1}}, "01/01/1985"},
    {"DateTime", "%J", {I{768824100}}, "05/12/2009 10:15:00"},
    {"DateTimeSeparated", "%P%J", {"ST1", I{86400 + 3661}}, "ST1,01/01/1985 01:01:01"},
    {"TimeNegative", "%t", {I{-5400}}, "-01:30:00"},
    {"TimeZero", "%t", {I{0}}, "00:00:00"},
    {"TimeLongHours", "%t", {I{360000 + 59}}, "100:00:59"},
    {"TimeMin", "%t", {kInt64Min}, "-2562047788015215:30:08"},
};

INSTANTIATE_TEST_SUITE_P(Format, FormatValuesCases, ::testing::ValuesIn(kCases), CaseName());

TEST(FormatValues, LargestRealFitsInFull) {
    const std::string text = FormatValuesDynamic("%.9x", V{-std::numeric_limits<double>::max()});
    EXPECT_EQ(text.size(), 1u + 309u + 1u + 9u);
    EXPECT_EQ(text.substr(0, 18), "-17976931348623157");
    EXPECT_EQ(text.substr(text.size() - 10), ".000000000");
}

TEST(FormatValues, DatesFollowRegionalSeparators) {
    const ScopedRegional regional('.', '-');
    EXPECT_EQ(FormatValuesDynamic("%d", V{I{8898}}), "05.12.2009");
    EXPECT_EQ(FormatValuesDynamic("%j", V{I{768824100}}), "05.12.2009 10-15-00");
    EXPECT_EQ(FormatValuesDynamic("%t", V{I{-5400}}), "-01-30-00");
}

struct ErrorCase {
    const char* name;
    std::string_view format;
    V values;
};

std::ostream& operator<<(std::ostream& os, const ErrorCase& c) {
    return os << c.name;
}

class FormatValuesErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(FormatValuesErrors, Throws) {
    const ErrorCase& c = GetParam();
    EXPECT_THROW(FormatValuesDynamic(c.format, c.values), std::invalid_argument);
}

const ErrorCase kErrors[] = {
    {"MissingValue", "%P%P", {"a"}},       {"MissingWidth", "%*p", {}},
    {"MissingAfterWidth", "%*p", {I{3}}},  {"TextGivenInteger", "%p", {I{1}}},
    {"IntegerGivenReal", "%i", {1.0}},     {"MilliGivenReal", "%m", {1.0}},
    {"DateGivenText", "%d", {"1"}},        {"CharGivenText", "%c", {"x"}},
    {"BoolGivenInteger", "%b", {I{1}}},    {"RealGivenBool", "%x", {true}},
    {"WidthGivenReal", "%*x", {2.0, 1.0}}, {"PrecisionGivenText", "%.*x", {"2", 1.0}},
};

INSTANTIATE_TEST_SUITE_P(Format, FormatValuesErrors, ::testing::ValuesIn(kErrors), CaseName());

TEST(FormatValues, ErrorNamesDirectiveAndValue) {
    try {
        FormatValuesDynamic("%P%i", V{"a", 1.5});
        FAIL() << "no exception";
    } catch (const std::invalid_argument& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("value 2"), std::string::npos) << message;
        EXPECT_NE(message.find("%i"), std::string::npos) << message;
    }
}

// These calls are checked against their format when compiled.
TEST(FormatValues, CheckedTemplate) {
    const std::string station = "ST1";
    const char* const nothing = nullptr;
    EXPECT_EQ(FormatValues("%P%P", station, "AIR"), "ST1,AIR");
    EXPECT_EQ(FormatValues("%s.%s", station, std::string_view("AIR")), "ST1.AIR");
    EXPECT_EQ(FormatValues("%05l %.10x %.1x", -42, 1.5f, 3), "-0042 1.5 3.0");
    EXPECT_EQ(FormatValues("%*p|%c%B", 3, "a", 'z', false), "a  |z,No");
    EXPECT_EQ(FormatValues("[%p]", nothing), "[]");
    EXPECT_EQ(FormatValues("100%%"), "100%");
}

}  // namespace
}  // namespace qx
