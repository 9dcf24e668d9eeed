// The integrators' text tool: shows what the scanner reads from a text,
// what the formatter writes, and which readings a data event yields.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace qx {

// Runs one command line (without the program name). Returns the exit status:
// 0 on success, 2 on bad use (after a one-line error on err).
int RunQxText(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
              std::ostream& err);

// C-style escapes \t, \r, \n and \\ decoded; any other backslash stays.
std::string DecodeEscapes(const std::string& text);
// The reverse, for output that must stay on one line; NUL becomes \0.
std::string EncodeEscapes(const std::string& text);

}  // namespace qx
