// SPDX-License-Identifier: MIT
// The command line of quarv.
#pragma once

#include <optional>
#include <ostream>
#include <string>

struct CliOptions {
    std::string script;  // "-": standard input
    bool echo = false;
    std::optional<bool> progress;  // unset: a progress line when standard error is a terminal
    bool quiet = false;
    bool verbose = false;
    std::string cacert;
    bool insecure = false;
    bool netrc = false;  // ~/.netrc
    std::string netrcFile;
    bool env = false;
    std::string report;
};

// The version line of --version: quarv's release and the library it runs with.
std::string VersionText();

// Reads the command line into options. -1 to go on; otherwise the exit status after --help,
// --version (0) or a usage error (2), whose message is printed.
int ParseOptions(int argc, const char* const* argv, CliOptions& options, std::ostream& out,
                 std::ostream& err);
