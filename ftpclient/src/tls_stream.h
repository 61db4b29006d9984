// SPDX-License-Identifier: MIT
// TLS over a non-blocking socket: the ByteStream of an encrypted control or data connection,
// as every TLS provider implements it. Every wait goes through the caller's deadline and
// abort signal, as on plain sockets.
#pragma once

#include <memory>
#include <string>

#include "byte_stream.h"
#include "tls_context.h"

namespace varnix {

// Who the server must prove to be: the name of the host text (a DNS name, or an IP address
// that the certificate's subjectAltName must hold), and how texts and the trace name it.
struct TlsPeer {
    std::string name;
    std::string where;  // "127.0.0.1:2121"
    int handle = 0;
};

// What a data connection needs to resume the control connection's TLS session; each
// provider defines it.
struct TlsResumption;

class TlsStream : public ByteStream {
  public:
    // The client handshake over socket, then the certificate check: the chain and the name,
    // unless the context accepts unverified certificates (then the trace says so). Nothing
    // is sent over the stream before the check has passed. resume: the session to resume
    // (data connections resume the control connection's), or null.
    static Result<std::unique_ptr<TlsStream>> connect(Socket socket,
                                                      std::shared_ptr<const TlsContext> context,
                                                      const TlsPeer& peer,
                                                      const TlsResumption* resume,
                                                      const Wait& wait);

    virtual const std::shared_ptr<const TlsContext>& context() const = 0;
    // The session for data connections to resume; null when there is none yet.
    virtual std::shared_ptr<const TlsResumption> resumableSession() const = 0;
    // "TLSv1.3 TLS_AES_256_GCM_SHA384" (and ", session resumed").
    virtual std::string summary() const = 0;

  protected:
    // The rest of finish() once our close_notify went out (sent ok) or failed: the end of
    // our side, then the peer's end is awaited and what it still sends (its close_notify,
    // session tickets) is read and dropped, so that no reset can cut data the peer has not
    // read. A peer that does not close within the wait is left.
    Status endAfterCloseNotify(const Status& sent, const std::string& where, const Wait& wait);
    // What a failed certificate check means for the connection: problem ("certificate has
    // expired") refuses it, unless the context accepts unverified certificates (then the
    // trace says so). An empty problem passes.
    static Status certificateVerdict(const TlsContext& context, const TlsPeer& peer,
                                     const std::string& problem);
};

}  // namespace varnix
