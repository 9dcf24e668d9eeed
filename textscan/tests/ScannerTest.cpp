#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "textscan/Regional.h"
#include "textscan/ScanFormatted.h"
#include "textscan/ScanSlots.h"

namespace qx {
namespace {

struct ScanCase {
    const char* format;
    std::string source;
    int position;         // on entry
    const char* outputs;  // the outputs' values joined by "|"
    int endPosition;      // Position afterwards
    bool result;
};

std::ostream& operator<<(std::ostream& os, const ScanCase& c) {
    return os << '"' << c.format << "\" on \"" << c.source << "\" from " << c.position;
}

std::string Scan(const ScanCase& c, int& position, bool& result) {
    ScanSlots slots(c.format);
    position = c.position;
    result = ScanFormattedDynamic(c.source, position, c.format, slots.outputs());
    std::string joined;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        if (i) joined += '|';
        joined += slots.ValueText(i);
    }
    return joined;
}

class ScannerCases : public testing::TestWithParam<ScanCase> {
protected:
    ScopedRegional regional{'/', ':'};
};

TEST_P(ScannerCases, YieldsOutputsPositionAndResult) {
    const ScanCase& c = GetParam();
    int position = 0;
    bool result = false;
    EXPECT_EQ(Scan(c, position, result), c.outputs);
    EXPECT_EQ(position, c.endPosition);
    EXPECT_EQ(result, c.result);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Fields, ScannerCases, testing::Values(
    ScanCase{"%P%P", "ABC,DEF", 1, "ABC|DEF", 8, true},
    ScanCase{"%P%P", "ABC", 1, "ABC|", 4, true},
    ScanCase{"%p%p", "ABC,DEF", 1, "ABC|", 4, true},
    ScanCase{"%P", "AB\r\nCD", 1, "AB", 3, true},
    ScanCase{"%3P", "ABCDEF,X", 1, "ABC", 8, true},
    ScanCase{"%3p", "ABCDEF,X", 1, "ABC", 4, true},
    ScanCase{"%s.%P%P", "ST1.AIR,12.5,ST2.X,1", 1, "ST1|AIR|12.5", 14, true},
    ScanCase{"%s.%P%P", "ST1.AIR,12.5,ST2.X,1", 14, "ST2|X|1", 21, true},
    ScanCase{"%s.%s", "ST1.AIR", 1, "ST1|AIR", 8, true},
    ScanCase{"%s.", "A\r\nB.C", 1, "A\r\nB", 6, true},
    ScanCase{"%2s.", "ABCD.E", 1, "AB", 4, true},
    ScanCase{"%s.%P%P", "garbage", 1, "garbage||", 8, true},
    ScanCase{"%P", "", 0, "", 1, true},
    ScanCase{"%P%P", "A,B", 9, "|", 9, true}
));

INSTANTIATE_TEST_SUITE_P(Quotes, ScannerCases, testing::Values(
    ScanCase{"%v\"", "\"a,b\",c", 1, "\"a,b\"", 6, true},
    ScanCase{"%V\"", "\"a,b\"x,c", 1, "\"a,b\"x", 8, true},
    ScanCase{"%\",", "\"a,b\",c", 1, "a,b", 7, true},
    ScanCase{"%\",", "'say \"x\"' tail,next", 1, "say \"x\"", 16, true},
    ScanCase{"%\",", "plain,next", 1, "plain", 7, true},
    ScanCase{"%\",", "end\r\n", 1, "end", 4, true},
    ScanCase{"%\",", "\"open", 1, "open", 6, true}
));

INSTANTIATE_TEST_SUITE_P(Numbers, ScannerCases, testing::Values(
    ScanCase{"%W", "70000", 1, "0", 6, false},
    ScanCase{"%W", "65535", 1, "65535", 6, true},
    ScanCase{"%w%c", "12a", 1, "12|a", 4, true},
    ScanCase{"%w", "", 1, "0", 1, false},
    ScanCase{"%i", "-42x", 1, "-42", 4, true},
    ScanCase{"%i", "+7", 1, "7", 3, true},
    ScanCase{"%i", "2147483648", 1, "0", 11, false},
    ScanCase{"%i", "-2147483648", 1, "-2147483648", 12, true},
    ScanCase{"%i", "-", 1, "0", 2, false},
    ScanCase{"%2l", "12345", 1, "12", 3, true},
    ScanCase{"%E", " 12.5 ,x", 1, "12.5", 8, true},
    ScanCase{"%e", "abc", 1, "-nan", 4, false},
    ScanCase{"%e", "inf", 1, "-nan", 4, false},
    ScanCase{"%r%c", "-1.5e3x", 1, "-1500|x", 8, true},
    ScanCase{"%r%c", "12Ex", 1, "12|E", 4, true},
    ScanCase{"%x", ".25", 1, "0.25", 4, true},
    ScanCase{"%x", "-", 1, "0", 2, false},
    ScanCase{"%m", "1.2345", 1, "1234", 7, true},
    ScanCase{"%m", "-0.0019", 1, "-1", 8, true},
    ScanCase{"%m", "1e30", 1, "2147483647", 5, true}
));

INSTANTIATE_TEST_SUITE_P(WordsAndChars, ScannerCases, testing::Values(
    ScanCase{"%B", "yes", 1, "true", 4, true},
    ScanCase{"%b", "Off", 1, "false", 4, true},
    ScanCase{"%b%c", "y1", 1, "true|1", 3, true},
    ScanCase{"%B", "maybe", 1, "false", 6, false},
    ScanCase{"%[%B%]", "maybe", 1, "false", 6, true},
    ScanCase{"%[%B%]%B", "maybe,x", 1, "false|false", 8, false},
    ScanCase{"%c%c", "A", 1, "A|\\0", 2, true},
    ScanCase{"a%cC", "Ax", 1, "x", 3, false},
    ScanCase{"ab%c", "AB!", 1, "!", 4, true},
    ScanCase{"%%%c", "%z", 1, "z", 3, true},
    ScanCase{"%?=%p", "key=value", 1, "value", 10, true},
    ScanCase{"%?=%p", "novalue", 1, "", 8, false},
    ScanCase{"%3?=%p", "key=value", 1, "=value", 10, false},
    ScanCase{"%n%c", "\r\nA", 1, "A", 4, true},
    ScanCase{"%n%c", "\nA", 1, "\n", 2, false},
    ScanCase{"%_%c", " \t x", 1, "x", 5, true},
    ScanCase{"%z%c", "ab", 1, "a", 2, false},
    ScanCase{"%", "ab", 1, "", 1, false},
    ScanCase{"%*P", "ABCDEF", 1, "0|ABCDEF", 7, true}
));

INSTANTIATE_TEST_SUITE_P(DatesAndTimes, ScannerCases, testing::Values(
    ScanCase{"%J", "05/12/2009 10:15:00,X", 1, "768824100", 21, true},
    ScanCase{"%J", "05/12/09 10:15:00", 1, "36900", 18, true},
    ScanCase{"%J", "5/1/2009 7:05:09,A.B,1", 1, "767862309", 18, true},
    ScanCase{"%J", "05/12/2009 10:15:00.25 UTC,ST1", 1, "768824100", 28, true},
    ScanCase{"%J", "05/12 10:15:00,A.B,1", 1, "54000", 20, false},
    ScanCase{"%D", "03/01/2000", 1, "5539", 11, true},
    ScanCase{"%T", "-01:30:00", 1, "-5400", 10, true},
    ScanCase{"%t", "+00:00:09", 1, "9", 10, true},
    ScanCase{"%t", "1:2", 1, "3720", 4, false}
));
// clang-format on

TEST(Scanner, DatePatternsFollowRegionalSeparators) {
    ScopedRegional regional('.', '-');
    std::int32_t seconds = 0;
    int position = 1;
    EXPECT_TRUE(ScanFormatted("05.12.2009 10-15-00", position, "%j", seconds));
    EXPECT_EQ(seconds, 768824100);
    EXPECT_FALSE(ScanText("05/12/2009 10:15:00", "%j", seconds));
}

TEST(Scanner, TypedOutputsAndWidthEntries) {
    std::string station, sensor, value;
    int position = 0;
    EXPECT_TRUE(ScanFormatted("ST1.AIR,12.5", position, "%s.%P%P", station, sensor, value));
    EXPECT_EQ(station + "|" + sensor + "|" + value, "ST1|AIR|12.5");

    std::int32_t width = 2;
    std::string field;
    EXPECT_TRUE(ScanText("ABCD", "%*p", width, field));
    EXPECT_EQ(field, "AB");
}

TEST(Scanner, DynamicFormatWithWrongOrMissingOutputFails) {
    std::int32_t number = 5;
    const ScanOutput wrong[] = {ScanOutput(number)};
    int position = 1;
    EXPECT_FALSE(ScanFormattedDynamic("ABC", position, "%p", wrong));
    EXPECT_EQ(number, 5);
    EXPECT_EQ(position, 4);
    EXPECT_FALSE(ScanTextDynamic("ABC", "%p", {}));
}

TEST(Scanner, QueryDirectiveIsRelativeToOutputValue) {
    std::int32_t seconds = 768824100;  // 2009-05-12 10:15:00
    EXPECT_TRUE(ScanText("TODAY+01:00:00", "%q", seconds));
    EXPECT_EQ(seconds, 768787200 + 3600);
}

TEST(Scanner, EmbeddedNulEndsLinesButNotTheSource) {
    const std::string source("A\0B.C", 5);
    std::string station, sensor, value;
    int position = 1;
    ScanFormatted(source, position, "%s.%P%P", station, sensor, value);
    EXPECT_EQ(station, "A");
    EXPECT_GT(position, 1);
}

TEST(Scanner, FormatOutputsAreListedInOrder) {
    std::string kinds;
    ForEachScanOutput("%*.*p,%c%b%w%i%e%x%?=%n%[%]%S.%V'%\",%z",
                      [&](ScanKind k) { kinds += ScanSlots::KindName(k).front(); });
    EXPECT_EQ(kinds, "iitcbuiffttt");
    static_assert(ScanFormatMatches("%s.%P%P", {ScanKind::Text, ScanKind::Text, ScanKind::Text}));
    static_assert(!ScanFormatMatches("%s.%P%P", {ScanKind::Text, ScanKind::Text}));
    static_assert(!ScanFormatMatches("%J", {ScanKind::U16}));
}

}  // namespace
}  // namespace qx
