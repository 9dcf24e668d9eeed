// The command-line modes that act on a running suite through its control
// object: --emit, --refresh, --shutdown, --quit.
#pragma once

#include <QString>

#include "suite/CommandLine.h"

namespace qx::suite {

// Runs the command. 0 on success; 1 with the reason in *error when no suite
// runs on the bus or the call fails.
int RunControlCommand(const TCommandLine& line, QString* error);

}  // namespace qx::suite
