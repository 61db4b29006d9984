// SPDX-License-Identifier: MIT
// The session's transfers: each chooses the transfer type (or only checks the idle
// connection) and makes one library call.
#include "quarv32_session.h"
#include "varnix32.h"

void CSession::SetTypeChooser(TypeChooserProc chooser, uintptr_t value, int on) {
    typeChooser_ = chooser;
    chooserValue_ = value;
    chooserOn_ = on ? 1 : 0;
}

int CSession::ChooseType(const std::string& fileName) {
    if (chooserOn_ == 0) return CheckIdle();
    // A session without a chooser counts as answering binary.
    const int ascii = typeChooser_ != nullptr ? typeChooser_(chooserValue_, fileName.c_str()) : 0;
    return ascii != 0 ? SetAscii() : SetBinary();
}

int CSession::Get(const std::string& remote, const std::string& local) {
    Busy busy(*this);
    ChooseType(remote);
    return ftp_get(handle_, remote.c_str(), local.c_str());
}

int CSession::Put(const std::string& local, const std::string& remote) {
    Busy busy(*this);
    ChooseType(local);
    return ftp_put(handle_, local.c_str(), remote.c_str());
}

int CSession::Append(const std::string& local, const std::string& remote) {
    Busy busy(*this);
    ChooseType(local);
    return ftp_append(handle_, local.c_str(), remote.c_str());
}

int CSession::RestartGet(const std::string& remote, const std::string& local, long long offset) {
    Busy busy(*this);
    ChooseType(remote);
    if (offset >= 0) return ftp_RestartGetAt(handle_, remote.c_str(), local.c_str(), offset);
    return ftp_RestartGet(handle_, remote.c_str(), local.c_str());
}

int CSession::RestartPut(const std::string& local, const std::string& remote, long long offset) {
    Busy busy(*this);
    ChooseType(local);
    if (offset >= 0) return ftp_RestartPutAt(handle_, local.c_str(), remote.c_str(), offset);
    return ftp_RestartPut(handle_, local.c_str(), remote.c_str());
}
