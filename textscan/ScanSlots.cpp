#include "textscan/ScanSlots.h"

#include <charconv>

namespace qx {

ScanSlots::ScanSlots(std::string_view format) {
    // Deques keep element addresses stable while slots are added.
    ForEachScanOutput(format, [this](ScanKind kind) {
        switch (kind) {
            case ScanKind::Text: outputs_.emplace_back(texts_.emplace_back()); break;
            case ScanKind::Char: outputs_.emplace_back(chars_.emplace_back('\0')); break;
            case ScanKind::Bool: outputs_.emplace_back(bools_.emplace_back(false)); break;
            case ScanKind::U16: outputs_.emplace_back(u16s_.emplace_back(0)); break;
            case ScanKind::I32: outputs_.emplace_back(i32s_.emplace_back(0)); break;
            case ScanKind::F32: outputs_.emplace_back(f32s_.emplace_back(0.0f)); break;
            case ScanKind::F64: outputs_.emplace_back(f64s_.emplace_back(0.0)); break;
        }
    });
}

std::string_view ScanSlots::KindName(ScanKind kind) {
    switch (kind) {
        case ScanKind::Text: return "text";
        case ScanKind::Char: return "char";
        case ScanKind::Bool: return "bool";
        case ScanKind::U16: return "u16";
        case ScanKind::I32: return "i32";
        case ScanKind::F32: return "f32";
        case ScanKind::F64: return "f64";
    }
    return "?";
}

namespace {
template <class T>
std::string NumberText(T value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}
}  // namespace

std::string ScanSlots::ValueText(std::size_t i) const {
    const ScanOutput& out = outputs_[i];
    switch (out.kind()) {
        case ScanKind::Text: return *out.as<std::string>();
        case ScanKind::Char: {
            const char c = *out.as<char>();
            return c == '\0' ? std::string("\\0") : std::string(1, c);
        }
        case ScanKind::Bool: return *out.as<bool>() ? "true" : "false";
        case ScanKind::U16: return NumberText(*out.as<std::uint16_t>());
        case ScanKind::I32: return NumberText(*out.as<std::int32_t>());
        case ScanKind::F32: return NumberText(*out.as<float>());
        case ScanKind::F64: return NumberText(*out.as<double>());
    }
    return {};
}

}  // namespace qx
