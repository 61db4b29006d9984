// SPDX-License-Identifier: MIT
// Running scripts and single statements in process on the real varnix32, and reading what
// they showed: the end-to-end tests of the FTP commands.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "files.h"
#include "quarv32.h"
#include "quarv32_session.h"
#include "servers.h"

namespace jobtest {

// The lines the output procedures received, in order, as they were passed.
struct Output {
    std::vector<std::string> lines;

    // The line after the first line equal to `line`; empty when there is none.
    std::string After(const std::string& line) const {
        for (std::size_t i = 0; i + 1 < lines.size(); ++i)
            if (lines[i] == line) return lines[i + 1];
        return std::string();
    }
    std::string All() const {
        std::string all;
        for (const auto& line : lines)
            all += line;
        return all;
    }
};

// Quarv_ExecLine2 hands its procedures the session's handle, so the lines go to one place.
inline Output* collecting = nullptr;
inline int Collect(uintptr_t, const char* text) {
    if (collecting != nullptr) collecting->lines.emplace_back(text);
    return 0;
}

// Runs a script with a folder as the process's current directory, as quarv runs it.
class InFolder {
  public:
    explicit InFolder(const std::filesystem::path& folder)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~InFolder() { std::filesystem::current_path(previous_); }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

  private:
    std::filesystem::path previous_;
};

// Writes the script into file and runs it through Quarv_Execute2.
inline int RunScript(const std::filesystem::path& file, const std::string& script, Output& output) {
    testfx::writeFile(file, script);
    collecting = &output;
    const int result = Quarv_Execute2(file.string().c_str(), 0, Collect, Collect);
    collecting = nullptr;
    return result;
}

// One statement on a host's session, with echo on.
inline int RunOn(CSession& session, const std::string& statement, Output& output) {
    collecting = &output;
    const int result = Quarv_ExecLine2(&session, statement.c_str(), 0, Collect, Collect, 1);
    collecting = nullptr;
    return result;
}

}  // namespace jobtest

namespace jobtest {

// Ends the server's side of the control connections: vsftpd, started with a short idle
// time, drops an idle one by itself (this waits at most 20 seconds for its 421); pyftpdlib,
// whose idle timer fires only when other work wakes its loop, is restarted on its port.
bool DropControlConnections(testfx::FtpServer& server);

}  // namespace jobtest
