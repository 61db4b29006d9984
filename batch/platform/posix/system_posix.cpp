// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <sys/stat.h>

#include "platform/system.h"

namespace quarv::platform {

bool LocalTime(std::time_t time, std::tm& out) {
    return ::localtime_r(&time, &out) != nullptr;
}

bool UtcTime(std::time_t time, std::tm& out) {
    return ::gmtime_r(&time, &out) != nullptr;
}

bool FileModified(const std::string& name, std::time_t& out) {
    struct stat status {};
    if (::stat(name.c_str(), &status) != 0) return false;
    out = status.st_mtime;
    return true;
}

int OpenForAppend(const std::string& name) {
    return ::open(name.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
}

}  // namespace quarv::platform
