// SPDX-License-Identifier: MIT
// C entry points: opening, logging in, closing and probing connections.
#include <optional>

#include "api_support.h"
#include "data_stream.h"

using namespace varnix;

namespace {

// A new handle for host, connected and greeted (and secured, for a TLS scheme); a negative
// code when that fails (no handle is left behind then). No port: the scheme's own.
int openHandle(const char* host, std::optional<int> port) {
    int handle = 0;
    std::shared_ptr<FtpSession> session;
    Status status = api::guarded([&]() -> Status {
        VARNIX_RETURN_IF_ERROR(api::requireText(host, "host"));
        if (port && (*port < 1 || *port > 65535))
            return Status::invalid("Bad port " + std::to_string(*port));
        auto parsed = parseHostText(host, port.value_or(kSchemeDefaultPort));
        if (!parsed.isOk()) return parsed.status();
        session = std::make_shared<FtpSession>(*parsed, api::defaultTimeout());
        handle = api::sessions().add(session);
        if (handle <= 0) return Status::badHandle("No more handles");
        session->setHandle(handle);
        Status connected = session->connect();
        if (!connected.isOk()) {
            api::sessions().remove(handle);
            return connected;
        }
        return Status::ok();
    });
    api::storeText(status, session.get());
    return status.isOk() ? handle : status.code();
}

}  // namespace

extern "C" {

int ftp_open(const char* host) {
    return openHandle(host, std::nullopt);
}

int ftp_openport(const char* host, int port) {
    return openHandle(host, port);
}

int ftp_relogin(int h, const char* user, const char* password, const char* account) {
    return api::run(h, [&](FtpSession& s) -> Status {
        VARNIX_RETURN_IF_ERROR(api::requireWireText(user, "user"));
        VARNIX_RETURN_IF_ERROR(api::requireWireText(password, "password"));
        VARNIX_RETURN_IF_ERROR(api::requireWireText(account, "account"));
        return s.login(user, password, account);
    });
}

int ftp_login(const char* host, const char* user, const char* password, const char* account) {
    // Check the texts before connecting, so nothing is opened for a login that cannot work.
    Status args = api::guarded([&]() -> Status {
        VARNIX_RETURN_IF_ERROR(api::requireWireText(user, "user"));
        VARNIX_RETURN_IF_ERROR(api::requireWireText(password, "password"));
        return api::requireWireText(account, "account");
    });
    if (!args.isOk()) {
        api::storeText(args, nullptr);
        return args.code();
    }
    int h = ftp_open(host);
    if (h <= 0) return h;
    int code = ftp_relogin(h, user, password, account);
    if (code != 0) {
        std::string why = lastText();
        ftp_quit(h);
        setLastText(why);
        return code;
    }
    return h;
}

int ftp_gatelogin(int h, const char* host, const char* user, const char* password,
                  const char* account) {
    return api::run(h, [&](FtpSession& s) -> Status {
        VARNIX_RETURN_IF_ERROR(api::requireName(host, "host"));
        VARNIX_RETURN_IF_ERROR(api::requireWireText(user, "user"));
        VARNIX_RETURN_IF_ERROR(api::requireWireText(password, "password"));
        VARNIX_RETURN_IF_ERROR(api::requireWireText(account, "account"));
        return s.login(user, password, account, host);
    });
}

int ftp_quit(int h) {
    Status status = api::call(h, [](FtpSession& s) { return s.logout(); });
    if (status.code() != VARNIX_EHANDLE && status.code() != VARNIX_EBUSY) api::sessions().remove(h);
    return status.code();
}

int ftp_Logout(int h) {
    return api::run(h, [](FtpSession& s) { return s.logout(); });
}

int ftp_abort(int h) {
    auto session = api::sessions().find(h);
    if (session && session->abortRunningCall()) {
        setLastText("Abort requested on handle " + std::to_string(h));
        return 0;
    }
    return api::run(h, [](FtpSession& s) -> Status {
        if (s.stream()) {
            abandonStream(s);
            return Status::ok();
        }
        if (!s.connected()) return Status::ok("Nothing to abort");
        auto reply = s.command("ABOR");
        return reply.isOk() ? Status::ok() : reply.status();
    });
}

int ftp_isconnected(int h) {
    auto session = api::sessions().find(h);
    if (session && !session->mayProbe()) {
        // Another thread's handle, or a call under way: answered from what the owner's calls
        // found, without a word to the server, so that the owner never waits or fails.
        bool held = session->holdsConnection();
        setLastText("Handle " + std::to_string(h) + (held ? " holds" : " does not hold") +
                    " its connection (not asked: in use by another call)");
        return held ? 1 : 0;
    }
    Status status = api::call(h, [](FtpSession& s) { return s.alive(); });
    // A call under way on the handle means it is in use, hence connected.
    return status.isOk() || status.code() == VARNIX_EBUSY ? 1 : 0;
}

}  // extern "C"
