// SPDX-License-Identifier: MIT
// While it lives, SIGINT and SIGTERM ask the running script to stop (Quarv_Stop) instead of
// killing quarv, so that the script ends cleanly: its sessions quit and its log is complete.
// A second signal ends quarv at once. On Windows, Ctrl-C, Ctrl-Break and closing the console
// do the same.
#pragma once

#include <csignal>
#include <thread>

class StopOnSignals {
  public:
    StopOnSignals();
    ~StopOnSignals();
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

    // The first signal that came, or 0.
    int Signal() const;

  private:
#ifndef _WIN32  // Windows: a console control handler (batch/platform/win32)
    void Watch();

    int pipe_[2] = {-1, -1};
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
    std::thread watcher_;
#endif
};
