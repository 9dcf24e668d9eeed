// Output variables made to fit a scan format known only at run time: one
// slot per output entry, typed from the format's directives. Used by tools
// and tests that show what a text yields.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "textscan/ScanFormatted.h"

namespace qx {

class ScanSlots {
public:
    explicit ScanSlots(std::string_view format);

    std::span<const ScanOutput> outputs() const { return outputs_; }
    std::size_t size() const { return outputs_.size(); }
    ScanKind kind(std::size_t i) const { return outputs_[i].kind(); }

    // Type names: text, char, bool, u16, i32, f32, f64.
    static std::string_view KindName(ScanKind kind);
    // The slot's value as text: floats in shortest round-trip form, booleans
    // true/false, a NUL character as \0, texts as they are.
    std::string ValueText(std::size_t i) const;

private:
    std::deque<std::string> texts_;
    std::deque<char> chars_;
    std::deque<bool> bools_;
    std::deque<std::uint16_t> u16s_;
    std::deque<std::int32_t> i32s_;
    std::deque<float> f32s_;
    std::deque<double> f64s_;
    std::vector<ScanOutput> outputs_;
};

}  // namespace qx
