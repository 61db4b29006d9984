// SPDX-License-Identifier: MIT
// The failure policy: how often a failing operation is retried, how long to wait before each
// retry, whether transfers resume, and whether a statement that still fails stops the script.
#include "interpreter.h"
#include "quarv32_session.h"
#include "trace_log.h"

// on failed retry|restart n|forever [sleep s]
// on failed off
// on error continue|stop
int CInterpreter::ExecOn() {
    CTraceLog::Instance().Trace("ExecOn: Begin");
    int result = 0;
    switch (tokenizer_.GetNextToken()) {
        case TK_FAILED:
            result = OnFailed();
            break;
        case TK_ERROR:
            switch (tokenizer_.GetNextToken()) {
                case TK_CONTINUE:
                    ignore_ = 1;
                    break;
                case TK_STOP:
                    ignore_ = 0;
                    break;
                default:
                    result =
                        SyntaxError("ExecOn", "... Error", "[continue | stop]", tokenizer_.Text());
            }
            break;
        default:
            result = SyntaxError("ExecOn", "On", "[failed | error]", tokenizer_.Text());
    }
    ReportResult("ExecOn", "cc", result);
    return result;
}

// The rest of "on failed". Every form replaces the whole policy, and a malformed one leaves
// no retries; the sessions get the new policy either way.
int CInterpreter::OnFailed() {
    retryCount_ = -1;
    retrySleep_ = 0;
    restartOnRetry_ = 0;
    int result = 0;
    const int mode = tokenizer_.GetNextToken();
    if (mode == TK_RETRY || mode == TK_RESTART) {
        if (mode == TK_RESTART) restartOnRetry_ = 1;
        const int count = tokenizer_.GetNextToken();
        if (count == TK_FOREVER || count == TK_NUMBER) {
            retryCount_ = count == TK_FOREVER ? 0 : tokenizer_.Number();
            retrySleep_ = SetSleep();
        } else {
            result = SyntaxError("ExecOn", "... Retry", "<integer>", tokenizer_.Text());
        }
    } else if (mode != TK_OFF) {
        result = SyntaxError("ExecOn", "... Failed", "[retry | restart | off]", tokenizer_.Text());
    }
    SetRetryInfo();
    return result;
}

// [sleep s]: the seconds, 0 when the clause is missing or malformed (which is no error).
int CInterpreter::SetSleep() {
    CTraceLog::Instance().Trace("GetSleep: Begin");
    int seconds = 0;
    if (tokenizer_.GetNextToken() == TK_SLEEP && tokenizer_.GetNextToken() == TK_NUMBER)
        seconds = tokenizer_.Number();
    // The seconds are no failure: the report shows the last reply as for a success.
    ReportResult("SetSleep", "Sleep seconds", 0);
    return seconds;
}

// Every session of the run keeps a copy of the policy; a caller's own session does not.
int CInterpreter::SetRetryInfo() {
    CTraceLog::Instance().Trace("SetRetryInfo: Begin");
    for (auto& session : sessions_)
        session->SetOnFailed(retryCount_, retrySleep_);
    return 0;
}
