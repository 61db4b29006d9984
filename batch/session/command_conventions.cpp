// SPDX-License-Identifier: MIT
// What every command handler does the same way: its begin trace, reading its arguments,
// its syntax error, the retry loop, its value and its result report.
#include "clock.h"
#include "interpreter.h"
#include "quarv32_session.h"
#include "trace_log.h"
#include "varnix32.h"

void CInterpreter::BeginCommand(const CommandForm& form) {
    CTraceLog::Instance().Trace(form.handler, ": Begin");
}

// A name, path or text: a token of code 500 or more (a quoted text, a bare word, or a
// keyword, so that "get get" fetches a file named get). A number, a session prefix, an
// operator or the end of the line is none and stays the current token.
bool CInterpreter::NextName(std::string& name) {
    if (tokenizer_.GetNextToken() < TK_STRING) return false;
    name = tokenizer_.Text();
    return true;
}

int CInterpreter::CommandSyntaxError(const CommandForm& form) {
    return SyntaxError(form.handler, form.item, form.expected, tokenizer_.Text());
}

// The statement's value becomes int result with status result, and the result is reported.
int CInterpreter::FinishCommand(const CommandForm& form, CValue& value, int result) {
    value.SetInt(result, result);
    ReportResult(form.handler, form.label, result);
    return result;
}

// host [user [password [account]]]: each after the one before it was given.
bool CInterpreter::ReadLoginParameters(std::string& host, std::string& user, std::string& password,
                                       std::string& account) {
    if (!NextName(host)) return false;
    if (NextName(user) && NextName(password)) NextName(account);
    return true;
}

// The rest of the line as one text, leading white space removed and quotes kept; false when
// nothing is left (the found text of the syntax error is then empty).
bool CInterpreter::NextRestOfLine(std::string& text) {
    if (tokenizer_.RestOfLine() == TK_EOL) return false;
    text = tokenizer_.Text();
    return true;
}

// With retry count n the operation runs at most n + 1 times; 0 retries without limit.
int CInterpreter::Retried(int reconnect, const std::function<int(int attempt)>& operation) {
    int cc = kNotLoggedIn;
    int attempt = 0;
    stopRetrying_ = false;
    if (CheckRetry(attempt, cc, reconnect)) {
        do {
            failureText_.clear();
            // A stop request aborts the library call under way on the command's connection;
            // the hook is gone before the wait for a retry.
            const quarv::StopHook abortOnStop([handle = commandHandle_] {
                if (handle > 0) ftp_abort(handle);
            });
            cc = operation(attempt);
            ++attempt;
        } while (CheckRetry(attempt, cc, reconnect));
    }
    return cc;
}

// 1: make another attempt (after the policy's sleep, and with reconnect 1 after checking
// the current session's connection); 0: stop with the last result.
int CInterpreter::CheckRetry(int attempt, int cc, int reconnect) {
    CTraceLog& log = CTraceLog::Instance();
    log.Trace("CheckRetry: Begin. cc = ", cc, ", i = ", attempt, ", max = ", retryCount_);
    if (cc == 0) return 0;
    if (stopRetrying_) return 0;
    // After a stop request nothing more is tried, nor waited for.
    if (StopRequested()) return StopRetrying();
    if (attempt == 0) return 1;
    if (retryCount_ < 0) return 0;
    if (retryCount_ > 0) {
        log.Trace("CheckRetry: try # ", attempt, ", max ", retryCount_);
        if (attempt > retryCount_) return 0;
    }
    log.Trace("CheckRetry: sleeping ", retrySleep_);
    if (retrySleep_ > 0) {
        log.WriteLog("Sleeping for ", retrySleep_, " seconds\n");
        log.Flush();
        if (!quarv::Sleep(std::chrono::seconds(retrySleep_), stopMark_)) return StopRetrying();
    }
    log.WriteLog("Retry # ", attempt, "\n");
    if (reconnect == 1 && current_ != nullptr) current_->CheckConnection();
    return 1;
}

int CInterpreter::StopRetrying() {
    CTraceLog::Instance().Trace("CheckRetry: stop requested");
    return 0;
}

// A command of one name argument; one attempt, or the retry loop.
int CInterpreter::ExecOnName(const CommandForm& form, CValue& value, bool retried,
                             const std::function<int(const std::string& name)>& operation) {
    BeginCommand(form);
    std::string name;
    if (!NextName(name)) return FinishCommand(form, value, CommandSyntaxError(form));
    const int result = retried ? Retried(1, [&](int) { return operation(name); }) : operation(name);
    return FinishCommand(form, value, result);
}

// A retried command whose argument is the rest of the line.
int CInterpreter::ExecOnText(const CommandForm& form, CValue& value,
                             const std::function<int(const std::string& text)>& operation) {
    BeginCommand(form);
    std::string text;
    if (!NextRestOfLine(text)) return FinishCommand(form, value, CommandSyntaxError(form));
    return FinishCommand(form, value, Retried(1, [&](int) { return operation(text); }));
}
