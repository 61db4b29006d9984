#include "clock.h"

#include <atomic>
#include <string>
#include <thread>

namespace quarv {
namespace {

// Null: the system clock. A plain pointer, so the clock works for statics that log at exit.
std::atomic<Clock*> installed{nullptr};

}  // namespace

void SetEngineClock(Clock* clock) {
    installed.store(clock);
}

std::time_t Now() {
    Clock* clock = installed.load();
    return clock != nullptr ? clock->Now() : std::time(nullptr);
}

void Sleep(std::chrono::milliseconds duration) {
    Clock* clock = installed.load();
    if (clock != nullptr)
        clock->Sleep(duration);
    else
        std::this_thread::sleep_for(duration);
}

std::string FormatLocalTime(std::time_t time, const char* pattern) {
    std::tm fields{};
    if (localtime_r(&time, &fields) == nullptr) return std::string();
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, pattern, &fields);
    return std::string(text, length);
}

}  // namespace quarv
