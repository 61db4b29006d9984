// SPDX-License-Identifier: MIT
// Session settings commands: statusbox, local unique, store unique, localpath,
// defaulttimeout, receivetimeout and quit.
#include "interpreter.h"
#include "quarv32_session.h"
#include "trace_log.h"
#include "varnix32.h"

// statusbox on|off: progress reports of the library (not remembered for a reconnect).
int CInterpreter::ExecStatusBox(CValue& value) {
    static constexpr CommandForm kForm{"ExecStatusBox", "Statusbox", "[on | off]", "StatusBox"};
    BeginCommand(kForm);
    const int code = tokenizer_.GetNextToken();
    if (code != TK_ON && code != TK_OFF)
        return FinishCommand(kForm, value, CommandSyntaxError(kForm));
    return FinishCommand(kForm, value, ftp_statusbox(current_->GetHandle(), code == TK_ON ? 1 : 0));
}

// local unique [on|off]
int CInterpreter::ExecLocalUnique(CValue& value) {
    static constexpr CommandForm kForm{"ExecLocalUnique", "Local", "Unique", "Local Unique"};
    return ExecUniqueMode(kForm, value, &CSession::GetLocalUnique, &CSession::SetLocalUnique,
                          &CSession::ToggleLocalUnique);
}

// store unique [on|off]
int CInterpreter::ExecStoreUnique(CValue& value) {
    static constexpr CommandForm kForm{"ExecStoreUnique", "Store", "Unique", "StoreUnique"};
    return ExecUniqueMode(kForm, value, &CSession::GetStoreUnique, &CSession::SetStoreUnique,
                          &CSession::ToggleStoreUnique);
}

// The library switches a unique mode over at every call: on and off switch only when the
// mode differs, anything else toggles.
int CInterpreter::ExecUniqueMode(const CommandForm& form, CValue& value,
                                 int (CSession::*flag)() const, int (CSession::*setter)(int),
                                 int (CSession::*toggle)()) {
    BeginCommand(form);
    if (tokenizer_.GetNextToken() != TK_UNIQUE)
        return FinishCommand(form, value, CommandSyntaxError(form));
    const int word = tokenizer_.GetNextToken();
    if (word != TK_ON && word != TK_OFF) return FinishCommand(form, value, (current_->*toggle)());
    const int wanted = word == TK_ON ? 1 : 0;
    const int result = wanted == (current_->*flag)() ? 0 : (current_->*setter)(wanted);
    return FinishCommand(form, value, result);
}

// localpath [path]: without a path the local path is forgotten.
int CInterpreter::ExecLocalPath(CValue& value) {
    static constexpr CommandForm kForm{"ExecLocalPath", "", "", "LocalPath"};
    CTraceLog& log = CTraceLog::Instance();
    BeginCommand(kForm);
    std::string path;
    if (!NextName(path)) {
        log.Trace("ExecLocalPath: clear path");
        return FinishCommand(kForm, value, current_->SetLocalPath(std::string()));
    }
    log.Trace("ExecLocalPath: path = ", path);
    return FinishCommand(kForm, value,
                         Retried(1, [&](int) { return current_->SetLocalPath(path); }));
}

// defaulttimeout seconds: for connections opened from now on, library-wide.
int CInterpreter::ExecDefaultTimeout(CValue& value) {
    static constexpr CommandForm kForm{"ExecDefaultTimeout", "DefaultTimeout", "<integer>",
                                       "DefaultTimeout"};
    return ExecTimeout(kForm, value, [](int seconds) { return varnix_setdefaulttimeout(seconds); });
}

// receivetimeout seconds: for the session's connection, remembered for a reconnect.
int CInterpreter::ExecReceiveTimeout(CValue& value) {
    static constexpr CommandForm kForm{"ExecReceiveTimeout", "ReceiveTimeout", "<integer>",
                                       "ReceiveTimeout"};
    return ExecTimeout(kForm, value,
                       [this](int seconds) { return current_->SetReceiveTimeout(seconds); });
}

// A timeout's result is 0 whenever a number is given; the library's answer is the value.
int CInterpreter::ExecTimeout(const CommandForm& form, CValue& value,
                              const std::function<int(int)>& apply) {
    BeginCommand(form);
    int result = 0;
    if (tokenizer_.GetNextToken() != TK_NUMBER) {
        result = CommandSyntaxError(form);
        value.SetInt(result, 0);
    } else {
        const int seconds = tokenizer_.Number();
        CTraceLog::Instance().Trace(form.handler, ": timeout = ", seconds);
        value.SetInt(0, apply(seconds));
    }
    ReportResult(form.handler, form.label, result);
    return result;
}

// quit: the session stays in the table with its settings; only login connects it again.
int CInterpreter::ExecQuit(CValue& value) {
    static constexpr CommandForm kForm{"ExecQuit", "", "", "Quit"};
    BeginCommand(kForm);
    return FinishCommand(kForm, value, current_->Disconnect());
}
