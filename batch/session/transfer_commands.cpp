// SPDX-License-Identifier: MIT
// Transfer commands: get, put, append, the restart prefix, and remote put and remote append
// between two logged-in sessions.
#include "interpreter.h"
#include "quarv32_session.h"
#include "trace_log.h"
#include "transfer_arguments.h"
#include "varnix32.h"
#include "written_target.h"

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

// A get or put. An offset or the restart prefix resumes every attempt: the script asks for
// it. Under on failed restart a retry resumes only what an earlier attempt of this statement
// wrote into its target; while no attempt has opened the target, each one is a whole
// transfer. Once one has, every later attempt writes that one file (the name local or store
// unique mode chose once), from its start under on failed retry.
int CInterpreter::ExecResumable(const TransferForm& form, CValue& value, bool intoLocal,
                                int (CSession::*whole)(const std::string&, const std::string&),
                                int (CSession::*resume)(const std::string&, const std::string&,
                                                        long long)) {
    BeginCommand(form.command);
    TransferArguments arguments;
    int result = ReadTransferArguments(form, arguments);
    if (result == 0) {
        WrittenTarget target;
        const bool asked = arguments.offset > 0 || resumeInProgress_;
        result = Retried(1, [&](int attempt) {
            // Through a local: GCC 12's vptr check misreads the member inside this lambda.
            CSession* const session = current_;
            int cc = 0;
            bool resumed = asked;
            if (asked) {
                cc = (session->*resume)(arguments.first, arguments.second,
                                        arguments.offset > 0 ? arguments.offset : -1);
            } else if (attempt == 0 || !target.Begun()) {
                cc = (session->*whole)(arguments.first, arguments.second);
            } else {
                resumed = restartOnRetry_ != 0;
                cc = (session->*resume)(arguments.first,
                                        intoLocal ? target.Local() : target.Remote(),
                                        resumed ? -1 : 0);
            }
            // Only a retry needs to know what this attempt wrote.
            if (cc != 0 && retryCount_ >= 0) target.Note(commandHandle_);
            if (cc != 0) return cc;
            return resumed ? CompareResumedSizes() : 0;
        });
    }
    return FinishCommand(form.command, value, result);
}

// After a resumed binary transfer the two files must be equally long; a transfer that
// resumed at the wrong place fails instead of passing for a good one.
int CInterpreter::CompareResumedSizes() {
    if (current_->GetTransferType() != 1) return 0;
    const int h = commandHandle_;
    const varnix_transfer_info info = WrittenTarget::LastTransfer(h);
    if (info.local[0] == '\0' || info.remote[0] == '\0') return 0;
    const long long local = LocalFileSize(info.local);
    if (local < 0) return 0;
    shownReply_ = current_->GetLastReply();
    const long long remote = RemoteFileSize(h, info.remote);
    if (remote < 0 || remote == local) return 0;
    return SizeMismatch(info.local, local, info.remote, remote);
}

int CInterpreter::SizeMismatch(std::string_view local, long long localSize, std::string_view remote,
                               long long remoteSize) {
    shownReply_.clear();
    failureText_ = quarv::Cat("After the resumed transfer the local file ", local, " holds ",
                              localSize, " bytes and the remote file ", remote, " ", remoteSize,
                              " bytes: the transfer failed.");
    return VARNIX_ENETWORK;
}

// get remote [local] [@ offset]
int CInterpreter::ExecGet(CValue& value) {
    static constexpr TransferForm kForm{{"ExecGet", "Get", "<filename>", "Get"}, "integer", false};
    return ExecResumable(kForm, value, true, &CSession::Get, &CSession::RestartGet);
}

// put local [remote] [@ offset]
int CInterpreter::ExecPut(CValue& value) {
    static constexpr TransferForm kForm{{"ExecPut", "Put", "<filename>", "Put"}, "integer", false};
    return ExecResumable(kForm, value, false, &CSession::Put, &CSession::RestartPut);
}

