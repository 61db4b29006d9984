// SPDX-License-Identifier: MIT
// What the attempts of one transfer statement have written, so that a retry resumes only
// that: the first attempt that opened its target (the local file of a get, a remote file
// whose STOR, STOU or APPE the server accepted) names the one file that every later attempt
// of the statement writes.
#pragma once

#include <string>

#include "varnix32.h"

class WrittenTarget {
  public:
    // What the last transfer on handle h did; all zero when the library cannot tell.
    static varnix_transfer_info LastTransfer(int h);

    // After a failed attempt on handle h: the first one that opened its target names it.
    void Note(int h);
    bool Begun() const { return begun_; }
    // The local file the attempts write, as an absolute path (a get in local unique mode
    // wrote name.1, not name).
    const std::string& Local() const { return local_; }
    // The remote file the attempts write (STOU: the name the server gave).
    const std::string& Remote() const { return remote_; }

  private:
    bool begun_ = false;
    std::string local_;
    std::string remote_;
};

// The last component of a path: the name the library gives a transfer without a second name.
std::string LastComponent(const std::string& path);
// Bytes in a local file; -1 when it cannot be read.
long long LocalFileSize(const std::string& path);
// Bytes in a remote file: SIZE through the library; negative when it cannot tell.
long long RemoteFileSize(int h, const std::string& name);
