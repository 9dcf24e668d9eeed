#include <gtest/gtest.h>

#include <string_view>

#include "textscan/FormatValues.h"
#include "textscan/ScanFormatted.h"

namespace qx {
namespace {

// The scanner and the formatter read the same syntax in their own dialects;
// these are the places where the two differ.
TEST(DirectiveStep, DialectsDifferOnlyInZeroFlagWidthCapAndArgument) {
    std::size_t i = 0;
    DirectiveStep s = ParseScanStep("%0*p", i);
    EXPECT_FALSE(s.zeroPad);  // "0" is a width digit, "*" the letter
    EXPECT_FALSE(s.widthFromList);
    EXPECT_EQ(s.ch, '*');
    EXPECT_EQ(i, 3u);

    i = 0;
    DirectiveStep f = ParseFormatStep("%0*p", i);
    EXPECT_TRUE(f.zeroPad);
    EXPECT_TRUE(f.widthFromList);
    EXPECT_EQ(f.ch, 'p');
    EXPECT_EQ(i, 4u);

    i = 0;
    s = ParseScanStep("%3.*s,x", i);
    EXPECT_EQ(s.width, 3);
    EXPECT_TRUE(s.precisionFromList);
    EXPECT_TRUE(s.hasArgument);
    EXPECT_EQ(s.argument, ',');
    EXPECT_EQ(i, 6u);

    i = 0;
    f = ParseFormatStep("%3.2s,x", i);
    EXPECT_EQ(f.width, 3);
    EXPECT_EQ(f.precision, 2);
    EXPECT_FALSE(f.hasArgument);  // the "," is the next literal
    EXPECT_EQ(i, 5u);

    i = 0;
    EXPECT_TRUE(ParseScanStep("%S", i).argumentAtEnd);

    constexpr std::string_view longWidth = "%1234567890p";
    i = 0;
    EXPECT_EQ(ParseScanStep(longWidth, i).width, 123456789);
    i = 0;
    EXPECT_EQ(ParseFormatStep(longWidth, i).width, 123456);
}

}  // namespace
}  // namespace qx
