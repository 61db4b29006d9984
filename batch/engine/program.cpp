// SPDX-License-Identifier: MIT
#include "program.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include "clock.h"

extern char** environ;

namespace quarv {
namespace {

// The spawn attributes: a process group of its own (a stop ends the shell and what it
// started), the signals a caller may have caught or ignored back at their defaults, and no
// blocked signal.
class SpawnAttributes {
  public:
    SpawnAttributes() {
        ok_ = ::posix_spawnattr_init(&attributes_) == 0;
        if (!ok_) return;
        sigset_t defaults;
        sigemptyset(&defaults);
        for (int signal : {SIGINT, SIGTERM, SIGQUIT, SIGHUP, SIGPIPE})
            sigaddset(&defaults, signal);
        sigset_t none;
        sigemptyset(&none);
        ok_ =
            ::posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF |
                                                         POSIX_SPAWN_SETSIGMASK) == 0 &&
            ::posix_spawnattr_setpgroup(&attributes_, 0) == 0 &&
            ::posix_spawnattr_setsigdefault(&attributes_, &defaults) == 0 &&
            ::posix_spawnattr_setsigmask(&attributes_, &none) == 0;
    }
    ~SpawnAttributes() { ::posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;

    bool ok() const { return ok_; }
    const posix_spawnattr_t* get() const { return &attributes_; }

  private:
    posix_spawnattr_t attributes_{};
    bool ok_ = false;
};

int ExitStatus(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

int RunProgram(const std::string& command) {
    SpawnAttributes attributes;
    if (!attributes.ok()) return -1;
    // The program writes to the same terminal: what was printed before comes first.
    std::fflush(nullptr);
    const StopMark mark = CurrentStopMark();
    char shell[] = "/bin/sh";
    char option[] = "-c";
    std::string text = command;
    char* arguments[] = {shell, option, text.data(), nullptr};
    pid_t child = 0;
    if (::posix_spawn(&child, shell, nullptr, attributes.get(), arguments, environ) != 0) return -1;
    {
        const StopHook endOnStop([child] { ::kill(-child, SIGTERM); });
        // A request that came before the hook was in place.
        if (StopRequestedSince(mark)) ::kill(-child, SIGTERM);
        int status = 0;
        pid_t waited;
        while ((waited = ::waitpid(child, &status, 0)) < 0 && errno == EINTR) {
        }
        if (waited == child) return ExitStatus(status);
    }
    return -1;
}

}  // namespace quarv
