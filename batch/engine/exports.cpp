// The four exports: each builds an interpreter on its own stack frame, runs, and destroys it
// before returning. No exception leaves them.
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

}  // namespace

extern "C" {

QUARV_API int Quarv_Execute(const char* script) {
    return Guarded([&] {
        CInterpreter interpreter;
        return interpreter.RunScript(script);
    });
}

QUARV_API int Quarv_Execute2(const char* script, uintptr_t user, OutputProc client,
                             OutputProc server) {
    return Guarded([&] {
        CInterpreter interpreter;
        interpreter.SetUserValue(user);
        interpreter.SetOutputProcs(client, server);
        return interpreter.RunScript(script);
    });
}

QUARV_API int Quarv_Execute3(const char* script, uintptr_t user, OutputProc client,
                             OutputProc server, const QuarvHost* host) {
    return Guarded([&] {
        CInterpreter interpreter;
        interpreter.SetUserValue(user);
        interpreter.SetOutputProcs(client, server);
        interpreter.SetHost(host);
        if (host != nullptr && host->echo != 0) interpreter.SetEchoFlag(true);
        return interpreter.RunScript(script);
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
