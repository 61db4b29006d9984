// SPDX-License-Identifier: MIT
// Writes that may raise SIGPIPE (a write into a pipe whose reader is gone, a TLS
// library's own writes) run with SIGPIPE blocked for the thread, and a SIGPIPE they raised
// is taken back: a peer that went away never kills the host program.
#pragma once

#ifdef _WIN32

namespace varnix {
// Windows has no SIGPIPE: a write to a closed pipe or socket only fails.
class SigpipeGuard {
  public:
    SigpipeGuard() {}
    ~SigpipeGuard() {}
    SigpipeGuard(const SigpipeGuard&) = delete;
    SigpipeGuard& operator=(const SigpipeGuard&) = delete;
};
}  // namespace varnix

#else

#include <pthread.h>
#include <signal.h>

namespace varnix {

class SigpipeGuard {
  public:
    SigpipeGuard() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        pendingBefore_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
    }
    // Changes errno: read it before the guard goes.
    ~SigpipeGuard() {
        if (!pendingBefore_) {
            timespec none{0, 0};
            while (sigtimedwait(&pipe_, nullptr, &none) == SIGPIPE) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    SigpipeGuard(const SigpipeGuard&) = delete;
    SigpipeGuard& operator=(const SigpipeGuard&) = delete;

  private:
    sigset_t pipe_;
    sigset_t old_;
    bool pendingBefore_ = false;
};

}  // namespace varnix

#endif
