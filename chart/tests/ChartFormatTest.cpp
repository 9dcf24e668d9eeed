#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "chart/ChartFormat.h"

namespace qx {
namespace {

struct NumberCase {
    double value;
    const char* picture;
    const char* expected;
};

TEST(ChartFormat, NumberPictures) {
    const NumberCase cases[] = {
        {12.345, "###0.00", "12.35"},
        {0.004, "###0.00", "0.00"},
        {-0.004, "###0.00", "0.00"},  // rounds to zero: no minus sign
        {-3.5, "###0.00", "-3.50"},
        {1234567.891, "###0.00", "1234567.89"},
        {1234567.891, "#,##0.00", "1,234,567.89"},
        {999.5, "#,##0", "1,000"},
        {0.5, "####", "1"},
        {0.25, "####", ""},
        {7, "000", "007"},
        {2.5, "0.0#", "2.5"},
        {2.567, "0.0#", "2.57"},
        {-2, "0.0;(0.0)", "(2.0)"},
        {0, "0.0;(0.0);zero", "zero"},
        {12345, "0.00E+00", "1.23E+04"},
        {0.000123, "0.0E-0", "1.2E-4"},
        {9.96, "0.0E+0", "1.0E+1"},
        {42, "\"T=\"0.0' C'", "T=42.0 C"},
        {std::numeric_limits<double>::quiet_NaN(), "0.00", "NAN"},
        {-std::numeric_limits<double>::infinity(), "0.00", "-INF"},
        {0.1, "", "0.1"},
        {-0.0, "", "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatNumber(c.value, c.picture), c.expected) << c.picture << " " << c.value;
    EXPECT_EQ(FormatNumber(1234.5, "#,##0.00", ',', '.'), "1.234,50");
    EXPECT_EQ(FormatNumber(1e300, "###0.00").size(), 304u);  // every digit, no overflow
}

TEST(ChartFormat, DateTimePictures) {
    // 2009-05-12 10:15:07.250
    const double t = 39945.0 + (10 * 3600 + 15 * 60 + 7.25) / 86400.0;
    struct Case {
        const char* picture;
        const char* expected;
    } cases[] = {
        {"mm/dd/yyyy hh:nn:ss", "05/12/2009 10:15:07"},
        {"hh:nn:ss", "10:15:07"},
        {"hh:mm", "10:15"},  // minutes right after the hour
        {"d/m/yy", "12/5/09"},
        {"hh:nn:ss.zzz", "10:15:07.250"},
        {"'at' h", "at 10"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatDateTime(t, c.picture), c.expected) << c.picture;
    EXPECT_EQ(FormatDateTime(t, "dd/mm/yyyy hh:nn", '.', '-'), "12.05.2009 10-15");
    // Rounded to the millisecond, carrying into the next day.
    EXPECT_EQ(FormatDateTime(39945.0 - 1e-10, "dd hh:nn:ss"), "12 00:00:00");
    EXPECT_EQ(FormatDateTime(0, "yyyy-mm-dd"), "1899-12-30");
    EXPECT_EQ(FormatDateTime(-1.25, "yyyy-mm-dd hh"), "1899-12-28 18");
    EXPECT_EQ(FormatDateTime(std::numeric_limits<double>::infinity(), "hh"), "");
    EXPECT_EQ(FormatDateTime(1e300, "hh"), "");
}

}  // namespace
}  // namespace qx
