// SPDX-License-Identifier: MIT
// The quarv command run as a shell runs it, for the end-to-end suites.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quarvtest {

struct CommandRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs quarv with arguments in folder (its current directory), the environment
// words (env(1)'s: "-u NAME", "NAME=value") in front; stdout and stderr are captured.
CommandRun RunQuarv(const std::string& arguments, const std::filesystem::path& folder,
                    const std::string& environment = {});

// The lines of text, the last one kept when it has no line end.
std::vector<std::string> Lines(const std::string& text);

}  // namespace quarvtest
