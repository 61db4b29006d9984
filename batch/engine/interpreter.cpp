// SPDX-License-Identifier: MIT
#include "interpreter.h"

#include <cstdio>

#include "quarv32_session.h"
#include "trace_log.h"

namespace {

// The defaults print each text behind a prefix of their own.
int DefaultClientOutput(uintptr_t, const char* text) {
    std::fputs("C> ", stdout);
    std::fputs(text, stdout);
    std::fputs("\n", stdout);
    return 0;
}

int DefaultServerOutput(uintptr_t, const char* text) {
    std::fputs("S> ", stdout);
    std::fputs(text, stdout);
    std::fputs("\n", stdout);
    return 0;
}

}  // namespace

CInterpreter::CInterpreter()
    : clientOutput_(DefaultClientOutput), serverOutput_(DefaultServerOutput) {}

CInterpreter::~CInterpreter() {
    CloseFile();
    for (auto& session : sessions_)
        session.reset();
    sessions_.clear();
}

void CInterpreter::SetOutputProcs(OutputProc client, OutputProc server) {
    if (client != nullptr) clientOutput_ = client;
    if (server != nullptr) serverOutput_ = server;
}

int CInterpreter::RunScript(const char* path) {
    int result = 0;
    if (!OpenFile(path)) return kCannotStart;
    for (;;) {
        CTraceLog::Gather gather;  // the log lines of one statement, appended together
        if (StopRequested() || !GetNextLine()) break;
        failure_ = Failure{};
        result = RunLine();
        if (ignore_) {
            result = 0;
            continue;
        }
        if (result != 0) break;
    }
    if ((result == kStrayElse || result == kStrayEndif) && failure_.result == 0)
        failure_ = Failure{static_cast<int>(scriptFile_.LineNumber()), MaskSecrets(currentLine_),
                           "An else or endif outside an if block.", result};
    if (result == 0) failure_ = Failure{};
    if (StopRequested()) result = ReportStop();
    // A script that could not be read to its end did not run to its end.
    if (readFailed_) result = kCannotStart;
    if (lineTooLong_) result = kSyntaxError;
    if (readFailed_ || lineTooLong_)
        failure_ = Failure{static_cast<int>(scriptFile_.LineNumber()), "<the line read>",
                           readFailed_ ? "The script could not be read further." : reason_, result};
    CloseFile();
    return result;
}

int CInterpreter::RunStatement(std::string_view statement) {
    currentLine_.assign(statement);
    if (currentLine_.empty()) return kCannotStart;
    tokenizer_.SetLine(currentLine_);
    const int result = ExecuteLine();
    return StopRequested() ? ReportStop() : result;
}

// A stop request ends the run after the statement under way, whatever ignore says.
int CInterpreter::ReportStop() {
    EchoLine("Stopped on request.");
    return kStopped;
}
