// SPDX-License-Identifier: MIT
// The interpreter of one export call: owns the script file, the tokenizer, the sessions the
// script creates and the per-run settings. Every statement handler is one of its operations.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "clock.h"
#include "quarv32.h"
#include "script_file.h"
#include "tokenizer.h"
#include "value.h"

class CSession;
struct TransferArguments;
struct TransferForm;
class WrittenTarget;

// Result codes of statements besides success (0) and the library's own codes.
enum StatementResult : int {
    kCannotStart = -1,         // an export call that could not start
    kStopped = QUARV_STOPPED,  // the run was asked to stop (Quarv_Stop)
    kUnknownCommand = -98,
    kNotLoggedIn = -99,  // also a handler's result for an operation it could not perform
    kSyntaxError = -999,
    kStrayElse = 711,
    kStrayEndif = 712,
};

// What a command handler reports under: its name (traces, errors), the item and expected
// form of its syntax error, and the label of its result report.
struct CommandForm {
    const char* handler;   // "ExecLogin"
    const char* item;      // "Login"
    const char* expected;  // "<string>"
    const char* label;     // "login"
};

class CInterpreter {
  public:
    CInterpreter();
    // Closes the script and destroys the sessions of the run in creation order.
    virtual ~CInterpreter();
    CInterpreter(const CInterpreter&) = delete;
    CInterpreter& operator=(const CInterpreter&) = delete;

    // Configuration by the exports.
    void SetUserValue(uintptr_t value) { userValue_ = value; }
    // A null procedure keeps the default.
    void SetOutputProcs(OutputProc client, OutputProc server);
    void SetEchoFlag(bool on) { echo_ = on ? 1 : 0; }
    // The caller's own session for the call; it is not added to the session list.
    void UseCallerSession(CSession* session) { current_ = session; }
    // The optional hooks of a host program (Quarv_Execute3); null for none.
    void SetHost(const QuarvHost* host) { host_ = host; }

    // Runs a script file: the first nonzero statement result (0 with ignore on), -1 when the
    // file cannot be opened or read.
    int RunScript(const char* path);
    // Runs one statement taken as it stands (no comment removal); -1 when it is empty.
    int RunStatement(std::string_view statement);

    // The statement that ended the run with a failure: its line, its text (passwords
    // masked), why it failed as shown, and its result. Line 0 and result 0 when none did.
    struct Failure {
        int line = 0;
        std::string statement;
        std::string reason;
        int result = 0;
    };
    const Failure& LastFailure() const { return failure_; }

    // The session table.
    int SetCurrentSession(std::string_view name);
    int FindFtpHandle(std::string_view name);
    CSession* CurrentSession() const { return current_; }

  private:
    using ControlHandler = int (CInterpreter::*)();
    using CommandHandler = int (CInterpreter::*)(CValue&);

    // Script reader.
    int OpenFile(const char* path);
    void CloseFile();
    int GetNextLine();
    // The host's rewrite of the current line; false (and the message in `message`) when the
    // host refused it.
    bool ExpandLine(std::string& message);

    // Echoes and runs the current line, telling the host before and after.
    int RunLine();
    void TellHost(const std::string& statement, int result, double seconds, bool done);
    // Login parameters the host supplies for a login without password.
    void AskHostForCredentials(const std::string& host, std::string& user, std::string& password,
                               std::string& account);
    void StartHostProgress();

    // Dispatch.
    int ExecuteLine();
    int ControlStmt(int& result);
    int ExecuteCmd(CValue& value);
    int ExecuteCmdExt(CValue& value);
    int UnknownCommand(CValue& value);
    int SyntaxError(std::string_view operation, std::string_view item, std::string_view expected,
                    std::string_view found);
    int SyntaxError(CValue& value, std::string_view operation, std::string_view item,
                    std::string_view expected, std::string_view found);

    // Output.
    void EchoLine(std::string_view text);
    void EchoStatement(std::string_view line);
    void ReportResult(std::string_view operation, std::string_view item, int code);
    void ServerLine(std::string_view reply);
    std::string LastErrorText();
    std::string FailureReason();
    // Remembers the statement under way as the run's failure, unless one is remembered.
    void NoteFailure(int result);
    int LogFileUnwritable(const std::string& name);

