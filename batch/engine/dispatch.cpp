// SPDX-License-Identifier: MIT
// Statement dispatch: control statements, commands and the operands of conditions.
#include <algorithm>
#include <iterator>

#include "interpreter.h"
#include "quarv32_session.h"
#include "trace_log.h"
#include "varnix32.h"

CInterpreter::ControlHandler CInterpreter::FindControl(int code) {
    struct Entry {
        int code;
        ControlHandler handler;
    };
    // Control statements need no logged-in session.
    static constexpr Entry kControls[] = {
        {TK_ON, &CInterpreter::ExecOn},          {TK_DEBUG, &CInterpreter::SetDebug},
        {TK_IGNORE, &CInterpreter::SetIgnore},   {TK_ECHO, &CInterpreter::SetEcho},
        {TK_LOGFILE, &CInterpreter::SetLogFile}, {TK_IF, &CInterpreter::ExecIfLine},
        {TK_ELSE, &CInterpreter::ExecElse},      {TK_ENDIF, &CInterpreter::ExecEndif},
        {TK_TEST, &CInterpreter::Test},
    };
    auto it = std::find_if(std::begin(kControls), std::end(kControls),
                           [code](const Entry& e) { return e.code == code; });
    return it != std::end(kControls) ? it->handler : nullptr;
}

CInterpreter::CommandHandler CInterpreter::FindCommand(int code) {
    struct Entry {
        int code;
        CommandHandler handler;
    };
    // Every command, by its first token. All need a logged-in session but login.
    static constexpr Entry kCommands[] = {
        {TK_DOLLAR, &CInterpreter::ExecFunction},
        {TK_LOGIN, &CInterpreter::ExecLogin},
        {TK_GET, &CInterpreter::ExecGet},
        {TK_PUT, &CInterpreter::ExecPut},
        {TK_CD, &CInterpreter::ExecCd},
        {TK_CDUP, &CInterpreter::ExecCdup},
        {TK_DIR, &CInterpreter::ExecDir},
        {TK_LS, &CInterpreter::ExecDir},
        {TK_ASCII, &CInterpreter::ExecAscii},
        {TK_BINARY, &CInterpreter::ExecBinary},
        {TK_APPEND, &CInterpreter::ExecAppend},
        {TK_SITE, &CInterpreter::ExecSite},
        {TK_QUOTE, &CInterpreter::ExecQuote},
        {TK_RESTART, &CInterpreter::ExecRestart},
        {TK_GATELOGIN, &CInterpreter::ExecGateLogin},
        {TK_MPUT, &CInterpreter::ExecMPut},
        {TK_MGET, &CInterpreter::ExecMGet},
        {TK_LCD, &CInterpreter::ExecLcd},
        {TK_PASSIVE, &CInterpreter::ExecPassive},
        {TK_ACTIVE, &CInterpreter::ExecActive},
        {TK_STATUSBOX, &CInterpreter::ExecStatusBox},
        {TK_QUIT, &CInterpreter::ExecQuit},
        {TK_REMOTE, &CInterpreter::ExecRemote},
        {TK_RMDIR, &CInterpreter::ExecRmDir},
        {TK_DELETE, &CInterpreter::ExecDelete},
        {TK_MKDIR, &CInterpreter::ExecMkDir},
        {TK_RENAME, &CInterpreter::ExecRename},
        {TK_LOCAL, &CInterpreter::ExecLocalUnique},
        {TK_STORE, &CInterpreter::ExecStoreUnique},
        {TK_EXISTS, &CInterpreter::ExecExists},
        {TK_LOCALPATH, &CInterpreter::ExecLocalPath},
        {TK_FILESIZE, &CInterpreter::ExecFilesize},
        {TK_DEFAULTTIMEOUT, &CInterpreter::ExecDefaultTimeout},
        {TK_RECEIVETIMEOUT, &CInterpreter::ExecReceiveTimeout},
        {TK_FILEDATE, &CInterpreter::ExecFileDate},
        {TK_FILEDATETIME, &CInterpreter::ExecFiledatetime},
        {TK_PWD, &CInterpreter::ExecPwd},
    };
    auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
                           [code](const Entry& e) { return e.code == code; });
    return it != std::end(kCommands) ? it->handler : nullptr;
}

int CInterpreter::ExecuteLine() {
    CTraceLog::Gather gather;
    CValue value;
    CTraceLog::Instance().Trace("ExecuteLine: Begin");
    reason_.clear();
    failureText_.clear();
    shownReply_.clear();
    tokenizer_.GetNextToken();
    int result = 0;
    if (!ControlStmt(result)) result = ExecuteCmd(value);
    // else and endif end the parts of a block; outside one the script loop notes them.
    if (result != kStrayElse && result != kStrayEndif) NoteFailure(result);
    return result;
}

