#include "services/StartMode.h"

#include <algorithm>
#include <string_view>

#include "textscan/AsciiText.h"

namespace qx::services {

namespace {

bool HasSwitch(const std::vector<std::string>& arguments, std::string_view name) {
    return std::any_of(arguments.begin(), arguments.end(), [name](const std::string& a) {
        return a.size() == name.size() + 1 && (a[0] == '/' || a[0] == '-') &&
               SameIgnoringAsciiCase(std::string_view(a).substr(1), name);
    });
}

}  // namespace

TStartMode ParseStartMode(const std::vector<std::string>& arguments) {
    if (HasSwitch(arguments, "REGSERVER")) return TStartMode::RegServer;
    if (HasSwitch(arguments, "UNREGSERVER")) return TStartMode::UnregServer;
    if (HasSwitch(arguments, "AUTOMATION") || HasSwitch(arguments, "EMBEDDING"))
        return TStartMode::Automation;
    return TStartMode::Normal;
}

}  // namespace qx::services
