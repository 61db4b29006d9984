// SPDX-License-Identifier: MIT
// Whole local files read into memory.
#pragma once

#include <optional>
#include <string>

namespace brisel {

// The bytes of the file at `path`; nothing when it cannot be opened or read to its end (a
// directory, for one). Never throws.
std::optional<std::string> ReadLocalFile(const std::string& path);

}  // namespace brisel
