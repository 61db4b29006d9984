// SPDX-License-Identifier: MIT
// The engine's calls into the operating system: calendar time, file times, appending to the
// trace log. posix/ and win32/ implement them; the build picks one ($Exec's program:
// engine/program.cpp, win32/program_win32.cpp). Names are UTF-8 (UTF-16 at the Windows calls).
#pragma once

#include <ctime>
#include <string>

namespace quarv::platform {

bool LocalTime(std::time_t time, std::tm& out);
bool UtcTime(std::time_t time, std::tm& out);
// The last change of a file; false when it cannot be read.
bool FileModified(const std::string& name, std::time_t& out);
// A descriptor that appends to the file (created when missing; not inherited by programs),
// for write() and close(); -1 with errno set when it cannot be opened.
int OpenForAppend(const std::string& name);

}  // namespace quarv::platform
