// SPDX-License-Identifier: MIT
// The four exports: each builds an interpreter on its own stack frame, runs, and destroys it
// before returning. No exception leaves them.
#include <algorithm>
#include <string>

#include "clock.h"
#include "interpreter.h"
#include "quarv32.h"
#include "quarv32_session.h"
#include "varnix32.h"

namespace {

template <class Run>
int Guarded(Run run) noexcept {
    try {
        return run();
    } catch (...) {
        return kCannotStart;
    }
}

// The failure of the calling thread's last script run.
thread_local CInterpreter::Failure lastFailure;

void CopyText(const std::string& text, char* buffer, std::size_t size) {
    const std::size_t n = std::min(text.size(), size - 1);
    text.copy(buffer, n);
    buffer[n] = '\0';
}

// Runs the script and keeps its failure for Quarv_LastFailure.
int RunAndKeepFailure(CInterpreter& interpreter, const char* script) {
    lastFailure = CInterpreter::Failure{};
    const int result = interpreter.RunScript(script);
    lastFailure = interpreter.LastFailure();
    return result;
}

}  // namespace

extern "C" {

QUARV_API int QUARV_CALL Quarv_LastFailure(QuarvFailure* failure) {
    if (failure == nullptr) return lastFailure.result;
    failure->line = lastFailure.line;
    failure->result = lastFailure.result;
    CopyText(lastFailure.statement, failure->statement, sizeof failure->statement);
    CopyText(lastFailure.reason, failure->reason, sizeof failure->reason);
    return lastFailure.result;
}

QUARV_API int Quarv_Execute(const char* script) {
    return Guarded([&] {
        CInterpreter interpreter;
        return RunAndKeepFailure(interpreter, script);
    });
}

QUARV_API int Quarv_Execute2(const char* script, uintptr_t user, OutputProc client,
                             OutputProc server) {
    return Guarded([&] {
        CInterpreter interpreter;
        interpreter.SetUserValue(user);
        interpreter.SetOutputProcs(client, server);
        return RunAndKeepFailure(interpreter, script);
    });
}

QUARV_API int QUARV_CALL Quarv_Execute3(const char* script, uintptr_t user, OutputProc client,
                                        OutputProc server, const QuarvHost* host) {
    return Guarded([&] {
        CInterpreter interpreter;
        interpreter.SetUserValue(user);
        interpreter.SetOutputProcs(client, server);
        interpreter.SetHost(host);
        if (host != nullptr && host->echo != 0) interpreter.SetEchoFlag(true);
        return RunAndKeepFailure(interpreter, script);
    });
}

QUARV_API int Quarv_ExecLine(int h, const char* statement, uintptr_t user, OutputProc client,
                             OutputProc server, int echo) {
    return Guarded([&] {
        CInterpreter interpreter;
        interpreter.SetUserValue(user);
        interpreter.SetOutputProcs(client, server);
        if (h <= 0 || ftp_isconnected(h) == 0) return static_cast<int>(kCannotStart);
        // The session " " wraps the caller's connection and leaves it open when it goes.
        interpreter.SetCurrentSession(" ");
        interpreter.CurrentSession()->SetHandle(h);
        interpreter.SetEchoFlag(echo != 0);
        return interpreter.RunStatement(statement != nullptr ? statement : "");
    });
}

QUARV_API int Quarv_ExecLine2(CSession* session, const char* statement, uintptr_t,
                              OutputProc client, OutputProc server, int echo) {
    return Guarded([&] {
        CInterpreter interpreter;
        if (session == nullptr) return static_cast<int>(kCannotStart);
        interpreter.SetUserValue(static_cast<uintptr_t>(session->GetHandle()));
        interpreter.SetOutputProcs(client, server);
        interpreter.UseCallerSession(session);
        interpreter.SetEchoFlag(echo != 0);
        return interpreter.RunStatement(statement != nullptr ? statement : "");
    });
}

QUARV_API void Quarv_Stop(void) {
    try {
        quarv::RequestStop();
    } catch (...) {
        // A stop hook that throws stops nothing more; the request itself stands.
    }
}

}  // extern "C"
