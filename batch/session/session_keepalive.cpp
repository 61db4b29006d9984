// SPDX-License-Identifier: MIT
// The keep-alive timer: a periodic timer on the host's timers, whose ticks the host answers
// as it likes. While it runs, the idle check tests the connection five seconds before a
// full quiet period has passed.
#include <algorithm>
#include <climits>

#include "clock.h"
#include "platform/engine_timers.h"
#include "quarv32_session.h"
#include "trace_log.h"
#include "varnix32.h"

namespace {
constexpr int kDefaultIdleThreshold = 120;  // seconds
}

void CSession::SetKeepALive(CTimerHost* window, int minutes) {
    // A host without timers of its own: the engine's run the timer.
    if (window == nullptr && minutes > 0) window = quarv::platform::EngineTimers(*this);
    keepAliveInterval_ = minutes;
    CTraceLog::Instance().Trace("CSession::SetKeepALive: Interval = ", minutes);
    if (minutes > 0) {
        // The id is the handle of the first start and stays so, also across logins.
        if (timerId_ == 0) timerId_ = static_cast<unsigned int>(handle_);
        if (window != timerHost_) {
            if (timerHost_ != nullptr) StopTimer();
            timerHost_ = window;
            // Stopping the old window's timer cleared the interval that is starting now.
            keepAliveInterval_ = minutes;
        }
        const long long milliseconds = static_cast<long long>(minutes) * 60000;
        if (timerHost_ != nullptr)
            timerHost_->StartTimer(
                timerId_, static_cast<unsigned int>(std::min<long long>(milliseconds, UINT_MAX)));
        idleThreshold_ = static_cast<int>(
            std::min<long long>(static_cast<long long>(minutes) * 60 - 5, INT_MAX));
    } else if (timerId_ != 0) {
        StopTimer();
    }
    if (timerHost_ == nullptr && minutes == 0) timerHost_ = window;
}

void CSession::StopTimer() {
    if (timerHost_ == nullptr || timerId_ == 0) return;
    CTraceLog::Instance().Trace("CSession::StopTimer: KillTimer (", timerId_, ")");
    timerHost_->StopTimer(timerId_);
    keepAliveInterval_ = 0;
    idleThreshold_ = kDefaultIdleThreshold;
}

void CSession::ChangeInterval(int minutes) {
    keepAliveInterval_ = minutes;
    CTraceLog::Instance().Trace("CSession::ChangeInterval: Interval = ", minutes);
    if (timerHost_ != nullptr) SetKeepALive(timerHost_, minutes);
}

int CSession::KeepAlive() {
    if (busyDepth_ > 0 || handle_ <= 0) return 0;
    Busy busy(*this);
    const int connected = ftp_isconnected(handle_);
    if (connected != 0) lastCheck_ = quarv::Now();
    CTraceLog::Instance().Trace("CSession::KeepAlive: connected = ", connected);
    return connected;
}
