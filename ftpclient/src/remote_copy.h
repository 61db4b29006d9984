// SPDX-License-Identifier: MIT
// Server-to-server copies: the source server listens (passive), the target server is told
// to connect to it (PORT/EPRT), and the file flows between them without passing here.
#pragma once

#include <string>

#include "ftp_session.h"

namespace varnix {

enum class RemoteMode { Put, Append };

// offset 0: the whole file; above 0: from that byte on (stored at that offset for Put,
// appended for Append); kResumeAtTargetEnd: where the target file ends (Put only).
constexpr long long kResumeAtTargetEnd = -1;

Status remoteCopy(FtpSession& from, FtpSession& to, const std::string& fromFile,
                  const std::string& toFile, RemoteMode mode, long long offset, bool binary);

}  // namespace varnix
