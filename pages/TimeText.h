// The text rules of the graph settings' time boxes and day count, without a
// widget: the "hh:mm:ss" check and repair of the validating time edit, the
// stepping of the field under the caret, the checked paste, and the
// conversions between those texts and spans in days.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qx {

// Whether the text is a canonical time: it scans with "%t" and formats back
// to itself ("00:60:00" fails, it formats as "01:00:00").
bool TimeRangeCheck(std::string_view text);

// The canonical form of a text that scans with "%t", else fallback.
std::string TimeNormalise(std::string_view text, std::string_view fallback);

// "00:00:00" with the regional time separator: the time of value 0.
std::string ZeroTimeText();

// The result of an edit on a time box: the new text and selection, or
// refused (the box beeps and keeps its text).
struct TTimeEdit {
    bool accepted = false;
    std::string text;
    int selStart = 0;
    int selLength = 0;
};

// Steps the run of digits at the caret by delta, an overflow carried into
// the next field; a field never goes below 0 and a result longer than
// defaultText (hours of three digits) is refused. Selects the run.
TTimeEdit StepTimeText(std::string_view text, int caret, int delta, std::string_view defaultText,
                       bool rangeChecking = true);

// Clip overwrites the text from the caret on. A result that does not scan
// is refused; one that scans is put in canonical form, and refused when
// that no longer fits the box (as long as the text was). The caret goes
// after the pasted characters (and over a separator), one selected.
TTimeEdit PasteTimeText(std::string_view text, int caret, std::string_view clip);

// "hh:mi:ss" by position (characters 1-2, 4-5 and 7-8) as a fraction of a
// day; a piece that is not an integer counts as 0. Fails for an hour above
// 23 or a minute or second above 59 (or below 0).
std::optional<double> TimeTextToDays(std::string_view text);

// The time of day of a span, "hh:nn:ss" with the regional time separator;
// whole days are dropped, milliseconds cut.
std::string DaysToTimeText(double days);

// A text as an integer: blanks around it allowed, an optional sign, digits.
std::optional<long long> IntegerText(std::string_view text);

// The day count's spin button: up wraps 365 to 0, down 0 to 365, other
// values step by one (also outside 0..365). nullopt for a text that is not
// an integer.
std::optional<std::string> StepDayText(std::string_view text, bool up);

// The shortest text that reads back as the same double, with the regional
// decimal separator.
std::string ShortestFloatText(double value);

}  // namespace qx
