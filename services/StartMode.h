// The automation server's start switches, read from the command line before
// anything else starts: REGSERVER and UNREGSERVER end the program once they
// are done, AUTOMATION and EMBEDDING mean the bus started the program for a
// client.
#pragma once

#include <string>
#include <vector>

namespace qx::services {

enum class TStartMode {
    Normal,       // no switch: refresh the registration and run
    RegServer,    // write the registration, then exit without a window
    UnregServer,  // remove it, then exit without a window
    Automation,   // started by activation: as Normal, and end with the last object
};

// A switch is "/" or "-" followed by its name in any letter case, anywhere
// on the command line (the arguments after the program's name). When several
// are given, REGSERVER wins over UNREGSERVER, which wins over AUTOMATION and
// EMBEDDING.
TStartMode ParseStartMode(const std::vector<std::string>& arguments);

}  // namespace qx::services
