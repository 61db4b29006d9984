// Transfer commands: get, put, append, the restart prefix, and remote put and remote append
// between two logged-in sessions.
#include "interpreter.h"
#include "quarv32_session.h"
#include "trace_log.h"
#include "transfer_arguments.h"
#include "varnix32.h"

// first [second] [@ offset]: 0, or a syntax error (-999). Tokens after them are not read.
int CInterpreter::ReadTransferArguments(const TransferForm& form, TransferArguments& arguments) {
    if (!NextName(arguments.first)) return CommandSyntaxError(form.command);
    if (NextName(arguments.second)) tokenizer_.GetNextToken();
    if (tokenizer_.Code() == TK_AT) {
        if (tokenizer_.GetNextToken() != TK_NUMBER)
            return SyntaxError(form.command.handler, "... @", form.offsetExpected,
                               tokenizer_.Text());
        arguments.offset = tokenizer_.Number();
    } else if (form.resumeNeedsOffset && resumeInProgress_) {
        return SyntaxError(form.command.handler, "... Append ...", "@", tokenizer_.Text());
    }
    return 0;
}

// A get or put: an offset, the restart prefix, or a retry under on failed restart resumes.
int CInterpreter::ExecResumable(const TransferForm& form, CValue& value,
                                int (CSession::*whole)(const std::string&, const std::string&),
                                int (CSession::*resume)(const std::string&, const std::string&,
                                                        long long)) {
    BeginCommand(form.command);
    TransferArguments arguments;
    int result = ReadTransferArguments(form, arguments);
    if (result == 0) {
        result = Retried(1, [&](int attempt) {
            if (arguments.offset > 0 || resumeInProgress_ || (attempt > 0 && restartOnRetry_))
                return (current_->*resume)(arguments.first, arguments.second,
                                           arguments.offset > 0 ? arguments.offset : -1);
            return (current_->*whole)(arguments.first, arguments.second);
        });
    }
    return FinishCommand(form.command, value, result);
}

// get remote [local] [@ offset]
int CInterpreter::ExecGet(CValue& value) {
    static constexpr TransferForm kForm{{"ExecGet", "Get", "<filename>", "Get"}, "integer", false};
    return ExecResumable(kForm, value, &CSession::Get, &CSession::RestartGet);
}

// put local [remote] [@ offset]
int CInterpreter::ExecPut(CValue& value) {
    static constexpr TransferForm kForm{{"ExecPut", "Put", "<filename>", "Put"}, "integer", false};
    return ExecResumable(kForm, value, &CSession::Put, &CSession::RestartPut);
}

// append local [remote] [@ offset]: a retried append starts from the start again.
int CInterpreter::ExecAppend(CValue& value) {
    static constexpr TransferForm kForm{
        {"ExecAppend", "Append", "<filename>", "Append"}, "integer", true};
    BeginCommand(kForm.command);
    TransferArguments arguments;
    int result = ReadTransferArguments(kForm, arguments);
    if (result == 0) {
        result = Retried(1, [&](int) {
            if (arguments.offset > 0)
                return ftp_RestartAppendAt(current_->GetHandle(), arguments.first.c_str(),
                                           arguments.second.c_str(), arguments.offset);
            return current_->Append(arguments.first, arguments.second);
        });
    }
    return FinishCommand(kForm.command, value, result);
}

// restart get|put|append|remote ...: the command resumes from its first attempt on.
int CInterpreter::ExecRestart(CValue& value) {
    CTraceLog::Instance().Trace("ExecRestart: Begin");
    EchoLine("--> Restart");
    value.Clear();
    resumeInProgress_ = 1;
    int result = 0;
    switch (tokenizer_.GetNextToken()) {
        case TK_GET:
            result = ExecGet(value);
            break;
        case TK_PUT:
            result = ExecPut(value);
            break;
        case TK_APPEND:
            result = ExecAppend(value);
            break;
        case TK_REMOTE:
            result = ExecRemote(value);
            break;
        default:
            result = SyntaxError(value, "ExecRestart", "Restart", "[Append | Get | Put | Remote]",
                                 tokenizer_.Text());
    }
    resumeInProgress_ = 0;
    return result;
}

// remote put|append #from #to ...
int CInterpreter::ExecRemote(CValue& value) {
    CTraceLog::Instance().Trace("ExecRemote: Begin");
    EchoLine("--> Remote");
    value.Clear();
    switch (tokenizer_.GetNextToken()) {
        case TK_PUT:
            return ExecRemotePut(value);
        case TK_APPEND:
            return ExecRemoteAppend(value);
        default:
            return SyntaxError(value, "ExecRemote", "Remote", "[Put | Append]", tokenizer_.Text());
    }
}

// The two sessions are looked up once; a retry checks the current session's connection,
// not theirs. A missing or unusable session is -99, also after its syntax error.
int CInterpreter::ExecRemoteTransfer(
    const TransferForm& form, CValue& value,
    const std::function<int(int from, int to, const TransferArguments&, int attempt)>& transfer) {
    BeginCommand(form.command);
    int result = kNotLoggedIn;
    int from = 0;
    int to = 0;
    if (GetRemoteSessions(from, to) == 0) {
        TransferArguments arguments;
        result = ReadTransferArguments(form, arguments);
        if (result == 0)
            result =
                Retried(1, [&](int attempt) { return transfer(from, to, arguments, attempt); });
    }
    return FinishCommand(form.command, value, result);
}

// remote put #from #to file [file2] [@ offset]
int CInterpreter::ExecRemotePut(CValue& value) {
    static constexpr TransferForm kForm{
        {"ExecRemotePut", "Put", "<filename>", "RemotePut"}, "integer", false};
    return ExecRemoteTransfer(
        kForm, value, [this](int from, int to, const TransferArguments& file, int attempt) {
            if (file.offset > 0)
                return ftp_RestartRemotePutAt(from, to, file.first.c_str(), file.second.c_str(),
                                              file.offset, 1);
            const int resume = resumeInProgress_ || (attempt > 0 && restartOnRetry_) ? 1 : 0;
            return ftp_RemotePut(from, to, file.first.c_str(), file.second.c_str(), 1, resume);
        });
}

// remote append #from #to file [file2] [@ offset]
int CInterpreter::ExecRemoteAppend(CValue& value) {
    static constexpr TransferForm kForm{
        {"ExecRemoteAppend", "Append", "<filename>", "RemoteAppend"}, "<integer>", true};
    return ExecRemoteTransfer(
        kForm, value, [](int from, int to, const TransferArguments& file, int) {
            if (file.offset > 0)
                return ftp_RestartRemoteAppendAt(from, to, file.first.c_str(), file.second.c_str(),
                                                 file.offset, 1);
            return ftp_RemoteAppend(from, to, file.first.c_str(), file.second.c_str(), 1);
        });
}
