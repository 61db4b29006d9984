// SPDX-License-Identifier: MIT
// Starting an external program for $Exec and waiting for it, so that a stop request ends
// the program as well as the script.
#pragma once

#include <string>

namespace quarv {

// Runs command with /bin/sh -c, in a process group of its own, and waits for it. A stop
// request while it runs ends the group (SIGTERM). The exit status: the exit code, 128 + the
// signal that ended it, or -1 when no shell could be started.
int RunProgram(const std::string& command);

}  // namespace quarv
