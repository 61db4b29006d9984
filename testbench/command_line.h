// SPDX-License-Identifier: MIT
// brisel32's command line, for both front ends: the Qt window (the default) and the text front
// end (--console). Help and version are answered before any window system is needed.
#pragma once

#include <string>

namespace brisel {

struct CCommandLine {
    enum class Mode { Window, Console, Help, Version, Error } mode = Mode::Window;
    std::string file;  // the log to open, or the script to run; empty for none
    std::string text;  // what to print for Help, Version and Error
};

// Reads argv. With `strict` false, options it does not know (those of the window system,
// which the Qt front end takes out itself) do not count as an error.
CCommandLine ParseCommandLine(int argc, char** argv, bool strict);

}  // namespace brisel
