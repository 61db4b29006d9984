// SPDX-License-Identifier: MIT
// Included before every source of the Linux suites in the Windows build: the few POSIX calls
// they make that the Windows C runtime names differently.
#pragma once

#ifdef __cplusplus
#include <sys/utime.h>

#include <cstdlib>
#include <ctime>

inline int setenv(const char* name, const char* value, int overwrite) {
    if (!overwrite && std::getenv(name) != nullptr) return 0;
    return _putenv_s(name, value) == 0 ? 0 : -1;
}

// An empty value removes the variable from the C runtime's environment.
inline int unsetenv(const char* name) {
    return _putenv_s(name, "") == 0 ? 0 : -1;
}

inline std::tm* gmtime_r(const std::time_t* time, std::tm* out) {
    return gmtime_s(out, time) == 0 ? out : nullptr;
}

inline std::tm* localtime_r(const std::time_t* time, std::tm* out) {
    return localtime_s(out, time) == 0 ? out : nullptr;
}

// The C runtime's utime takes its times as non-const.
inline int utime(const char* name, const utimbuf* times) {
    utimbuf copy = *times;
    return ::utime(name, &copy);
}
#endif
