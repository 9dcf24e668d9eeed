// The scanner's formatting twin: FormatValues writes values into a text
// driven by "%" directives. With a constant format the value types are
// checked at compile time:
//
//     qx::FormatValues("%P%P", station, sensor);   // "ST1,AIR"
//
// FormatValuesDynamic takes a format known only at run time and throws
// std::invalid_argument when a directive lacks its value or cannot take it.
#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "textscan/DirectiveStep.h"

namespace qx {

// What a formatter directive takes from the value list.
enum class FormatKind : std::uint8_t { None, Text, Char, Bool, Integer, Real };

constexpr FormatKind FormatDirectiveKind(char letter) {
    const char lower = letter >= 'A' && letter <= 'Z' ? static_cast<char>(letter + 32) : letter;
    switch (lower) {
        case 'p':
        case 's':
        case 'f':
        case '"': return FormatKind::Text;
        case 'c': return FormatKind::Char;
        case 'b': return FormatKind::Bool;
        case 'i':
        case 'l':
        case 'w':
        case 'm':
        case 'd':
        case 'j':
        case 't': return FormatKind::Integer;
        case 'r':
        case 'x': return FormatKind::Real;
        default: return FormatKind::None;  // "n", " " and unknown letters take no value
    }
}

// The formatter's dialect of the directive syntax: a leading "0" pads with
// zeros, and no letter takes an argument character.
struct FormatDialect {
    static constexpr bool ZeroFlag = true;
    static constexpr int WidthLimit = 100000;
    static constexpr bool TakesArgument(char) { return false; }
};

// Parses the format step at format[i], advancing i past it.
constexpr DirectiveStep ParseFormatStep(std::string_view format, std::size_t& i) {
    return ParseDirectiveStep<FormatDialect>(format, i);
}

// Calls visit(kind) for every value the format takes, in order ("*" widths
// and precisions take Integer values).
template <class Visit>
constexpr void ForEachFormatValue(std::string_view format, Visit&& visit) {
    std::size_t i = 0;
    while (i < format.size()) {
        const DirectiveStep step = ParseFormatStep(format, i);
        if (step.literal) continue;
        if (step.widthFromList) visit(FormatKind::Integer);
        if (step.precisionFromList) visit(FormatKind::Integer);
        const FormatKind kind = FormatDirectiveKind(step.ch);
        if (kind != FormatKind::None) visit(kind);
    }
}

// Which value kinds a C++ type may stand for.
template <class T>
constexpr bool FormatTypeAccepts(FormatKind kind) {
    using U = std::remove_cvref_t<T>;
    if constexpr (std::is_same_v<U, bool>) {
        return kind == FormatKind::Bool;
    } else if constexpr (std::is_same_v<U, char>) {
        return kind == FormatKind::Char;
    } else if constexpr (std::is_integral_v<U>) {
        return kind == FormatKind::Integer || kind == FormatKind::Real;
    } else if constexpr (std::is_floating_point_v<U>) {
        return kind == FormatKind::Real;
    } else if constexpr (std::is_convertible_v<const U&, std::string_view>) {
        return kind == FormatKind::Text;
    } else {
        return false;
    }
}

template <class... Args>
struct CheckedFormat {
    std::string_view text;
    template <class S>
    requires std::is_convertible_v<const S&, std::string_view>
    consteval CheckedFormat(const S& s) : text(s) {
        constexpr bool (*accepts[])(FormatKind) = {&FormatTypeAccepts<Args>..., nullptr};
        std::size_t next = 0;
        bool ok = true;
        ForEachFormatValue(text, [&](FormatKind kind) {
            if (next >= sizeof...(Args) || !accepts[next](kind)) ok = false;
            ++next;
        });
        if (!ok || next != sizeof...(Args)) throw "format directives do not match the value types";
    }
};

// One value of a run-time value list.
using FormatValue = std::variant<std::string_view, char, bool, std::int64_t, double>;

std::string FormatValuesDynamic(std::string_view format, std::span<const FormatValue> values);

namespace detail {
template <class T>
FormatValue ToFormatValue(const T& v) {
    using U = std::remove_cvref_t<T>;
    if constexpr (std::is_same_v<U, bool> || std::is_same_v<U, char>) {
        return FormatValue(v);
    } else if constexpr (std::is_integral_v<U>) {
        return FormatValue(static_cast<std::int64_t>(v));
    } else if constexpr (std::is_floating_point_v<U>) {
        return FormatValue(static_cast<double>(v));
    } else if constexpr (std::is_pointer_v<U>) {
        // A null C string formats as empty text rather than crashing.
        return FormatValue(v ? std::string_view(v) : std::string_view());
    } else {
        return FormatValue(std::string_view(v));
    }
}
}  // namespace detail

template <class... Args>
std::string FormatValues(std::type_identity_t<CheckedFormat<Args...>> format,
                         const Args&... values) {
    if constexpr (sizeof...(Args) == 0) {
        return FormatValuesDynamic(format.text, {});
    } else {
        const FormatValue list[] = {detail::ToFormatValue(values)...};
        return FormatValuesDynamic(format.text, list);
    }
}

}  // namespace qx
