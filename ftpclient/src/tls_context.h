// SPDX-License-Identifier: MIT
// The library-wide TLS configuration: which certificates are trusted (the system's store and
// the CA file or directory of varnix_settlsca) and whether a certificate that fails
// verification may be accepted anyway (varnix_setacceptunverified). A connection takes a
// snapshot when it is opened; its data connections use the same one.
#pragma once

#include <memory>
#include <string>

#include "status.h"

// OpenSSL's types by name only, so that code above the TLS layer builds where OpenSSL is
// absent (the Windows build).
typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_session_st SSL_SESSION;

namespace varnix {

class TlsContext {
  public:
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;

    SSL_CTX* get() const { return ctx_; }
    bool acceptUnverified() const { return acceptUnverified_; }

    // The configuration in force now (built on first use and after every change).
    static Result<std::shared_ptr<const TlsContext>> current();
    // A client context that trusts the system's store and caPath (a file or a directory).
    static Result<std::shared_ptr<const TlsContext>> build(const std::string& caPath,
                                                           bool acceptUnverified);

  private:
    TlsContext(SSL_CTX* ctx, bool acceptUnverified)
        : ctx_(ctx), acceptUnverified_(acceptUnverified) {}

    SSL_CTX* ctx_;
    bool acceptUnverified_;
};

// A CA certificate file (PEM) or a hashed directory trusted besides the system's store, for
// connections opened from now on; empty forgets it. A path that cannot be loaded is refused
// and the earlier setting stays.
Status setTlsTrustedCa(const std::string& path);
void setTlsAcceptUnverified(bool on);

// The texts of OpenSSL's error queue of this thread, joined by "; " (the queue is emptied).
std::string takeOpenSslErrors();

}  // namespace varnix
