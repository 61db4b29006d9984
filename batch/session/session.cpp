// SPDX-License-Identifier: MIT
// The session's connection: login, gateway logins, the idle check, and the reconnect that
// rebuilds a lost connection on the same handle with the remembered state.
#include <cstring>
#include <utility>

#include "clock.h"
#include "library_text.h"
#include "platform/engine_timers.h"
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
    quarv::platform::ForgetEngineTimers(*this);
}

int CSession::GetHandle() {
    CheckIdle();
    return handle_;
}

int CSession::CheckIdle() {
    // The restore steps of a connection check run through here; the check covers them.
    if (checking_) return 1;
    CTraceLog& log = CTraceLog::Instance();
    const long seconds = static_cast<long>(quarv::Now() - lastCheck_);
    if (seconds < idleThreshold_) log.Trace("Time elapsed ", seconds, " seconds");
    log.Flush();  // the log shows what the server is asked next
    if (seconds >= idleThreshold_) return CheckConnection() == 0 ? 1 : 0;
    return 1;
}

int CSession::Login(const std::string& host, const std::string& user, const std::string& password,
                    const std::string& account) {
    Busy busy(*this);
    CTraceLog& log = CTraceLog::Instance();
    failure_.clear();
    // A second login replaces the connection; the first one is quit so that none leaks.
    if (handle_ > 0) {
        ftp_quit(handle_);
        handle_ = 0;
    }
    log.Status("Connecting to ", host, " FTP server, please wait...");
    log.Flush();
    handle_ = ftp_open(host.c_str());
    int result = -1;
    if (handle_ > 0) {
        lastCheck_ = quarv::Now();
        if (ftp_relogin(handle_, user.c_str(), password.c_str(), account.c_str()) != 0) {
            // The refusal, before the QUIT that follows replaces it.
            failure_ = quarv::LibraryLastError();
            Disconnect();
        } else {
            login_ = LoginParameters{host, user, password, account};
            lost_ = false;
            result = 0;
        }
    } else {
        failure_ = quarv::LibraryLastError();
    }
    log.Trace("Login: ftphandle = ", handle_);
    return result;
}

int CSession::GateLogin(const std::string& host, const std::string& user,
                        const std::string& password, const std::string& account) {
    if (handle_ <= 0) return -99;
    Busy busy(*this);
    CheckIdle();
    const int code =
        ftp_gatelogin(handle_, host.c_str(), user.c_str(), password.c_str(), account.c_str());
    if (code == 0) AddGateLogin(host, user, password, account);
    return code;
}

void CSession::AddGateLogin(const std::string& host, const std::string& user,
                            const std::string& password, const std::string& account) {
    gateLogins_.push_back(LoginParameters{host, user, password, account});
}

int CSession::Disconnect() {
    Busy busy(*this);
    if (timerHost_ != nullptr) StopTimer();
    if (handle_ <= 0) return 0;
    CTraceLog::Instance().Trace("Disconnect: ftp quit (", handle_, ")");
    const int code = ftp_quit(handle_);
    handle_ = 0;
    return code;
}

int CSession::CheckConnection() {
    Busy busy(*this);
    CTraceLog& log = CTraceLog::Instance();
    int result = 0;
    if (ftp_isconnected(handle_) != 0) {
        lastCheck_ = quarv::Now();
    } else {
        log.Trace("CheckConnection: Lost connection, need to reconnect");
        checking_ = true;
        result = Reconnect();
        if (result == 0) result = RestoreSettings();
        checking_ = false;
    }
    log.Trace("CheckConnection: cc = ", result);
    if (keepAliveInterval_ > 0) ChangeInterval(keepAliveInterval_);
    return result;
}

// After a reconnect: passive mode, directory and binary type first (a failing one is the
// result), then the local settings whatever happened, and the status box only on success.
// ASCII is the library's default and is not sent again.
int CSession::RestoreSettings() {
    int result = 0;
    if (passive_ == 1) result = SetPassive(1);
    if (result == 0) {
        const std::string directory = directory_;
        if (!directory.empty()) result = Cd(directory, 1);
        if (result == 0 && transferType_ == 1) result = SetBinary();
    }
    const std::string localPath = localPath_;
    if (!localPath.empty()) SetLocalPath(localPath);
    if (receiveTimeout_ >= 0) SetReceiveTimeout(receiveTimeout_);
    // A new connection starts with both unique modes off: one switch turns each on again.
    if (localUnique_ == 1) ftp_localunique(handle_);
    if (storeUnique_ == 1) ftp_storeunique(handle_);
    if (result == 0 && statusBox_ == 1) SetStatusBox(1);
    return result;
}

int CSession::Reconnect() {
    Busy busy(*this);
    failure_.clear();
    ftp_Logout(handle_);
    CTraceLog::Instance().Status("Wait! Reconnecting to ", login_.host, " FTP server...");
    int result =
        ftp_relogin(handle_, login_.user.c_str(), login_.password.c_str(), login_.account.c_str());
    for (auto gate = gateLogins_.begin(); result == 0 && gate != gateLogins_.end(); ++gate)
        result = ftp_gatelogin(handle_, gate->host.c_str(), gate->user.c_str(),
                               gate->password.c_str(), gate->account.c_str());
    if (result != 0) {
        // Why the connection could not be restored, before the QUIT replaces it.
        failure_ = quarv::LibraryLastError();
        if (handle_ > 0) lost_ = true;  // a session that never logged in lost nothing
        Disconnect();
    }
    return result;
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

std::string CSession::TakeFailure() {
    return std::exchange(failure_, std::string());
}
