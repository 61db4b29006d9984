// SPDX-License-Identifier: MIT
// A clock for tests: time stands still until the test moves it, and sleeping only records
// the wait and moves the clock on.
#pragma once

#include <chrono>
#include <mutex>
#include <vector>

#include "clock.h"

class ManualClock final : public quarv::Clock {
  public:
    explicit ManualClock(std::time_t now) : now_(now) {}

    std::time_t Now() override {
        std::lock_guard lock(mutex_);
        return now_;
    }
    void Sleep(std::chrono::milliseconds duration) override {
        std::lock_guard lock(mutex_);
        sleeps_.push_back(duration);
        now_ += static_cast<std::time_t>(duration.count() / 1000);
    }
    void Set(std::time_t now) {
        std::lock_guard lock(mutex_);
        now_ = now;
    }
    void Advance(std::chrono::seconds seconds) {
        std::lock_guard lock(mutex_);
        now_ += static_cast<std::time_t>(seconds.count());
    }
    std::vector<std::chrono::milliseconds> Sleeps() const {
        std::lock_guard lock(mutex_);
        return sleeps_;
    }

  private:
    mutable std::mutex mutex_;
    std::time_t now_;
    std::vector<std::chrono::milliseconds> sleeps_;
};

// Installs a clock for the engine while it lives.
class ScopedEngineClock {
  public:
    explicit ScopedEngineClock(quarv::Clock& clock) { quarv::SetEngineClock(&clock); }
    ~ScopedEngineClock() { quarv::SetEngineClock(nullptr); }
    ScopedEngineClock(const ScopedEngineClock&) = delete;
    ScopedEngineClock& operator=(const ScopedEngineClock&) = delete;
};
