// SPDX-License-Identifier: MIT
// A host window's timers for a session's keep-alive on Windows: SetTimer without a timer
// procedure, so Windows posts WM_TIMER with the session's timer id to the window, and the
// host's window procedure decides what to send (CSession::KeepAlive sends a NOOP). The window
// must outlive the session's timer.
#pragma once

#include <windows.h>

#include "quarv32_session.h"

class CWindowTimers : public CTimerHost {
  public:
    explicit CWindowTimers(HWND window) : window_(window) {}
    void StartTimer(unsigned int id, unsigned int milliseconds) override {
        ::SetTimer(window_, id, milliseconds, nullptr);
    }
    void StopTimer(unsigned int id) override { ::KillTimer(window_, id); }
    HWND Window() const { return window_; }

  private:
    HWND window_;
};
