// SPDX-License-Identifier: MIT
#include "byte_stream.h"

namespace varnix {

bool PlainStream::idle() {
    platform::PollEntry p{socket_.fd(), POLLIN, 0};
    return platform::pollSockets(&p, 1, 0) == 0;
}

}  // namespace varnix
