#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

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

bool AppendToFile(const std::string& name, std::string_view text) {
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool complete = true;
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            complete = false;
            break;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    ::close(fd);
    return complete;
}

int RunCommand(const std::string& command, const std::function<bool()>&) {
    std::fflush(nullptr);
    const int status = std::system(command.c_str());
    if (status == -1) return -1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace quarv::platform
