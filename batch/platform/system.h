// The engine's calls into the operating system: calendar time, file times, appending to the
// trace log and running a program for $Exec. posix/ and win32/ implement them; the build
// picks one. Names are UTF-8 (UTF-16 at the Windows calls).
#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <string_view>

namespace quarv::platform {

bool LocalTime(std::time_t time, std::tm& out);
bool UtcTime(std::time_t time, std::tm& out);
// The last change of a file; false when it cannot be read.
bool FileModified(const std::string& name, std::time_t& out);
// Appends text to the file (created when missing); false when the file cannot be opened or
// not all of the text was written.
bool AppendToFile(const std::string& name, std::string_view text);
// Runs a command line with the system's shell and waits for it: its exit code, 128 + the
// signal that ended it, or -1 when it could not start. stopRequested is asked while it runs;
// when it says yes the program is ended (where the system allows it).
int RunCommand(const std::string& command, const std::function<bool()>& stopRequested);

}  // namespace quarv::platform
