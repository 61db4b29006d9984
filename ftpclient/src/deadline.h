// SPDX-License-Identifier: MIT
// Deadlines for every wait: a connect, a reply, a chunk of data.
#pragma once

#include <chrono>
#include <climits>

namespace varnix {

using Clock = std::chrono::steady_clock;
using Deadline = Clock::time_point;

inline Deadline deadlineAfter(std::chrono::milliseconds span) {
    return Clock::now() + span;
}

// Milliseconds left until the deadline, for poll(): 0 when it has passed.
inline int millisecondsLeft(Deadline deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return 0;
    if (left.count() > INT_MAX) return INT_MAX;
    return static_cast<int>(left.count());
}

}  // namespace varnix
