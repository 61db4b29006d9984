// SPDX-License-Identifier: MIT
#include "abort_signal.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace varnix {

AbortSignal::AbortSignal() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

AbortSignal::~AbortSignal() {
    if (fd_ >= 0) ::close(fd_);
}

void AbortSignal::raise() {
    raised_.store(true, std::memory_order_release);
    if (fd_ >= 0) {
        std::uint64_t one = 1;
        [[maybe_unused]] auto n = ::write(fd_, &one, sizeof one);
    }
}

void AbortSignal::clear() {
    raised_.store(false, std::memory_order_release);
    if (fd_ >= 0) {
        std::uint64_t value = 0;
        [[maybe_unused]] auto n = ::read(fd_, &value, sizeof value);
    }
}

}  // namespace varnix
