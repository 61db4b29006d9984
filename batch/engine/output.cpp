// SPDX-License-Identifier: MIT
// Echo, result reports and the statements that steer output: echo, debug, ignore, logfile.
#include <cstring>
#include <utility>

#include "library_text.h"

#include "interpreter.h"
#include "quarv32_session.h"
#include "trace_log.h"
#include "varnix32.h"

void CInterpreter::EchoLine(std::string_view text) {
    lastShown_.assign(text);
    if (echo_) {
        const std::string line = quarv::Cat("C> ", text, "\r\n");
        clientOutput_(userValue_, line.c_str());
    }
    CTraceLog::Instance().WriteLine("C> ", text);
}

// A statement line: passwords and accounts of a login are never shown.
void CInterpreter::EchoStatement(std::string_view line) {
    if (!echo_ && !CTraceLog::Instance().Enabled()) return;
    EchoLine(MaskSecrets(line));
}

void CInterpreter::ServerLine(std::string_view reply) {
    std::string line;
    if (!reply.empty()) line = quarv::Cat("S> ", reply, quarv::EndsWithCrLf(reply) ? "" : "\r\n");
    serverOutput_(userValue_, line.c_str());
}

std::string CInterpreter::LastErrorText() {
    return quarv::LibraryLastError();
}

// Why the statement under way failed: a failure the engine found itself, the session's
// refusal read before it quit, the library's own text for the failing call (a local or
// connection failure, or the server's refusal), and only then the last reply.
std::string CInterpreter::FailureReason() {
    if (!failureText_.empty()) return std::exchange(failureText_, std::string());
    std::string reason = current_ != nullptr ? current_->TakeFailure() : std::string();
    if (reason.empty()) reason = LastErrorText();
    if (reason.empty() && current_ != nullptr) reason = current_->GetLastReply();
    return reason;
}

// Shows the server's answer after a command; the operation and item name nothing visible.
// A failure shows why it failed; a syntax error has already said why, and shows the last
// reply as a success does.
void CInterpreter::ReportResult(std::string_view, std::string_view, int code) {
    std::string reply;
    const bool hostListens = host_ != nullptr && host_->statement != nullptr;
    if (code != 0 && code != kNotLoggedIn && reason_.empty()) {
        reply = FailureReason();
        reason_ = reply;
    } else if (code != kNotLoggedIn && (echo_ || logCopy_ || hostListens)) {
        reply = std::exchange(shownReply_, std::string());
        if (reply.empty() && current_ != nullptr) reply = current_->GetLastReply();
        if (reply.empty()) reply = LastErrorText();
    }
    if (!reply.empty()) lastShown_ = reply;
    if (echo_ && code != kNotLoggedIn) ServerLine(reply);
    if (logCopy_) CTraceLog::Instance().WriteLine("S> ", reply);
}

// Reads "on" or "off" into flag; anything else is a syntax error and leaves flag alone.
int CInterpreter::ReadSwitch(const char* operation, const char* item, int& flag) {
    const int code = tokenizer_.GetNextToken();
    if (code != TK_ON && code != TK_OFF)
        return SyntaxError(operation, item, "[on | off]", tokenizer_.Text());
    flag = code == TK_ON ? 1 : 0;
    return 0;
}

// echo on | off
int CInterpreter::SetEcho() {
    CTraceLog::Instance().Trace("SetEcho: Begin");
    return ReadSwitch("SetEcho", "Echo", echo_);
}

// debug on | off: the trace level of the whole process.
int CInterpreter::SetDebug() {
    CTraceLog& log = CTraceLog::Instance();
    log.Trace("SetDebug: Begin");
    int level = log.Level();
    const int result = ReadSwitch("SetDebug", "Debug", level);
    if (result == 0) log.SetLevel(level);
    return result;
}

// ignore on | off
int CInterpreter::SetIgnore() {
    CTraceLog::Instance().Trace("SetIgnore: Begin");
    return ReadSwitch("SetIgnore", "Ignore", ignore_);
}

// The log file could not be written: the statement fails and says why.
int CInterpreter::LogFileUnwritable(const std::string& name) {
    logCopy_ = 0;
    reason_ = quarv::Cat("Cannot write the log file ", name, ": ",
                         std::strerror(CTraceLog::Instance().WriteError()));
    EchoLine(reason_);
    return VARNIX_ELOCAL;
}

// logfile [name [clear]]
int CInterpreter::SetLogFile() {
    CTraceLog& log = CTraceLog::Instance();
    log.Trace("SetLogFile: Begin");
    int result = 0;
    const int code = tokenizer_.GetNextToken();
    if (code >= TK_STRING) {
        const std::string name = tokenizer_.Text();
        log.Open(name);
        logCopy_ = 1;
        const int option = tokenizer_.GetNextToken();
        if (option == TK_CLEAR) {
            log.Flush();  // what went to the old file goes with it
            const int deleted = f_deletefile(name.c_str());
            log.Open(name);
            log.Trace("SetLogFile: Delete file \"", name, "\", rc = ", deleted);
        } else if (option != TK_EOL) {
            // The log stays in use; the statement still succeeds.
            SyntaxError("SetLogFile", "Unknown option", "[clear | <null>]", tokenizer_.Text());
        }
        // A job that asked for a log must not run on without one: the begin line is
        // written now, so that a file that cannot be written shows at once.
        log.Flush();
        if (!log.Enabled()) result = LogFileUnwritable(name);
    } else if (code == TK_EOL) {
        logCopy_ = 0;
        log.Close();
    } else {
        result = SyntaxError("SetLogFile", "Logfile", "<string>", tokenizer_.Text());
    }
    ReportResult("SetLogFile", tokenizer_.Text(), result);
    return result;
}
