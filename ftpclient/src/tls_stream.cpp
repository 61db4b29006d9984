// SPDX-License-Identifier: MIT
#include "tls_stream.h"

#include "trace_log.h"

namespace varnix {

Status TlsStream::certificateVerdict(const TlsContext& context, const TlsPeer& peer,
                                     const std::string& problem) {
    if (problem.empty()) return Status::ok();
    if (!context.acceptUnverified())
        return Status::tls("The certificate of " + peer.where + " was refused: " + problem);
    TraceLog::instance().note(peer.handle, "Accepted the unverified certificate of " + peer.where +
                                               " (" + problem +
                                               "): varnix_setacceptunverified is on");
    return Status::ok();
}

}  // namespace varnix
