// SPDX-License-Identifier: MIT
// The FTP client library's last text for the calling thread: its own message for a local or
// connection failure, or the server's reply.
#pragma once

#include <cstring>
#include <string>

#include "varnix32.h"

namespace quarv {

inline std::string LibraryLastError() {
    char text[1024] = {};
    ftp_lasterror(text, sizeof text);
    return std::string(text, strnlen(text, sizeof text));
}

}  // namespace quarv
