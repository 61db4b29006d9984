// SPDX-License-Identifier: MIT
// What the last transfer call on a handle did to its target, for a caller that retries a
// transfer and must resume only what its own attempts wrote.
#pragma once

#include <string>
#include <string_view>

namespace varnix {

struct TransferRecord {
    bool opened = false;    // the local file was opened, or the server accepted STOR/STOU/APPE
    long long written = 0;  // bytes written into the target by this call; -1 when not known
    std::string local;      // the local file's path
    std::string remote;     // the remote name written (STOU: the name the server gave)
};

// The file name a STOU reply gives ("150 FILE: name"); empty when it names none.
std::string uniqueNameOf(std::string_view reply);

}  // namespace varnix