// The innermost failing statement is noted first: a block that it ends fails after it.
void CInterpreter::NoteFailure(int result) {
    if (result == 0 || failure_.result != 0) return;
    failure_ = Failure{static_cast<int>(scriptFile_.LineNumber()), MaskSecrets(currentLine_), reason_, result};
}

int CInterpreter::ControlStmt(int& result) {
    CTraceLog::Instance().Trace("ControlStmt: Begin");
    result = 0;
    const ControlHandler handler = FindControl(tokenizer_.Code());
    if (handler == nullptr) return 0;
    result = (this->*handler)();
    return 1;
}

int CInterpreter::ExecuteCmd(CValue& value) {
    CTraceLog& log = CTraceLog::Instance();
    log.Trace("ExecuteCmd: Begin");
    if (tokenizer_.Code() == TK_SESSION) {
        SetCurrentSession(tokenizer_.Text());
        tokenizer_.GetNextToken();
    }
    commandHandle_ = 0;
    if (tokenizer_.Code() != TK_LOGIN) {
        const int handle = current_ != nullptr ? current_->GetHandle() : 0;
        commandHandle_ = handle;
        if (handle <= 0) {
            reason_ = "Session not login yet, check your syntax.";
            if (current_ != nullptr && current_->WasLost()) {
                const std::string why = current_->TakeFailure();
                reason_ = quarv::Cat("The connection to ", current_->GetLogin().host,
                                     " was lost and could not be restored",
                                     why.empty() ? "." : ": ", why);
            }
            EchoLine(reason_);
            if (log.Tracing())
                log.Trace("Token = ", MaskSecrets(tokenizer_.Text()), ", ftphandle = ", handle);
            value.SetInt(kNotLoggedIn, kNotLoggedIn);
            return kNotLoggedIn;
        }
    }
    const CommandHandler handler = FindCommand(tokenizer_.Code());
    if (handler == nullptr) return UnknownCommand(value);
    return (this->*handler)(value);
}

int CInterpreter::UnknownCommand(CValue& value) {
    SyntaxError(value, "ExecuteCmd", "FTP", "<FTP Command>", tokenizer_.Text());
    ReportResult("ExecuteCmd", "Unknown token", tokenizer_.Code());
    return kUnknownCommand;
}

int CInterpreter::ExecuteCmdExt(CValue& value) {
    CTraceLog::Instance().Trace("ExecuteCmdExt: Begin");
    switch (tokenizer_.Code()) {
        case TK_EQ:
        case TK_NE:
        case TK_LT:
        case TK_LE:
        case TK_GT:
        case TK_GE:
            return ExecCompare(value);
        case TK_NOT:
            return ExecNot(value);
        case TK_LPAREN:
            return ExecParenthesis(value);
        case TK_NUMBER:
            value.SetInt(0, tokenizer_.Number());
            return 0;
        case TK_STRING:
            value.SetString(0, tokenizer_.Text());
            return 0;
        default:
            return ExecuteCmd(value);
    }
}

int CInterpreter::SyntaxError(std::string_view, std::string_view item, std::string_view expected,
                              std::string_view found) {
    // The found text may be a whole login line taken as one word.
    reason_ = quarv::Cat(item, ": syntax error. Expecting \"", expected, "\", found \"",
                         MaskSecrets(found), "\".");
    EchoLine(reason_);
    return kSyntaxError;
}

int CInterpreter::SyntaxError(CValue& value, std::string_view operation, std::string_view item,
                              std::string_view expected, std::string_view found) {
    SyntaxError(operation, item, expected, found);
    value.SetInt(kSyntaxError, kSyntaxError);
    return kSyntaxError;
}

int CInterpreter::TooDeeplyNested(CValue* value) {
    const std::string levels = quarv::Cat("<at most ", kDeepestNesting, " levels>");
    if (value == nullptr) return SyntaxError("Nesting", "Nesting", levels, tokenizer_.Text());
    return SyntaxError(*value, "Nesting", "Nesting", levels, tokenizer_.Text());
}

// if condition: its block is the script lines below it, which a single statement lacks.
int CInterpreter::ExecIfLine() {
    if (!fileOpen_) return SyntaxError("ExecIf", "If ...", "EndIf", "<single statement>");
    return ExecIf();
}

// test quit [#session]: drops a connection behind the session's back, for trying reconnects.
// The handle stays, so that the session can log in again on it.
int CInterpreter::Test() {
    CTraceLog& log = CTraceLog::Instance();
    log.Trace("Test: Begin");
    if (tokenizer_.GetNextToken() == TK_QUIT) {
        int handle = 0;
        if (tokenizer_.GetNextToken() == TK_SESSION)
            handle = FindFtpHandle(tokenizer_.Text());
        else if (current_ != nullptr)
            handle = current_->GetHandle();
        if (handle > 0) ftp_Logout(handle);
    }
    log.Trace("Test: End.");
    return 0;
}
