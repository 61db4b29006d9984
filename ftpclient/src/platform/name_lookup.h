// SPDX-License-Identifier: MIT
// The system's name lookup, bounded by a wait's deadline and abort signal: a lookup still
// running when the wait ends is left to finish on its own.
#pragma once

#include <string>
#include <vector>

#include "socket.h"

namespace varnix::platform {

// The addresses of a host name (not a numeric address), with the port set.
Result<std::vector<SocketAddress>> lookupHost(const std::string& host, int port, const Wait& wait);

}  // namespace varnix::platform
