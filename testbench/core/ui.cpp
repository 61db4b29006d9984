// SPDX-License-Identifier: MIT
#include "ui.h"

#include <chrono>

namespace brisel {

std::uint32_t SteadyTickCount() {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace brisel
