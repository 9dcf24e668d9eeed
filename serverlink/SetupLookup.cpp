#include "serverlink/SetupLookup.h"

#include "textscan/Diagnostics.h"

namespace qx {

std::string BuildSetupRequest(const std::string& Key, const std::string& Part1,
                              const std::string& Part2, const std::string& Part3) {
    std::string request = Key;
    if (!Part1.empty()) request.append(":").append(Part1);
    if (!Part2.empty()) request.append(":").append(Part2);
    if (!Part3.empty()) {
        if (!request.empty()) request.append(",");
        request.append(Part3);
    }
    return request;
}

bool TSetupQueryLookup::LookupSetupValue(const std::string& Key, const std::string& Part1,
                                         const std::string& Part2, const std::string& Part3,
                                         std::string& Answer) {
    try {
        std::string answer = query_(BuildSetupRequest(Key, Part1, Part2, Part3));
        if (answer == "ERROR") return false;
        Answer = std::move(answer);
        return true;
    } catch (...) {
        LogCaught(diagnostics::ServerLink, "TSetupQueryLookup::LookupSetupValue");
        return false;
    }
}

void TImmediateSetupLookup::LookupSetupValueAsync(const std::string& Key, const std::string& Part1,
                                                  const std::string& Part2,
                                                  const std::string& Part3, Done done) {
    std::string answer;
    const bool ok = lookup_.LookupSetupValue(Key, Part1, Part2, Part3, answer);
    // A synchronous lookup cannot tell a failed call from an "ERROR" answer:
    // neither is kept, so a later reading asks again.
    done(ok, ok, std::move(answer));
}

}  // namespace qx
