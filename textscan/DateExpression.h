// Date expressions read by the scanner's "Q" directive: a keyword ("TODAY",
// "LAST 2 HOURS", ...) or an absolute date and time, optionally followed by
// "+" or "-" and an offset.
#pragma once

#include <cstdint>
#include <string_view>

namespace qx {

// Evaluates text relative to reference seconds (0 means now). Never fails:
// missing or non-numeric parts count as 0, unknown words act as the top of
// the reference hour.
std::int32_t EvaluateDateExpression(std::string_view text, std::int32_t reference);

}  // namespace qx
