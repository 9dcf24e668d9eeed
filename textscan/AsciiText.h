// Small text helpers for names and values that follow ASCII rules whatever
// the locale: blanks are space and tab, letter case is that of A..Z.
#pragma once

#include <string>
#include <string_view>

namespace qx {

constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

constexpr std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

constexpr char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string UpperAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = AsciiUpper(c);
    return result;
}

// The texts differ at most in the letter case of A..Z.
constexpr bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

}  // namespace qx