// append local [remote] [@ offset]: a retry appends only what the server has not received:
// the remote size is measured before the append and again before the retry, and the append
// goes on from the difference. When the server cannot tell, the retry fails rather than
// appending a part twice.
int CInterpreter::ExecAppend(CValue& value) {
    static constexpr TransferForm kForm{
        {"ExecAppend", "Append", "<filename>", "Append"}, "integer", true};
    BeginCommand(kForm.command);
    TransferArguments arguments;
    int result = ReadTransferArguments(kForm, arguments);
    if (result == 0) {
        WrittenTarget target;
        const std::string remote =
            arguments.second.empty() ? LastComponent(arguments.first) : arguments.second;
        long long before = -1;
        result = Retried(1, [&](int) {
            if (arguments.offset > 0)
                return ftp_RestartAppendAt(current_->GetHandle(), arguments.first.c_str(),
                                           arguments.second.c_str(), arguments.offset);
            if (target.Begun()) return ContinueAppend(arguments.first, target, before);
            // Nothing of this statement has reached the server yet.
            if (retryCount_ >= 0) before = SizeBeforeAppend(commandHandle_, remote);
            const int cc = current_->Append(arguments.first, arguments.second);
            if (cc != 0 && retryCount_ >= 0) target.Note(commandHandle_);
            return cc;
        });
    }
    return FinishCommand(kForm.command, value, result);
}

// The remote size before an append: 0 for a file that is not there yet, -1 when unknown.
long long CInterpreter::SizeBeforeAppend(int h, const std::string& remote) {
    constexpr long long kMissing = -550;
    const long long size = RemoteFileSize(h, remote);
    return size >= 0 ? size : size == kMissing ? 0 : -1;
}

// A retry of an append that reached the server: appends the rest of the local file.
int CInterpreter::ContinueAppend(const std::string& local, const WrittenTarget& target,
                                 long long before) {
    const int h = current_->GetHandle();
    const long long size = LocalFileSize(target.Local());
    const long long now = RemoteFileSize(h, target.Remote());
    if (before < 0 || size < 0 || now < before || now - before > size) {
        failureText_ = quarv::Cat("The append of ", local, " to ", target.Remote(),
                                  " was cut, and how much of it arrived cannot be told: it is "
                                  "not appended again, so that no part is appended twice.");
        stopRetrying_ = true;
        return VARNIX_EPROTOCOL;
    }
    const long long arrived = now - before;
    int cc = 0;
    if (arrived < size) {
        cc = ftp_RestartAppendAt(h, local.c_str(), target.Remote().c_str(), arrived);
        if (cc != 0 || current_->GetTransferType() != 1) return cc;
    }
    const long long after = RemoteFileSize(h, target.Remote());
    if (after >= 0 && after != before + size)
        return SizeMismatch(target.Local(), size, target.Remote(), after - before);
    return cc;
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

// remote put #from #to file [file2] [@ offset]: under on failed restart a retry resumes
// only a target that an earlier attempt of this statement began to write.
int CInterpreter::ExecRemotePut(CValue& value) {
    static constexpr TransferForm kForm{
        {"ExecRemotePut", "Put", "<filename>", "RemotePut"}, "integer", false};
    WrittenTarget target;
    return ExecRemoteTransfer(
        kForm, value, [&](int from, int to, const TransferArguments& file, int attempt) {
            if (file.offset > 0)
                return ftp_RestartRemotePutAt(from, to, file.first.c_str(), file.second.c_str(),
                                              file.offset, 1);
            std::string toFile = file.second;
            int resume = resumeInProgress_;
            if (!resumeInProgress_ && attempt > 0 && target.Begun()) {
                // In store unique mode a copy from the start would make another file: the
                // retry continues the one the first attempt began instead.
                const std::string asked =
                    file.second.empty() ? LastComponent(file.first) : file.second;
                toFile = target.Remote();
                resume = restartOnRetry_ || toFile != asked ? 1 : 0;
            }
            int cc = ftp_RemotePut(from, to, file.first.c_str(), toFile.c_str(), 1, resume);
            if (cc != 0 && retryCount_ >= 0) target.Note(to);
            if (cc != 0) return cc;
            if (resume == 0) return 0;
            // Both ends in binary type: the copy is complete when the sizes agree.
            const varnix_transfer_info info = WrittenTarget::LastTransfer(to);
            const long long source = RemoteFileSize(from, file.first);
            const long long copy = info.remote[0] != '\0' ? RemoteFileSize(to, info.remote) : -1;
            if (source >= 0 && copy >= 0 && source != copy)
                return SizeMismatch(file.first, source, info.remote, copy);
            return cc;
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
