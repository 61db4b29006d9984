// SPDX-License-Identifier: MIT
// What local_files_shared.cpp asks of the platform's local files (local_files.cpp on POSIX,
// platform/win32/local_files_win32.cpp on Windows).
#pragma once

#include <string>

#include "status.h"

namespace varnix {

// "what path: the system's text of error".
Status localError(const std::string& what, const std::string& path, int error);

namespace localfs {

// Closes a descriptor; 0, or -1 with errno set.
int closeDescriptor(int fd);
// Creates name for writing only when it does not exist yet: the descriptor, or -1 with errno
// set (EEXIST when the name is taken).
int createExclusive(const std::string& name);
// Whether two names lead to the same file.
bool sameFile(const std::string& a, const std::string& b);

}  // namespace localfs
}  // namespace varnix
