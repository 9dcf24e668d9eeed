// The program's own command-line options, read from argv before any Qt
// application exists, so that --help and --version answer without a display.
// Everything else (the first argument "DEBUG", Qt's own options) is left for
// the application and the window.
#pragma once

#include <string>
#include <vector>

namespace qx {

struct TCommandLine {
    bool Help = false;     // --help, -h: print the usage and exit
    bool Version = false;  // --version: print the version and exit
    bool Trace = false;    // --trace: start with tracing on
    // argv without the options above, the program name first.
    std::vector<char*> Rest;
};

TCommandLine ParseCommandLine(int argc, char** argv);

// What --help and --version print, each ending with a line end.
std::string UsageText(const std::string& programName);
std::string VersionText(const std::string& fileVersion);

}  // namespace qx
