// SPDX-License-Identifier: MIT
// Plain TCP connections for web tests (www_ functions): connect, send, receive, close.
#pragma once

#include <mutex>

#include "socket.h"

namespace varnix {

struct WebConnection {
    std::mutex mutex;  // one call at a time on a connection
    Socket socket;
};

}  // namespace varnix
