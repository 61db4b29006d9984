// SPDX-License-Identifier: MIT
#include "quarv_command.h"

#include <sys/wait.h>

#include <cstdlib>

#include "files.h"

namespace quarvtest {

CommandRun RunQuarv(const std::string& arguments, const std::filesystem::path& folder,
                    const std::string& environment) {
    const std::filesystem::path out = folder / "stdout.txt";
    const std::filesystem::path err = folder / "stderr.txt";
    const std::string command = "cd '" + folder.string() + "' && env " + environment + " '" +
                                QUARV_BINARY "' " + arguments + " >'" + out.string() + "' 2>'" +
                                err.string() + "'";
    const int status = std::system(command.c_str());
    CommandRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = testfx::readFile(out);
    run.err = testfx::readFile(err);
    return run;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

}  // namespace quarvtest
