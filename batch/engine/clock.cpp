// SPDX-License-Identifier: MIT
#include "clock.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "platform/system.h"

namespace quarv {
namespace {

// Null: the system clock. A plain pointer, so the clock works for statics that log at exit.
std::atomic<Clock*> installed{nullptr};

// Stop requests are counted; sleepers wait on the condition for the count to move.
struct StopState {
    std::atomic<StopMark> requests{0};
    std::mutex mutex;
    std::condition_variable moved;
    std::vector<StopHook*> hooks;
};

// Waits of the system clock go in pieces, so that no deadline overflows the clock.
constexpr std::chrono::hours kLongestWait{1};

StopState& Stops() {
    static StopState state;
    return state;
}

}  // namespace

void SetEngineClock(Clock* clock) {
    installed.store(clock);
}

std::time_t Now() {
    Clock* clock = installed.load();
    return clock != nullptr ? clock->Now() : std::time(nullptr);
}

StopMark CurrentStopMark() {
    return Stops().requests.load();
}

bool StopRequestedSince(StopMark mark) {
    return Stops().requests.load() != mark;
}

StopHook::StopHook(std::function<void()> onStop) : onStop_(std::move(onStop)) {
    StopState& state = Stops();
    std::lock_guard lock(state.mutex);
    state.hooks.push_back(this);
}

StopHook::~StopHook() {
    StopState& state = Stops();
    std::lock_guard lock(state.mutex);
    std::erase(state.hooks, this);
}

void RequestStop() {
    StopState& state = Stops();
    // The hooks run under the lock, so none is destroyed while it runs.
    std::lock_guard lock(state.mutex);
    state.requests.fetch_add(1);
    state.moved.notify_all();
    for (StopHook* hook : state.hooks)
        hook->onStop_();
}

bool Sleep(std::chrono::milliseconds duration, StopMark since) {
    if (StopRequestedSince(since)) return false;
    Clock* clock = installed.load();
    if (clock != nullptr) {
        clock->Sleep(duration);
        return !StopRequestedSince(since);
    }
    StopState& state = Stops();
    std::unique_lock lock(state.mutex);
    for (auto left = duration; left.count() > 0; left -= kLongestWait) {
        const auto piece = std::min<std::chrono::milliseconds>(left, kLongestWait);
        if (state.moved.wait_for(lock, piece, [&] { return StopRequestedSince(since); }))
            return false;
    }
    return true;
}

std::string FormatLocalTime(std::time_t time, const char* pattern) {
    std::tm fields{};
    if (!platform::LocalTime(time, fields)) return std::string();
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, pattern, &fields);
    return std::string(text, length);
}

}  // namespace quarv
