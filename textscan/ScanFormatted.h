// Format-directed scanner for the suite's comma-separated texts.
//
// ScanFormatted walks a format of literals and "%" directives over a source
// text, writing each directive's result to the next output. Outputs are
// references to caller variables; with a constant format the directive types
// are checked against the output types at compile time:
//
//     std::string station, sensor, value;
//     int position = 1;
//     qx::ScanFormatted(text, position, "%s.%P%P", station, sensor, value);
//
// ScanFormattedDynamic takes a format known only at run time; an output of
// the wrong kind (or a missing one) makes that step fail.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "textscan/DirectiveStep.h"

namespace qx {

enum class ScanKind : std::uint8_t { Text, Char, Bool, U16, I32, F32, F64 };

// The output a scan directive letter writes, or false when it writes none.
constexpr bool ScanDirectiveKind(char letter, ScanKind& kind) {
    const char lower = letter >= 'A' && letter <= 'Z' ? static_cast<char>(letter + 32) : letter;
    switch (lower) {
        case 'p':
        case 's':
        case 'v':
        case '"': kind = ScanKind::Text; return true;
        case 'c': kind = ScanKind::Char; return true;
        case 'b': kind = ScanKind::Bool; return true;
        case 'w':
        case 'd': kind = ScanKind::U16; return true;
        case 'i':
        case 'l':
        case 'm':
        case 'j':
        case 't':
        case 'q': kind = ScanKind::I32; return true;
        case 'e':
        case 'r': kind = ScanKind::F32; return true;
        case 'x': kind = ScanKind::F64; return true;
        default: return false;
    }
}

// Letters that take the next format character as their argument (a
// terminator, quote or target character).
constexpr bool ScanDirectiveTakesArgument(char letter) {
    const char lower = static_cast<char>(letter >= 'A' && letter <= 'Z' ? letter + 32 : letter);
    return lower == 's' || lower == 'v' || lower == '?' || letter == '"';
}

// The scanner's dialect of the directive syntax: no zero-padding flag, and the
// letters above take an argument character. The grammar is shared by the
// scanner, the compile-time check and tools that list a format's outputs.
struct ScanDialect {
    static constexpr bool ZeroFlag = false;
    static constexpr int WidthLimit = 100000000;
    static constexpr bool TakesArgument(char letter) { return ScanDirectiveTakesArgument(letter); }
};

// Parses the scan step at format[i], advancing i past it.
constexpr DirectiveStep ParseScanStep(std::string_view format, std::size_t& i) {
    return ParseDirectiveStep<ScanDialect>(format, i);
}

// Calls visit(kind) for every output entry the format takes, in order: the
// I32 entries of "*" widths and precisions included.
template <class Visit>
constexpr void ForEachScanOutput(std::string_view format, Visit&& visit) {
    std::size_t i = 0;
    while (i < format.size()) {
        const DirectiveStep step = ParseScanStep(format, i);
        if (step.literal) continue;
        if (step.widthFromList) visit(ScanKind::I32);
        if (step.precisionFromList) visit(ScanKind::I32);
        ScanKind kind{};
        if (ScanDirectiveKind(step.ch, kind)) visit(kind);
    }
}

constexpr bool ScanFormatMatches(std::string_view format, std::initializer_list<ScanKind> kinds) {
    const ScanKind* next = kinds.begin();
    bool ok = true;
    ForEachScanOutput(format, [&](ScanKind kind) {
        if (next == kinds.end() || *next != kind) ok = false;
        if (next != kinds.end()) ++next;
    });
    return ok && next == kinds.end();
}

template <class T>
struct ScanKindOf;
template <>
struct ScanKindOf<std::string> {
    static constexpr ScanKind value = ScanKind::Text;
};
template <>
struct ScanKindOf<char> {
    static constexpr ScanKind value = ScanKind::Char;
};
template <>
struct ScanKindOf<bool> {
    static constexpr ScanKind value = ScanKind::Bool;
};
template <>
struct ScanKindOf<std::uint16_t> {
    static constexpr ScanKind value = ScanKind::U16;
};
template <>
struct ScanKindOf<std::int32_t> {
    static constexpr ScanKind value = ScanKind::I32;
};
template <>
struct ScanKindOf<float> {
    static constexpr ScanKind value = ScanKind::F32;
};
template <>
struct ScanKindOf<double> {
    static constexpr ScanKind value = ScanKind::F64;
};

// A type-erased reference to one output variable.
class ScanOutput {
public:
    ScanOutput(std::string& v) : kind_(ScanKind::Text), ptr_(&v) {}
    ScanOutput(char& v) : kind_(ScanKind::Char), ptr_(&v) {}
    ScanOutput(bool& v) : kind_(ScanKind::Bool), ptr_(&v) {}
    ScanOutput(std::uint16_t& v) : kind_(ScanKind::U16), ptr_(&v) {}
    ScanOutput(std::int32_t& v) : kind_(ScanKind::I32), ptr_(&v) {}
    ScanOutput(float& v) : kind_(ScanKind::F32), ptr_(&v) {}
    ScanOutput(double& v) : kind_(ScanKind::F64), ptr_(&v) {}

    ScanKind kind() const { return kind_; }
    template <class T>
    T* as() const {
        return kind_ == ScanKindOf<T>::value ? static_cast<T*>(ptr_) : nullptr;
    }

private:
    ScanKind kind_;
    void* ptr_;
};

// A format string checked at compile time against the output types.
template <class... Outs>
struct ScanFormat {
    std::string_view text;
    template <class S>
    requires std::is_convertible_v<const S&, std::string_view>
    consteval ScanFormat(const S& s) : text(s) {
        if (!ScanFormatMatches(text, {ScanKindOf<std::remove_cv_t<Outs>>::value...})) {
            throw "scan format directives do not match the output types";
        }
    }
};

// The scanner. Position is 1-based on entry (0 or less means 1) and is left
// at the 1-based index of the first unread character. The result is false
// when a directive or literal failed while required mode was on.
bool ScanFormattedDynamic(std::string_view source, int& position, std::string_view format,
                          std::span<const ScanOutput> outputs);

template <class... Outs>
bool ScanFormatted(std::string_view source, int& position,
                   std::type_identity_t<ScanFormat<Outs...>> format, Outs&... outputs) {
    if constexpr (sizeof...(Outs) == 0) {
        return ScanFormattedDynamic(source, position, format.text, {});
    } else {
        const ScanOutput list[] = {ScanOutput(outputs)...};
        return ScanFormattedDynamic(source, position, format.text, list);
    }
}

// ScanFormatted from position 1, the position discarded.
template <class... Outs>
bool ScanText(std::string_view source, std::type_identity_t<ScanFormat<Outs...>> format,
              Outs&... outputs) {
    int position = 1;
    return ScanFormatted<Outs...>(source, position, format, outputs...);
}

inline bool ScanTextDynamic(std::string_view source, std::string_view format,
                            std::span<const ScanOutput> outputs) {
    int position = 1;
    return ScanFormattedDynamic(source, position, format, outputs);
}

}  // namespace qx