    // Control statements.
    int ReadSwitch(const char* operation, const char* item, int& flag);
    int SetEcho();
    int SetDebug();
    int SetIgnore();
    int SetLogFile();
    int ExecOn();
    int ExecIfLine();
    int ExecIf();
    int RunThenPart();
    int RunElsePart();
    int GotoEndif();
    int SkipTo(bool atElse);
    bool EndsBlock(int code) const;
    int ExecElse() { return kStrayElse; }
    int ExecEndif() { return kStrayEndif; }
    int Test();

    // The failure policy.
    int OnFailed();
    int SetSleep();
    int SetRetryInfo();
    // True once a stop was requested after this run began.
    bool StopRequested() const { return quarv::StopRequestedSince(stopMark_); }
    int ReportStop();

    // Conditions and their operands.
    int IfCondition(CValue& value);
    int CompareWithNextOperand(const CValue& left, int op, CValue& value);
    int ExecCompare(CValue& value);
    int ExecNot(CValue& value);
    int ExecParenthesis(CValue& value);

    // Built-in functions.
    int ExecFunction(CValue& value);
    int OpenCall(CValue& value, const char* operation, const char* name);
    int CloseCall(CValue& value, const char* operation);
    int TextCall(CValue& value, const char* operation, const char* name,
                 const char* afterParenthesis, std::string& text);
    int DateOfNested(CValue& value);
    int ClockCall(CValue& value, const char* operation, const char* name,
                  const char* afterParenthesis, std::time_t (*time)());
    int f_Date(CValue& value);
    int f_Today(CValue& value);
    int f_Now(CValue& value);
    int f_File(CValue& value);
    int f_Exec(CValue& value);
    int f_Number(CValue& value);
    int f_String(CValue& value);

    // Operands, function calls and if blocks inside one another: one level deeper while it
    // lives. A line or script nested without end fails instead of exhausting the stack.
    class Nested {
      public:
        explicit Nested(CInterpreter& interpreter) : interpreter_(interpreter) {
            ++interpreter_.depth_;
        }
        ~Nested() { --interpreter_.depth_; }
        Nested(const Nested&) = delete;
        Nested& operator=(const Nested&) = delete;
        bool TooDeep() const { return interpreter_.depth_ > kDeepestNesting; }

      private:
        CInterpreter& interpreter_;
    };
    static constexpr int kDeepestNesting = 256;
    // The syntax error of a level too deep; the value form when a value is given.
    int TooDeeplyNested(CValue* value);

    // The conventions every command handler follows.
    void BeginCommand(const CommandForm& form);
    bool NextName(std::string& name);
    int CommandSyntaxError(const CommandForm& form);
    int FinishCommand(const CommandForm& form, CValue& value, int result);
    bool ReadLoginParameters(std::string& host, std::string& user, std::string& password,
                             std::string& account);
    bool NextRestOfLine(std::string& text);
    int ReadTransferArguments(const TransferForm& form, TransferArguments& arguments);
    int GetRemoteSessions(int& first, int& second);
    // The retry loop of every retried command: operation(attempt) runs for attempt 0, and
    // again while CheckRetry allows; the result is the last attempt's.
    int Retried(int reconnect, const std::function<int(int attempt)>& operation);
    int CheckRetry(int attempt, int cc, int reconnect);
    int StopRetrying();
    // A text of the command's own as a server line.
    void ShowReply(std::string_view text);

