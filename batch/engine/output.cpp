// Echo, result reports and the statements that steer output: echo, debug, ignore, logfile.
#include <cstring>

#include "interpreter.h"
#include "quarv32_session.h"
#include "trace_log.h"
#include "varnix32.h"

namespace {
constexpr int kTextBufferSize = 1024;
}

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
    char text[kTextBufferSize] = {};
    ftp_lasterror(text, sizeof text);
    return std::string(text, strnlen(text, sizeof text));
}

// Shows the server's answer after a command; the operation and item name nothing visible.
void CInterpreter::ReportResult(std::string_view, std::string_view, int code) {
    std::string reply;
    const bool hostListens = host_ != nullptr && host_->statement != nullptr;
    if (code != kNotLoggedIn && (echo_ || logCopy_ || hostListens)) {
        if (current_ != nullptr) reply = current_->GetLastReply();
        if (reply.empty()) reply = LastErrorText();
        lastShown_ = reply;
    }
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
            const int deleted = f_deletefile(name.c_str());
            log.Open(name);
            log.Trace("SetLogFile: Delete file \"", name, "\", rc = ", deleted);
        } else if (option != TK_EOL) {
            // The log stays in use; the statement still succeeds.
            SyntaxError("SetLogFile", "Unknown option", "[clear | <null>]", tokenizer_.Text());
        }
    } else if (code == TK_EOL) {
        logCopy_ = 0;
        log.Close();
    } else {
        result = SyntaxError("SetLogFile", "Logfile", "<string>", tokenizer_.Text());
    }
    ReportResult("SetLogFile", tokenizer_.Text(), result);
    return result;
}
