// SPDX-License-Identifier: MIT
#include "tls_context.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <filesystem>
#include <mutex>

namespace varnix {
namespace {

struct TlsSettings {
    std::mutex mutex;
    std::string caPath;
    bool acceptUnverified = false;
    std::shared_ptr<const TlsContext> built;  // null after a change
};

TlsSettings& settings() {
    static TlsSettings s;
    return s;
}

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

TlsContext::~TlsContext() {
    SSL_CTX_free(ctx_);
}

Result<std::shared_ptr<const TlsContext>> TlsContext::build(const std::string& caPath,
                                                            bool acceptUnverified) {
    ERR_clear_error();
    SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
    if (!ctx) return Status::tls("Cannot set up TLS: " + takeOpenSslErrors());
    std::shared_ptr<const TlsContext> context(new TlsContext(ctx, acceptUnverified));
    SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
    SSL_CTX_set_mode(ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    SSL_CTX_set_read_ahead(ctx, 1);
    SSL_CTX_set_default_read_buffer_len(ctx, kReadBuffer);
    // Verification is checked after the handshake (TlsStream), so that the failure can be
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
    return context;
}

Result<std::shared_ptr<const TlsContext>> TlsContext::current() {
    auto& s = settings();
    std::lock_guard lock(s.mutex);
    if (!s.built) {
        auto built = build(s.caPath, s.acceptUnverified);
        if (!built.isOk()) return built.status();
        s.built = *built;
    }
    return s.built;
}

Status setTlsTrustedCa(const std::string& path) {
    auto& s = settings();
    std::lock_guard lock(s.mutex);
    if (!path.empty()) {
        std::error_code ec;
        if (!std::filesystem::exists(path, ec))
            return Status::local("No CA file or directory " + path);
        // Loaded now, so that a bad file is refused by this call and not by a later open.
        auto trial = TlsContext::build(path, s.acceptUnverified);
        if (!trial.isOk()) return trial.status();
        s.built = *trial;
    } else {
        s.built.reset();
    }
    s.caPath = path;
    return Status::ok(path.empty() ? "Trusted CA cleared" : "Trusted CA " + path);
}

void setTlsAcceptUnverified(bool on) {
    auto& s = settings();
    std::lock_guard lock(s.mutex);
    s.acceptUnverified = on;
    s.built.reset();
}

}  // namespace varnix
