// SPDX-License-Identifier: MIT
// The session's settings and remote queries. The setters remember what they set, so that a
// reconnect can apply it again.
#include <cstring>

#include "quarv32_session.h"
#include "trace_log.h"
#include "varnix32.h"

namespace {
constexpr int kDirectoryBufferSize = 1024;

const char* FlagWord(int flag) {
    return flag ? "True" : "False";
}
}  // namespace

int CSession::SetAscii() {
    Busy busy(*this);
    CheckIdle();
    const int code = ftp_setascii(handle_);
    if (code == 0) transferType_ = 0;
    CTraceLog::Instance().Trace("SetAscii: cc = ", code);
    return code;
}

int CSession::SetBinary() {
    Busy busy(*this);
    CheckIdle();
    const int code = ftp_setbinary(handle_);
    if (code == 0) transferType_ = 1;
    CTraceLog::Instance().Trace("SetBinary: cc = ", code);
    return code;
}

int CSession::Cd(const std::string& directory, int refresh) {
    Busy busy(*this);
    CheckIdle();
    const int code = ftp_cd(handle_, directory.c_str());
    if (code == 0 && refresh == 1) SetPwd();
    CTraceLog::Instance().Trace("Cd: ", directory, ", cc = ", code);
    return code;
}

int CSession::Cdup() {
    Busy busy(*this);
    CheckIdle();
    const int code = ftp_cdup(handle_);
    if (code == 0) SetPwd();
    CTraceLog::Instance().Trace("Cdup: cc = ", code);
    return code;
}

int CSession::SetPwd() {
    Busy busy(*this);
    CheckIdle();
    char buffer[kDirectoryBufferSize] = {};
    int result = -1;
    if (ftp_pwd(handle_, buffer, sizeof buffer) == 0) {
        directory_.assign(buffer, strnlen(buffer, sizeof buffer));
        result = 0;
    }
    CTraceLog::Instance().Trace("SetPwd: cc = ", result);
    return result;
}

int CSession::SetPassive(int flag) {
    Busy busy(*this);
    const int code = ftp_SetPassive(handle_, flag);
    CTraceLog::Instance().Trace("SetPassive: Flag = ", flag, ", cc");
    passive_ = flag;
    return code;
}

int CSession::SetLocalUnique(int flag) {
    return SwitchUniqueMode(ftp_localunique, localUnique_, flag, "SetLocalUnique");
}

int CSession::SetStoreUnique(int flag) {
    return SwitchUniqueMode(ftp_storeunique, storeUnique_, flag, "SetStoreUnique");
}

// One switch of a unique mode; the mode is remembered as flag when the switch succeeds.
int CSession::SwitchUniqueMode(int (*toggle)(int handle), int& mode, int flag,
                               const char* operation) {
    Busy busy(*this);
    const int code = toggle(handle_);
    if (code == 0) mode = flag ? 1 : 0;
    CTraceLog::Instance().Trace(operation, ": bFlag = ", FlagWord(flag), ", cc");
    return code;
}

int CSession::ToggleLocalUnique() {
    return ToggleUniqueMode(ftp_localunique, localUnique_);
}

int CSession::ToggleStoreUnique() {
    return ToggleUniqueMode(ftp_storeunique, storeUnique_);
}

int CSession::ToggleUniqueMode(int (*toggle)(int handle), int& mode) {
    Busy busy(*this);
    const int code = toggle(GetHandle());
    if (code == 0) mode = mode ? 0 : 1;
    return code;
}

int CSession::SetLocalPath(const std::string& path) {
    Busy busy(*this);
    localPath_ = path;
    if (!localPath_.empty()) return ftp_SetLocalPath(handle_, localPath_.c_str());
    return ftp_ClearLocalPath(handle_);
}

int CSession::SetReceiveTimeout(int timeout) {
    Busy busy(*this);
    receiveTimeout_ = timeout;
    return ftp_setreceivetimeout(handle_, timeout);
}

void CSession::SetStatusBox(int flag) {
    Busy busy(*this);
    statusBox_ = flag;
    ftp_statusbox(handle_, flag != 0 ? 1 : 0);
}

int CSession::FtpExists(const std::string& name) {
    Busy busy(*this);
    int code = 0;
    if (CheckIdle() == 1) code = ftp_Exists(handle_, name.c_str());
    CTraceLog::Instance().Trace("CSession::FtpExists: Exist ", name, ", rc = ", code);
    return code;
}

int CSession::FtpRename(const std::string& from, const std::string& to) {
    Busy busy(*this);
    int code = -99;
    if (CheckIdle() == 1) code = ftp_rename(handle_, from.c_str(), to.c_str());
    CTraceLog::Instance().Trace("CSession::FtpRename: Rename ", from, " to ", to, ", rc = ", code);
    return code;
}
