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

Status TlsStream::endAfterCloseNotify(const Status& sent, const std::string& where,
                                      const Wait& wait) {
    if (!sent.isOk()) {
        socket().closeWithReset();
        return sent.withContext("Ending the TLS connection to " + where + " failed");
    }
    [[maybe_unused]] Status ended = socket().shutdownWrite();
    char scratch[4096];
    for (int i = 0; i < 1024; ++i) {
        auto n = read(scratch, sizeof scratch, wait);
        if (!n.isOk() || *n == 0) break;
    }
    socket().close();
    return Status::ok();
}

}  // namespace varnix
