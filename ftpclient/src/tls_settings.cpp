// SPDX-License-Identifier: MIT
// The TLS switches of the library (varnix_settlsca, varnix_setacceptunverified) and the
// context built from them, whatever the provider.
#include <filesystem>
#include <mutex>

#include "tls_context.h"

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

}  // namespace

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
        // The name is UTF-8, also where the system's file names are UTF-16.
        if (!std::filesystem::exists(std::filesystem::path(std::u8string(path.begin(), path.end())),
                                     ec))
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
