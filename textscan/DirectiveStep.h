// The "%" directive syntax the scanner and the formatter share:
//
//     %[0][width|*][.precision|.*]letter[argument]
//
// A format is a run of steps: a literal character ("%%" for "%" itself) or a
// directive. A "*" takes the width or precision from the next entry of the
// value (or output) list. The user's dialect decides the rest: the formatter
// reads a leading "0" as its zero-padding flag where the scanner reads it as
// a width digit, the two cap written widths differently, and only some of
// the scanner's letters take the next format character as their argument.
#pragma once

#include <cstddef>
#include <string_view>

namespace qx {

struct DirectiveStep {
    bool literal = false;  // a literal character (or "%%")
    char ch = 0;           // the literal, or the directive letter ('\0' when missing)
    bool zeroPad = false;
    bool widthFromList = false;
    int width = 0;  // 0: none given
    bool precisionFromList = false;
    int precision = -1;        // -1: none given
    bool hasArgument = false;  // the directive's argument character is present
    char argument = 0;
    bool argumentAtEnd = false;  // the directive wanted an argument but the format ended
};

// A dialect is a type with these static members:
//
//     static constexpr bool ZeroFlag;     // a "0" right after "%" is the zero-padding flag
//     static constexpr int WidthLimit;    // width digits stop adding once the width reaches this
//     static constexpr bool TakesArgument(char letter);  // the letter takes an argument
//
// A type rather than a value, so that each user's parser is compiled for
// its dialect.

// Parses the step at format[i] (i < format.size()), advancing i past it.
template <class Dialect>
constexpr DirectiveStep ParseDirectiveStep(std::string_view format, std::size_t& i) {
    DirectiveStep step;
    const std::size_t n = format.size();
    if (format[i] != '%') {
        step.literal = true;
        step.ch = format[i++];
        return step;
    }
    ++i;
    if (i < n && format[i] == '%') {
        step.literal = true;
        step.ch = '%';
        ++i;
        return step;
    }
    if (Dialect::ZeroFlag && i < n && format[i] == '0') {
        step.zeroPad = true;
        ++i;
    }
    if (i < n && format[i] == '*') {
        step.widthFromList = true;
        ++i;
    } else {
        while (i < n && format[i] >= '0' && format[i] <= '9') {
            if (step.width < Dialect::WidthLimit) step.width = step.width * 10 + (format[i] - '0');
            ++i;
        }
    }
    if (i < n && format[i] == '.') {
        ++i;
        if (i < n && format[i] == '*') {
            step.precisionFromList = true;
            ++i;
        } else {
            step.precision = 0;
            while (i < n && format[i] >= '0' && format[i] <= '9') {
                if (step.precision < 100000)
                    step.precision = step.precision * 10 + (format[i] - '0');
                ++i;
            }
        }
    }
    step.ch = i < n ? format[i++] : '\0';
    if (step.ch != '\0' && Dialect::TakesArgument(step.ch)) {
        if (i < n) {
            step.hasArgument = true;
            step.argument = format[i++];
        } else {
            step.argumentAtEnd = true;
        }
    }
    return step;
}

}  // namespace qx
