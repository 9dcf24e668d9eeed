// The command line of qxsetup: serve a suite, or act on a running one.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qx::suite {

enum class TMode { Serve, Emit, Refresh, Shutdown, Quit, Help };

struct TCommandLine {
    TMode Mode = TMode::Serve;
    std::string SuiteFile;                // empty: demo.suite beside the program
    std::optional<int> SetupLoadDelayMs;  // overrides the suite file's
    std::string BusAddress;               // empty: the session bus
    std::vector<std::string> Arguments;   // of the command: server, type, text, sender
    std::string Error;                    // not empty: bad use, with the reason
};

// Parses the arguments after the program name.
TCommandLine ParseCommandLine(std::span<const std::string> args);

// The usage text, several lines.
std::string_view Usage();

}  // namespace qx::suite
