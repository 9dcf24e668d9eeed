// Label texts of the chart's axes: numbers through a picture such as
// "###0.00" and date-times through a picture such as "mm/dd/yyyy hh:nn:ss".
#pragma once

#include <string>
#include <string_view>

namespace qx {

// Number pictures, one to three sections separated by ";" (positive,
// negative, zero). In a section: "0" a digit always shown, "#" a digit shown
// when significant, "." the decimal point (the first one), "," anywhere in
// the integer part groups thousands, "E+0", "E-0" (or "e") an exponent with
// at least as many digits as zeros follow; text in quotes and any other
// character are copied. An empty picture gives the shortest exact text.
// A value that rounds to zero is never shown with a minus sign; a value that
// is not finite gives "NAN", "INF" or "-INF".
std::string FormatNumber(double value, std::string_view picture, char decimalSeparator = '.',
                         char thousandSeparator = ',');

// Date-time pictures over days since 1899-12-30 (time of day as fraction):
// "yyyy", "yy", "m", "mm" (month, or minutes right after an hour), "d",
// "dd", "h", "hh", "n", "nn", "s", "ss", "z", "zzz"; "/" and ":" become the
// given separators; text in quotes and any other character are copied. The
// time is rounded to the millisecond. A value that is not finite or lies
// outside the years 1..9999 gives an empty text.
std::string FormatDateTime(double dateTime, std::string_view picture, char dateSeparator = '/',
                           char timeSeparator = ':');

}  // namespace qx
