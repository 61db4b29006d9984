// The `quarv` command: runs one script file through Quarv_Execute2 and prints every output
// line once, as it comes.
#pragma once

#include <ostream>

// Exit status: 0 when the script's result is 0; 1 when a statement failed or the script was
// stopped; 2 for a usage error or a script that cannot be opened. (The quarv command itself
// exits with 128 + the signal when SIGINT or SIGTERM stopped the script.)
int RunQuarv(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
