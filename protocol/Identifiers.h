// Fixed identifiers of the suite's interfaces, in braced upper-case text
// form. The client, the demo suite and tools share this one header.
#pragma once

#include <string_view>

namespace qx {

// The program's own interface; its text form is the program's AppID, sent
// with every subscription and compared with the sender of every event.
inline constexpr std::string_view IID_IQXRTDCom = "{34B27866-92A3-4C66-8376-28E8AFA3C0A4}";

// The data servers: only events whose sender is one of these are decoded.
inline constexpr std::string_view IID_IQXDecodeCom = "{3123AC90-E9FC-440C-91A7-9981FC788C9E}";
inline constexpr std::string_view IID_IQXRtuDataCOM = "{634CE680-AC8D-489F-9074-C6FBBB996B52}";
inline constexpr std::string_view IID_IQXMBRTUDataCOM = "{F0369299-4A75-4382-9BED-101013D9735C}";

// The setup server's interface.
inline constexpr std::string_view IID_IQXSetupCom = "{7D5C7E2E-A6F5-4831-8818-9D512630F4C4}";

}  // namespace qx
