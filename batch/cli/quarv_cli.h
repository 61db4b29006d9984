// SPDX-License-Identifier: MIT
// The `quarv` command: runs one script file through the quarv32 engine and prints every
// output line once, as it comes.
#pragma once

#include <istream>
#include <ostream>

// Exit status: 0 when the script's result is 0; 1 when a statement failed or the script was
// stopped; 2 for a usage error or a script that cannot be opened. (The quarv command itself
// exits with 128 + the signal when SIGINT or SIGTERM stopped the script.) `in` is the script
// of `quarv -`; stderrIsTerminal decides whether a progress line is shown by default.
int RunQuarv(int argc, const char* const* argv, std::istream& in, std::ostream& out,
             std::ostream& err, bool stderrIsTerminal);
int RunQuarv(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
