// SPDX-License-Identifier: MIT
// The library's trace: every command sent and every reply line received, time-stamped,
// appended to one file for the whole process (varnix_enablelog). Passwords are never
// written: PASS and ACCT arguments appear as ****.
#pragma once

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

#include "status.h"

namespace varnix {

class TraceLog {
  public:
    static TraceLog& instance();

    Status enable(const std::string& file);
    void disable();
    bool enabled() const { return enabled_.load(std::memory_order_acquire); }

    // Lines "<time> [h] > COMMAND", "<time> [h] < reply line", "<time> [h] * note".
    void sent(int handle, std::string_view command);
    void received(int handle, std::string_view line);
    void note(int handle, std::string_view text);

    // The command as the trace shows it: the argument of PASS and ACCT masked.
    static std::string masked(std::string_view command);

  private:
    void write(int handle, char direction, std::string_view text);

    std::mutex mutex_;
    std::FILE* file_ = nullptr;
    std::atomic<bool> enabled_{false};
};

}  // namespace varnix
