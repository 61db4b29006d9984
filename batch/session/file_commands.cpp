// SPDX-License-Identifier: MIT
// File and directory commands: cd, pwd, lcd, mkdir, rmdir, delete, rename, site, quote,
// mput and mget.
#include <string>
#include <string_view>

#include "interpreter.h"
#include "quarv32_session.h"
#include "trace_log.h"
#include "varnix32.h"

namespace {

constexpr int kReplyBufferSize = 1024;

// The operation of mkdir, rmdir and delete: one library call with the name, traced as
// "ExecMkDir: MkDir name".
auto TracedCall(CSession& session, const char* handler, const char* verb,
                int (*call)(int handle, const char* name)) {
    return [&session, handler, verb, call](const std::string& name) {
        CTraceLog::Instance().Trace(handler, ": ", verb, " ", name);
        return call(session.GetHandle(), name.c_str());
    };
}

// The reply of quote as output lines: every line ends with CR LF, the last one included, so
// that the next output line starts on a line of its own.
std::string WithLineEnds(std::string_view reply) {
    std::string lines;
    while (!reply.empty()) {
        const std::size_t end = reply.find('\n');
        std::string_view line = reply.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.append(line).append("\r\n");
        if (end == std::string_view::npos) break;
        reply.remove_prefix(end + 1);
    }
    return lines;
}

}  // namespace

// cd directory (rest of line: blanks and quotes are sent as written)
int CInterpreter::ExecCd(CValue& value) {
    static constexpr CommandForm kForm{"ExecCd", "Cd", "<string>", "Cd"};
    return ExecOnText(kForm, value,
                      [this](const std::string& directory) { return current_->Cd(directory, 1); });
}

// pwd: the remote directory, read into the session, as a server line.
int CInterpreter::ExecPwd(CValue& value) {
    static constexpr CommandForm kForm{"ExecPwd", "", "", "Pwd"};
    BeginCommand(kForm);
    const int result = Retried(1, [this](int) { return current_->SetPwd(); });
    if (result == 0 && echo_) {
        const std::string line = quarv::Cat("S> ", current_->GetDirectory(), "\r\n");
        serverOutput_(userValue_, line.c_str());
    }
    return FinishCommand(kForm, value, result);
}

// lcd directory: the process's current directory (one token: quote a path with blanks).
int CInterpreter::ExecLcd(CValue& value) {
    static constexpr CommandForm kForm{"ExecLcd", "Lcd", "<string>", "Lcd"};
    return ExecOnName(kForm, value, false,
                      [](const std::string& directory) { return ftp_lcd(directory.c_str()); });
}

// mkdir directory
int CInterpreter::ExecMkDir(CValue& value) {
    static constexpr CommandForm kForm{"ExecMkDir", "Mkdir", "<string>", "mkdir"};
    return ExecOnName(kForm, value, false,
                      TracedCall(*current_, kForm.handler, "MkDir", ftp_mkdir));
}

// rmdir directory
int CInterpreter::ExecRmDir(CValue& value) {
    static constexpr CommandForm kForm{"ExecRmDir", "Rmdir", "<string>", "rmdir"};
    return ExecOnName(kForm, value, false,
                      TracedCall(*current_, kForm.handler, "RmDir", ftp_rmdir));
}

// delete file
int CInterpreter::ExecDelete(CValue& value) {
    static constexpr CommandForm kForm{"ExecDelete", "Delete", "<string>", "delete"};
    return ExecOnName(kForm, value, false,
                      TracedCall(*current_, kForm.handler, "Delete", ftp_delete));
}

// rename old new
int CInterpreter::ExecRename(CValue& value) {
    static constexpr CommandForm kForm{"ExecRename", "Rename", "<string> <string>", "rename"};
    BeginCommand(kForm);
    std::string from, to;
    if (!NextName(from) || !NextName(to))
        return FinishCommand(kForm, value, CommandSyntaxError(kForm));
    CTraceLog::Instance().Trace("ExecRename: Rename ", from, " to ", to);
    return FinishCommand(kForm, value, current_->FtpRename(from, to));
}

// site text (rest of line)
int CInterpreter::ExecSite(CValue& value) {
    static constexpr CommandForm kForm{"ExecSite", "Site", "<string>", "site"};
    return ExecOnText(kForm, value, [this](const std::string& text) {
        return ftp_site(current_->GetHandle(), text.c_str());
    });
}

// quote text (rest of line): a raw command; on success its whole reply is shown as the
// library gave it.
int CInterpreter::ExecQuote(CValue& value) {
    static constexpr CommandForm kForm{"ExecQuote", "Quote", "<string>", "Quote"};
    BeginCommand(kForm);
    std::string text;
    if (!NextRestOfLine(text)) return FinishCommand(kForm, value, CommandSyntaxError(kForm));
    char reply[kReplyBufferSize] = {};
    const int result = Retried(1, [&](int) {
        const int code = ftp_quote(current_->GetHandle(), text.c_str(), reply, sizeof reply);
        // 2 is a positive completion; 1xx and 3xx give 0.
        return code == 2 ? 0 : code;
    });
    reply[sizeof reply - 1] = '\0';
    if (result == 0 && echo_) serverOutput_(userValue_, WithLineEnds(reply).c_str());
    return FinishCommand(kForm, value, result);
}

// mput pattern: every matching local file under its own name.
int CInterpreter::ExecMPut(CValue& value) {
    static constexpr CommandForm kForm{"ExecMPut", "MPut", "<string>", "MPut"};
    return ExecOnName(kForm, value, true, [this](const std::string& pattern) {
        return ftp_mput(current_->GetHandle(), pattern.c_str(), 0);
    });
}

// mget pattern: every matching remote file into the local directory.
int CInterpreter::ExecMGet(CValue& value) {
    static constexpr CommandForm kForm{"ExecMGet", "MGet", "<string>", "Mget"};
    return ExecOnName(kForm, value, true, [this](const std::string& pattern) {
        return ftp_mget(current_->GetHandle(), pattern.c_str());
    });
}
