#include "app/CommandLine.h"

#include <string_view>

namespace qx {

TCommandLine ParseCommandLine(int argc, char** argv) {
    TCommandLine line;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i] ? argv[i] : "";
        if (i > 0 && (arg == "--help" || arg == "-h")) {
            line.Help = true;
        } else if (i > 0 && arg == "--version") {
            line.Version = true;
        } else if (i > 0 && arg == "--trace") {
            line.Trace = true;
        } else {
            line.Rest.push_back(argv[i]);
        }
    }
    // argv ends with a null pointer; so does the rest.
    line.Rest.push_back(nullptr);
    return line;
}

std::string UsageText(const std::string& programName) {
    return "Usage: " + programName +
           " [--trace] [DEBUG]\n"
           "       " +
           programName +
           " --help | --version\n"
           "\n"
           "The real-time display client of the Quintrel data acquisition suite.\n"
           "\n"
           "  --trace     start with tracing on: every status message is also\n"
           "              written to QXRTD.LOG in the suite's home directory\n"
           "  --version   print the version and exit\n"
           "  --help, -h  print this text and exit\n"
           "  DEBUG       as the first argument (any letter case): show the Debug\n"
           "              menu; \"debug\" also shows the Start! button for test readings\n"
           "\n"
           "The standard Qt options (-platform, -display, -style) are accepted too.\n";
}

std::string VersionText(const std::string& fileVersion) {
    return "QX RIRovozer " + fileVersion + "\n";
}

}  // namespace qx
