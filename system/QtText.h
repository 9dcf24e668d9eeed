// The program's plain parts keep text as UTF-8 in std::string; Qt wants
// QString. The one conversion between them at the Qt boundary.
#pragma once

#include <QString>
#include <string_view>

namespace qx {

inline QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace qx
