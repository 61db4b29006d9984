// SPDX-License-Identifier: MIT
#include "temp_file.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "library_text.h"

namespace brisel {

CTempFile::CTempFile(const std::string& prefix) {
    std::error_code ec;
    auto dir = std::filesystem::temp_directory_path(ec);
    if (ec) return;
    std::string name = (dir / (prefix + "XXXXXX")).string();
    int fd = ::mkstemp(name.data());
    if (fd < 0) return;
    ::close(fd);
    path_ = name;
}

CTempFile::~CTempFile() {
    if (!path_.empty()) std::remove(path_.c_str());
}

std::string CTempFile::ReadAsText(std::size_t chunk) const {
    std::string text;
    std::FILE* file = path_.empty() ? nullptr : std::fopen(path_.c_str(), "rb");
    if (!file) return text;
    std::vector<char> buffer(chunk);
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
        AppendAsText(text, buffer.data(), n);
    std::fclose(file);
    return text;
}

}  // namespace brisel
