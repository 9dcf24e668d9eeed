// Starts another program without waiting for it.
#pragma once

#include <string_view>

namespace qx {

// How a started program's window should appear; kept for callers that pass
// one, a desktop session places windows itself.
enum class ShowMode { Normal, Minimized, Hidden };

// Splits the command line into words (blanks separate, double quotes group,
// the first word is the program, looked up on PATH when it has no "/") and
// starts it detached in the caller's environment and current directory.
// True when the process was created; false for an empty or over-long (more
// than 512 characters) command line or a program that cannot be executed.
bool StartProgram(std::string_view commandLine, ShowMode showMode = ShowMode::Normal);

}  // namespace qx
