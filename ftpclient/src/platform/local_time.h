// SPDX-License-Identifier: MIT
// Local calendar time of a time_t, thread-safe on every system.
#pragma once

#include <ctime>

namespace varnix::platform {

inline bool localTime(std::time_t time, std::tm& out) {
#ifdef _WIN32
    return ::localtime_s(&out, &time) == 0;
#else
    return ::localtime_r(&time, &out) != nullptr;
#endif
}

}  // namespace varnix::platform
