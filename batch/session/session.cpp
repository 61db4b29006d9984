#include <cstring>

#include "clock.h"
#include "quarv32_session.h"
#include "trace_log.h"
#include "varnix32.h"

namespace {
constexpr int kReplyBufferSize = 1024;
// The session that wraps a caller's connection; it never quits that connection.
constexpr const char* kCallerSessionName = " ";
}  // namespace

CSession::CSession() : lastCheck_(quarv::Now()) {}

CSession::~CSession() {
    if (name_ != kCallerSessionName) Disconnect();
}

int CSession::GetHandle() {
    CheckIdle();
    return handle_;
}

int CSession::CheckIdle() {
    const long seconds = static_cast<long>(quarv::Now() - lastCheck_);
    // Testing a connection idle for idleThreshold_ seconds, and rebuilding it when lost, is
    // not built yet: every connection counts as alive.
    CTraceLog::Instance().Trace("Time elapsed ", seconds, " seconds");
    return 1;
}

int CSession::Login(const std::string& host, const std::string& user, const std::string& password,
                    const std::string& account) {
    Busy busy(*this);
    CTraceLog& log = CTraceLog::Instance();
    // A second login replaces the connection; the first one is quit so that none leaks.
    if (handle_ > 0) {
        ftp_quit(handle_);
        handle_ = 0;
    }
    log.Status("Connecting to ", host, " FTP server, please wait...");
    handle_ = ftp_open(host.c_str());
    int result = -1;
    if (handle_ > 0) {
        lastCheck_ = quarv::Now();
        if (ftp_relogin(handle_, user.c_str(), password.c_str(), account.c_str()) != 0) {
            Disconnect();
        } else {
            login_ = LoginParameters{host, user, password, account};
            result = 0;
        }
    }
    log.Trace("Login: ftphandle = ", handle_);
    return result;
}

int CSession::Disconnect() {
    Busy busy(*this);
    if (handle_ <= 0) return 0;
    CTraceLog::Instance().Trace("Disconnect: ftp quit (", handle_, ")");
    const int code = ftp_quit(handle_);
    handle_ = 0;
    return code;
}

void CSession::SetOnFailed(int retries, int sleepSeconds) {
    CTraceLog::Instance().Trace("SetOnFailed: Retry = ", retries, ", Sleep = ", sleepSeconds);
    policyRetries_ = retries;
    policyRetryOn_ = retries >= 0 ? 1 : 0;
    policySleep_ = sleepSeconds;
}

std::string CSession::GetLastReply() {
    Busy busy(*this);
    if (handle_ <= 0) return std::string();
    char reply[kReplyBufferSize] = {};
    if (ftp_copyreplystr(handle_, reply, sizeof reply) <= 0) return std::string();
    return std::string(reply, strnlen(reply, sizeof reply));
}
