// SPDX-License-Identifier: MIT
// The interpreter's table of named sessions and its current session.
#include "interpreter.h"
#include "quarv32_session.h"
#include "trace_log.h"

int CInterpreter::SetCurrentSession(std::string_view name) {
    CTraceLog& log = CTraceLog::Instance();
    log.Trace("SetCurrentSession: Setting current session to ", name, ".");
    for (auto& session : sessions_) {
        if (session->GetName() == name) {
            current_ = session.get();
            log.Trace("SetCurrentSession: ", name, " session found.");
            return 0;
        }
    }
    auto session = std::make_unique<CSession>();
    session->SetName(std::string(name));
    current_ = session.get();
    sessions_.push_back(std::move(session));
    log.Trace("SetCurrentSession: ", name, " is a new session.");
    // A session gets the failure policy in force when it is created.
    current_->SetOnFailed(retryCount_, retrySleep_);
    return 0;
}

int CInterpreter::FindFtpHandle(std::string_view name) {
    CTraceLog& log = CTraceLog::Instance();
    log.Trace("FindFtpHandle: Begin");
    int handle = -1;
    for (auto it = sessions_.begin(); it != sessions_.end() && handle <= 0; ++it) {
        if ((*it)->GetName() == name) handle = (*it)->GetHandle();
    }
    log.Trace("FindFtpHandle: End. hndl = ", handle);
    return handle;
}

// #from #to of a remote transfer: 0; -99 when a session is unknown or not logged in; -999
// after a syntax error. Each lookup runs that session's idle check.
int CInterpreter::GetRemoteSessions(int& first, int& second) {
    CTraceLog::Instance().Trace("GetRemoteSessions: Begin");
    for (int* handle : {&first, &second}) {
        if (tokenizer_.GetNextToken() != TK_SESSION)
            return SyntaxError("GetRemoteSessions", "Remote ...", "<session>", tokenizer_.Text());
        *handle = FindFtpHandle(tokenizer_.Text());
    }
    return first <= 0 || second <= 0 ? kNotLoggedIn : 0;
}
