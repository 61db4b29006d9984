// SPDX-License-Identifier: MIT
// The engine's calendar clock, its one way of waiting, and stop requests. The clock is
// replaceable as a whole, so tests can set and advance time and never wait for real.
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

namespace quarv {

class Clock {
  public:
    virtual ~Clock() = default;
    // Calendar time in seconds.
    virtual std::time_t Now() = 0;
    // Blocks the calling thread for the duration.
    virtual void Sleep(std::chrono::milliseconds duration) = 0;
};

// Installs a clock for the whole process (not owned); nullptr restores the system clock.
void SetEngineClock(Clock* clock);

std::time_t Now();

// Stop requests. A host (Quarv_Stop), or quarv on SIGINT and SIGTERM, asks every script
// running in the process to end. A run takes a mark when it starts and asks whether a
// request came since, so a request never reaches a run that starts after it.
using StopMark = uint64_t;
StopMark CurrentStopMark();
bool StopRequestedSince(StopMark mark);
// Asks every run to stop: a sleep under way ends at once and the stop hooks run. Any
// thread, but not a signal handler (it takes a lock).
void RequestStop();

// Runs a callable on every stop request while it lives (for instance to abort a library
// call under way on a connection). The callable runs on the requesting thread.
class StopHook {
  public:
    explicit StopHook(std::function<void()> onStop);
    ~StopHook();
    StopHook(const StopHook&) = delete;
    StopHook& operator=(const StopHook&) = delete;

  private:
    friend void RequestStop();
    std::function<void()> onStop_;
};

// Blocks the calling thread for the duration, through the installed clock. Returns false,
// without waiting the rest, when a stop is requested after `since` (at once when one
// already was); true when the whole duration passed.
bool Sleep(std::chrono::milliseconds duration, StopMark since = CurrentStopMark());

// Local-time text of a calendar time, with a strftime pattern of the engine's own.
std::string FormatLocalTime(std::time_t time, const char* pattern);

}  // namespace quarv
