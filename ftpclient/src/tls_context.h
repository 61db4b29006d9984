// SPDX-License-Identifier: MIT
// The library-wide TLS configuration: which certificates are trusted (the system's store and
// the CA file or directory of varnix_settlsca) and whether a certificate that fails
// verification may be accepted anyway (varnix_setacceptunverified). A connection takes a
// snapshot when it is opened; its data connections use the same one.
//
// The TLS provider is chosen at build time: OpenSSL (tls_openssl_*) or the Windows system's
// SChannel (platform/win32/tls_schannel_*). Each defines TlsProviderContext, what it keeps
// for one configuration, and TlsContext::build; the code above sees only this header and
// tls_stream.h.
#pragma once

#include <memory>
#include <string>

#include "status.h"

namespace varnix {

struct TlsProviderContext;

class TlsContext {
  public:
    TlsContext(std::unique_ptr<TlsProviderContext> provider, bool acceptUnverified);
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;

    const TlsProviderContext& provider() const { return *provider_; }
    bool acceptUnverified() const { return acceptUnverified_; }

    // The configuration in force now (built on first use and after every change).
    static Result<std::shared_ptr<const TlsContext>> current();
    // A client context that trusts the system's store and caPath (a file or a directory).
    static Result<std::shared_ptr<const TlsContext>> build(const std::string& caPath,
                                                           bool acceptUnverified);

  private:
    std::unique_ptr<TlsProviderContext> provider_;
    bool acceptUnverified_;
};

// A CA certificate file (PEM) or a directory trusted besides the system's store, for
// connections opened from now on; empty forgets it. A path that cannot be loaded is refused
// and the earlier setting stays.
Status setTlsTrustedCa(const std::string& path);
void setTlsAcceptUnverified(bool on);

}  // namespace varnix
