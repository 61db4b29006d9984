// SPDX-License-Identifier: MIT
#include "script_copy.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

ScriptCopy::ScriptCopy(std::istream& source) {
    std::string pattern = (fs::temp_directory_path() / "quarv-copy-XXXXXX").string();
    // mkstemp creates the file for its owner only: the script may hold passwords.
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) return;
    ::close(fd);
    path_ = pattern;
    std::ofstream copy(path_, std::ios::binary | std::ios::trunc);
    // Streaming an empty buffer counts as a failed write: only a script with content is
    // copied.
    if (source.peek() != std::istream::traits_type::eof()) copy << source.rdbuf();
    copy.flush();
    if (!copy || source.bad()) {
        fs::remove(path_);
        path_.clear();
    }
}

ScriptCopy::~ScriptCopy() {
    if (!path_.empty()) {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }
}
