// SPDX-License-Identifier: MIT
// Listings (LIST and NLST into local files), existence tests, and the multi-file
// transfers mget and mput.
#pragma once

#include <string>

#include "ftp_session.h"

namespace varnix {

Status listToFile(FtpSession& session, bool longList, const std::string& mask,
                  const std::string& localFile);
// SIZE, then MDTM, then an NLST of the name.
bool remoteExists(FtpSession& session, const std::string& name);
// True when the server lets the client change into name (changing back at once).
bool isDirectory(FtpSession& session, const std::string& name);
Status getMatching(FtpSession& session, const std::string& pattern);
Status putMatching(FtpSession& session, const std::string& pattern);

}  // namespace varnix
