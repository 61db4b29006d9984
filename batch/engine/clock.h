// The engine's calendar clock and its one way of waiting. Both are replaceable as a whole,
// so tests can set and advance time and never wait for real.
#pragma once

#include <chrono>
#include <ctime>
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
void Sleep(std::chrono::milliseconds duration);

// Local-time text of a calendar time, with a strftime pattern of the engine's own.
std::string FormatLocalTime(std::time_t time, const char* pattern);

}  // namespace quarv