    // Commands.
    int ExecLogin(CValue& value);
    int ExecGateLogin(CValue& value);
    using LoginOperation = int (CSession::*)(const std::string&, const std::string&,
                                             const std::string&, const std::string&);
    int ExecLoginTo(const CommandForm& form, CValue& value, int reconnect, LoginOperation login);
    int ExecGet(CValue& value);
    int ExecPut(CValue& value);
    int ExecAppend(CValue& value);
    int ExecRestart(CValue& value);
    int ExecRemote(CValue& value);
    int ExecRemotePut(CValue& value);
    int ExecRemoteAppend(CValue& value);
    int ExecResumable(const TransferForm& form, CValue& value, bool intoLocal,
                      int (CSession::*whole)(const std::string&, const std::string&),
                      int (CSession::*resume)(const std::string&, const std::string&, long long));
    int CompareResumedSizes();
    int SizeMismatch(std::string_view local, long long localSize, std::string_view remote,
                     long long remoteSize);
    long long SizeBeforeAppend(int h, const std::string& remote);
    int ContinueAppend(const std::string& local, const WrittenTarget& target, long long before);
    int ExecRemoteTransfer(const TransferForm& form, CValue& value,
                           const std::function<int(int from, int to, const TransferArguments&,
                                                   int attempt)>& transfer);
    int ExecCd(CValue& value);
    int ExecCdup(CValue& value);
    int ExecPwd(CValue& value);
    int ExecLcd(CValue& value);
    int ExecDir(CValue& value);
    int ExecMkDir(CValue& value);
    int ExecRmDir(CValue& value);
    int ExecDelete(CValue& value);
    int ExecRename(CValue& value);
    int ExecSite(CValue& value);
    int ExecQuote(CValue& value);
    int ExecMPut(CValue& value);
    int ExecMGet(CValue& value);
    int ExecExists(CValue& value);
    int ExecFilesize(CValue& value);
    int ExecFileDate(CValue& value);
    int ExecFiledatetime(CValue& value);
    int ExecAscii(CValue& value);
    int ExecBinary(CValue& value);
    int ExecPassive(CValue& value);
    int ExecActive(CValue& value);
    int ExecStatusBox(CValue& value);
    int ExecLocalUnique(CValue& value);
    int ExecStoreUnique(CValue& value);
    int ExecLocalPath(CValue& value);
    int ExecDefaultTimeout(CValue& value);
    int ExecReceiveTimeout(CValue& value);
    int ExecQuit(CValue& value);
    // Shapes that several commands share.
    int ExecOnName(const CommandForm& form, CValue& value, bool retried,
                   const std::function<int(const std::string& name)>& operation);
    int ExecOnText(const CommandForm& form, CValue& value,
                   const std::function<int(const std::string& text)>& operation);
    int ExecFileTime(CValue& value, const char* beginLine, bool withTime);
    int ExecUniqueMode(const CommandForm& form, CValue& value, int (CSession::*flag)() const,
                       int (CSession::*setter)(int), int (CSession::*toggle)());
    int ExecTimeout(const CommandForm& form, CValue& value, const std::function<int(int)>& apply);

    static ControlHandler FindControl(int code);
    static CommandHandler FindCommand(int code);

    uintptr_t userValue_ = 0;
    OutputProc clientOutput_;
    OutputProc serverOutput_;
    int restartOnRetry_ = 0;
    int resumeInProgress_ = 0;
    int retryCount_ = -1;  // -1 no retry, 0 without limit, n at most n retries
    int retrySleep_ = 0;   // seconds
    CTokenizer tokenizer_;
    int logCopy_ = 0;  // this run named a log file: server replies are copied to it
    int ignore_ = 0;
    int echo_ = 0;
    std::vector<std::unique_ptr<CSession>> sessions_;  // creation order
    CSession* current_ = nullptr;                      // never owns
    std::string currentLine_;
    int currentLineNumber_ = 0;  // of currentLine_ in the script file
    std::string expandError_;    // the host's refusal of the current line, shown when it runs
    std::string lastShown_;      // the reply or message the statement under way showed last
    const QuarvHost* host_ = nullptr;
    int fileOpen_ = 0;
    CScriptFile scriptFile_;
    bool readFailed_ = false;
    bool lineTooLong_ = false;   // the script ended at a line longer than a line may be
    int depth_ = 0;              // see Nested
    std::string reason_;         // why the statement under way failed, as shown
    std::string failureText_;    // a failure the engine found itself, for the report
    std::string shownReply_;     // the reply a success shows, when checks followed it
    bool stopRetrying_ = false;  // the attempt found that another one would do harm
    Failure failure_;
    int commandHandle_ = 0;  // the connection of the command under way; 0 for login
    const quarv::StopMark stopMark_ = quarv::CurrentStopMark();
};
