// SPDX-License-Identifier: MIT
// The OpenSSL provider's context: one SSL_CTX per TLS configuration.
#include <openssl/err.h>
#include <openssl/ssl.h>

#include <filesystem>

#include "tls_openssl_stream.h"

namespace varnix {
namespace {

// Big records in, few calls: OpenSSL reads ahead into a buffer this large.
constexpr std::size_t kReadBuffer = 256 * 1024;

}  // namespace

std::string takeOpenSslErrors() {
    std::string text;
    for (unsigned long e; (e = ERR_get_error()) != 0;) {
        char one[256];
        ERR_error_string_n(e, one, sizeof one);
        const char* reason = ERR_reason_error_string(e);
        if (!text.empty()) text += "; ";
        text += reason ? reason : one;
    }
    return text;
}

TlsProviderContext::~TlsProviderContext() {
    SSL_CTX_free(ctx);
}

TlsContext::TlsContext(std::unique_ptr<TlsProviderContext> provider, bool acceptUnverified)
    : provider_(std::move(provider)), acceptUnverified_(acceptUnverified) {}

TlsContext::~TlsContext() = default;

Result<std::shared_ptr<const TlsContext>> TlsContext::build(const std::string& caPath,
                                                            bool acceptUnverified) {
    ERR_clear_error();
    SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
    if (!ctx) return Status::tls("Cannot set up TLS: " + takeOpenSslErrors());
    auto provider = std::make_unique<TlsProviderContext>();
    provider->ctx = ctx;
    auto context = std::make_shared<const TlsContext>(std::move(provider), acceptUnverified);
    SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
    SSL_CTX_set_mode(ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    SSL_CTX_set_read_ahead(ctx, 1);
    SSL_CTX_set_default_read_buffer_len(ctx, kReadBuffer);
    // Verification is checked after the handshake (OpenSslStream), so that the failure can be
    // named, or accepted where the caller allowed it; a failed chain still ends the handshake.
    SSL_CTX_set_verify(ctx, acceptUnverified ? SSL_VERIFY_NONE : SSL_VERIFY_PEER, nullptr);
    if (SSL_CTX_set_default_verify_paths(ctx) != 1) ERR_clear_error();  // no system store
    if (!caPath.empty()) {
        bool directory = std::filesystem::is_directory(caPath);
        if (SSL_CTX_load_verify_locations(ctx, directory ? nullptr : caPath.c_str(),
                                          directory ? caPath.c_str() : nullptr) != 1)
            return Status::tls("Cannot load the trusted certificates from " + caPath + ": " +
                               takeOpenSslErrors());
    }
    return std::shared_ptr<const TlsContext>(std::move(context));
}

}  // namespace varnix
