// SPDX-License-Identifier: MIT
#include "ftp_session.h"

#include <atomic>

#include "data_stream.h"
#include "trace_log.h"

namespace varnix {
namespace {

constexpr const char* kAnonymousUser = "anonymous";
constexpr const char* kAnonymousPassword = "varnix@";
// Late replies tolerated before a command; a server that sends more is not in step.
constexpr int kMaxUnaskedReplies = 16;

struct ProgressHandler {
    std::mutex mutex;
    varnix_progress_proc proc = nullptr;
    void* user = nullptr;
};

ProgressHandler& progressHandler() {
    static ProgressHandler handler;
    return handler;
}

}  // namespace

void setProgressHandler(varnix_progress_proc proc, void* user) {
    auto& h = progressHandler();
    std::lock_guard lock(h.mutex);
    h.proc = proc;
    h.user = user;
}

FtpSession::FtpSession(HostAddress host, std::chrono::milliseconds timeout)
    : host_(std::move(host)) {
    settings_.timeout = timeout;
}

FtpSession::~FtpSession() = default;

void FtpSession::setHandle(int handle) {
    handle_ = handle;
    if (control_) control_->setHandle(handle);
}

void FtpSession::setTimeout(std::chrono::milliseconds timeout) {
    settings_.timeout = timeout;
    if (control_) control_->setTimeout(timeout);
}

bool FtpSession::beginCall() {
    std::lock_guard lock(callMutex_);
    if (callActive_) return false;
    callActive_ = true;
    owner_ = std::this_thread::get_id();
    abort_.clear();
    return true;
}

bool FtpSession::mayProbe() {
    std::lock_guard lock(callMutex_);
    return !callActive_ && owner_ == std::this_thread::get_id();
}

void FtpSession::endCall() {
    std::lock_guard lock(callMutex_);
    callActive_ = false;
    abort_.clear();
}

bool FtpSession::abortRunningCall() {
    std::lock_guard lock(callMutex_);
    if (!callActive_) return false;
    abort_.raise();
    return true;
}

void FtpSession::reportProgress(long long done, long long total) const {
    if (!settings_.statusBox) return;
    auto& h = progressHandler();
    varnix_progress_proc proc;
    void* user;
    {
        std::lock_guard lock(h.mutex);
        proc = h.proc;
        user = h.user;
    }
    if (proc) proc(handle_, done, total, user);
}

Status FtpSession::connect() {
    disconnect();
    auto socket =
        connectToHost(host_.name, host_.port, Wait{deadlineAfter(settings_.timeout), &abort_});
    if (!socket.isOk()) return socket.status();
    TraceLog::instance().note(handle_, "Connected to " + socket->peer().text());
    std::unique_ptr<ByteStream> stream;
    if (host_.security == Security::Implicit) {
        auto tls = implicitTls(std::move(*socket));
        if (!tls.isOk()) return tls.status();
        stream = std::move(*tls);
    } else {
        stream = std::make_unique<PlainStream>(std::move(*socket));
    }
    control_ = std::make_unique<ControlConnection>(std::move(stream), handle_);
    linked_.store(true, std::memory_order_release);
    control_->setTimeout(settings_.timeout);
    control_->setAbortSignal(&abort_);
    wireTypeKnown_ = false;
    epsvRefused_ = eprtRefused_ = loggedIn_ = dataProtected_ = false;
    usersSent_ = 0;
    features_.reset();
    settings_.localUnique = settings_.storeUnique = false;

    auto greeting = control_->readReply();
    // 120: the server will be ready in a while; its 220 follows.
    if (greeting.isOk() && greeting->code == 120) greeting = control_->readReply();
    if (!greeting.isOk()) {
        disconnect();
        return greeting.status();
    }
    lastReply_ = *greeting;
    if (greeting->code != 220) {
        disconnect();
        if (greeting->negative()) return Status::refused(greeting->code, greeting->text());
        return Status::protocol("Unexpected greeting: " + greeting->text());
    }
    if (host_.security != Security::None) {
        // Nothing of a login goes out before both connections are known to be encrypted.
        Status secured = host_.security == Security::Explicit ? secureControl() : Status::ok();
        if (secured.isOk()) secured = protectData();
        if (!secured.isOk()) {
            disconnect();
            return secured;
        }
        lastReply_ = *greeting;
    }
    return Status::ok();
}

void FtpSession::disconnect() {
    if (stream_) stream_.reset();
    if (control_) TraceLog::instance().note(handle_, "Connection closed");
    control_.reset();
    linked_.store(false, std::memory_order_release);
    loggedIn_ = false;
}

Status FtpSession::requireIdleConnection() const {
    if (!control_)
        return Status::badHandle("Handle " + std::to_string(handle_) + " is not connected to " +
                                 host_.text());
    if (stream_)
        return Status::busy("A data stream is open on handle " + std::to_string(handle_) +
                            "; close it first");
    return Status::ok();
}

Status FtpSession::discardUnasked() {
    for (int count = 0; control_ && control_->inputPending(); ++count) {
        if (count == kMaxUnaskedReplies) {
            disconnect();
            return Status::protocol("The server sends replies nobody asked for");
        }
        auto reply = control_->readReplyIgnoringAbort();
        if (!reply.isOk()) {
            disconnect();
            return reply.status();
        }
        lastReply_ = *reply;
        if (reply->code == 421) {
            disconnect();
            return Status::refused(421, reply->text());
        }
        TraceLog::instance().note(handle_, "Ignored a reply nobody asked for");
    }
    return Status::ok();
}

Status FtpSession::checkReply(const Result<Reply>& reply) {
    if (!reply.isOk()) {
        int code = reply.status().code();
        if (code == VARNIX_EABORTED) {
            // Interrupted while the server was busy: ABOR stops it, NOOP finds the step again.
            DataChannel none;
            [[maybe_unused]] Status stopped = abortData(none, reply.status());
        } else if (code != VARNIX_EINVAL) {
            disconnect();  // timed out, broken or garbled: the connection is out of step
        }
        return reply.status();
    }
    lastReply_ = *reply;
    if (reply.value().code == 421) {
        disconnect();
        return Status::refused(421, reply.value().text());
    }
    return Status::ok();
}

Result<Reply> FtpSession::command(std::string_view line) {
    VARNIX_RETURN_IF_ERROR(requireIdleConnection());
    VARNIX_RETURN_IF_ERROR(discardUnasked());
    auto reply = control_->command(line);
    VARNIX_RETURN_IF_ERROR(checkReply(reply));
    return reply;
}

Status FtpSession::simpleCommand(std::string_view line) {
    auto reply = command(line);
    if (!reply.isOk()) return reply.status();
    if (reply->positive()) return Status::ok();
    if (reply->negative()) return Status::refused(reply->code, reply->text());
    return Status::protocol("Unexpected reply: " + reply->text());
}

Status FtpSession::ensureType(TransferType type) {
    if (wireTypeKnown_ && wireType_ == type) return Status::ok();
    VARNIX_RETURN_IF_ERROR(simpleCommand(type == TransferType::Binary ? "TYPE I" : "TYPE A"));
    wireType_ = type;
    wireTypeKnown_ = true;
    return Status::ok();
}

Status FtpSession::setType(TransferType type) {
    wireTypeKnown_ = false;
    VARNIX_RETURN_IF_ERROR(ensureType(type));
    settings_.type = type;
    return Status::ok();
}

Status FtpSession::login(const std::string& user, const std::string& password,
                         const std::string& account, const std::string& gatewayHost) {
    if (stream_) return requireIdleConnection();
    // A connection the server closed meanwhile (or told us it would) is made anew.
    if (control_ && !discardUnasked().isOk()) disconnect();
    // A TLS scheme in front of a gateway's target asks for the login to go encrypted: the
    // connection to the gateway is secured first when it is plain.
    HostScheme target = splitHostScheme(gatewayHost);
    auto ready = [&]() -> Status {
        if (!control_) VARNIX_RETURN_IF_ERROR(connect());
        if (target.security == Security::None || encrypted()) return Status::ok();
        VARNIX_RETURN_IF_ERROR(secureControl());
        return protectData();
    };
    VARNIX_RETURN_IF_ERROR(ready());
    bool wasLoggedIn = loggedIn_;
    loggedIn_ = false;
    bool anonymous = user.empty();
    std::string name = anonymous ? kAnonymousUser : user;
    if (!gatewayHost.empty()) name += "@" + std::string(target.rest);
    std::string secret = anonymous && password.empty() ? kAnonymousPassword : password;
    auto sendUser = [&] {
        ++usersSent_;
        return command("USER " + name);
    };

    auto reply = sendUser();
    if (!reply.isOk() && reply.status().code() == VARNIX_ENETWORK && !control_) {
        // The connection broke without a word (the server restarted, say): once more, anew.
        VARNIX_RETURN_IF_ERROR(ready());
        reply = sendUser();
    }
    if (!reply.isOk()) return reply.status();
    if (wasLoggedIn && reply->negative() && gatewayHost.empty()) {
        // A server that lets no session change its user: the new login gets a new connection.
        disconnect();
        VARNIX_RETURN_IF_ERROR(ready());
        reply = sendUser();
        if (!reply.isOk()) return reply.status();
    }
    if (reply->code == 331) {
        reply = command("PASS " + secret);
        if (!reply.isOk()) return reply.status();
    }
    bool accountSent = false;
    if (reply->code == 332) {
        if (account.empty())
            return Status::refused(332, reply->text() + "\n(the server asks for an account)");
        reply = command("ACCT " + account);
        if (!reply.isOk()) return reply.status();
        accountSent = true;
    }
    if (reply->negative()) return Status::refused(reply->code, reply->text());
    if (!reply->positive())
        return Status::protocol("Unexpected reply to the login: " + reply->text());
    loggedIn_ = true;
    Reply welcome = *reply;
    if (!account.empty() && !accountSent) {
        // Given but not asked for: sent anyway; a server that has no use for it may refuse.
        auto acct = command("ACCT " + account);
        if (!acct.isOk()) return acct.status();
    }
    // A USER after an earlier one resets the data protection on some servers: set it again.
    if (dataProtected_ && usersSent_ > 1) VARNIX_RETURN_IF_ERROR(protectData());
    lastReply_ = welcome;
    return Status::ok();
}

Status FtpSession::logout() {
    if (!control_) return Status::ok("Not connected");
    if (stream_) stream_.reset();
    Status result = Status::ok();
    if (discardUnasked().isOk() && control_) {
        auto reply = control_->command("QUIT");
        if (reply.isOk()) {
            lastReply_ = *reply;
            if (reply->negative()) result = Status::refused(reply->code, reply->text());
        } else {
            result = reply.status();
        }
    }
    disconnect();
    return result;
}

Status FtpSession::alive() {
    if (!control_) return requireIdleConnection();
    if (stream_) return Status::ok("A data stream is open");  // no NOOP amid its replies
    // Any reply in time will do; a lost connection was dropped by command().
    auto reply = command("NOOP");
    return reply.isOk() ? Status::ok() : reply.status();
}

bool FtpSession::offers(std::string_view feature) {
    if (!features_) {
        auto reply = command("FEAT");
        if (!reply.isOk()) return false;
        features_ = reply->code == 211 ? reply->text() : std::string();
    }
    std::string_view rest = *features_;
    while (!rest.empty()) {
        auto nl = rest.find('\n');
        std::string_view line = rest.substr(0, nl);
        rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
        auto start = line.find_first_not_of(' ');
        // Features are the lines that begin with a space ("211-Features:", "211 End" do not).
        if (start == 0 || start == std::string_view::npos) continue;
        line.remove_prefix(start);
        if (startsWithNoCase(line, feature) &&
            (line.size() == feature.size() || line[feature.size()] == ' '))
            return true;
    }
    return false;
}

}  // namespace varnix
