// SPDX-License-Identifier: MIT
// A request to stop the call under way on a handle, raised from any thread. Waits poll its
// descriptor next to their socket, so a raised signal ends them at once.
#pragma once

#include <atomic>

#include "platform/net.h"

namespace varnix {

class AbortSignal {
  public:
    AbortSignal();
    AbortSignal(const AbortSignal&) = delete;
    AbortSignal& operator=(const AbortSignal&) = delete;
    ~AbortSignal();

    void raise();
    void clear();
    bool raised() const { return raised_.load(std::memory_order_acquire); }
    // Readable while the signal is raised; kNoSocket if none could be made (then waits
    // notice the signal only when they wake for another reason). A socket on Windows, where
    // only sockets can be polled.
    platform::NativeSocket fd() const { return fd_; }

  private:
    platform::NativeSocket fd_ = platform::kNoSocket;
    std::atomic<bool> raised_{false};
};

}  // namespace varnix
