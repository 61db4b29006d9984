// SPDX-License-Identifier: MIT
// What the Windows tests share: the servers the launcher started (from the environment),
// temporary folders and whole-file reads and writes through the UTF-16 file calls.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace wintest {

struct Server {
    std::string kind;  // "pyftpdlib", "vsftpd"
    std::string host;  // "127.0.0.1:PORT"
    std::string user;
    std::string password;
    std::string root;  // the server's root folder, as Windows sees it (UTF-8)
};

// The server of `kind` the launcher announced; none when it was not started.
std::optional<Server> serverFromEnvironment(const std::string& kind);

// A fresh folder under the temporary folder, removed with its content.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // A name inside, as UTF-8 text.
    std::string operator/(const std::string& name) const;

  private:
    std::filesystem::path path_;
};

// Names are UTF-8; the files are opened through their UTF-16 names.
std::string readFile(const std::string& name);
void writeFile(const std::string& name, std::string_view data);
bool fileExists(const std::string& name);
// `size` bytes holding every byte value, CR and LF included.
std::string allBytes(std::size_t size);

}  // namespace wintest
