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
    while (!StopRequested() && GetNextLine()) {
        result = RunLine();
        if (ignore_) {
            result = 0;
            continue;
        }
        if (result != 0) break;
    }
    if (StopRequested()) result = ReportStop();
    // A script that could not be read to its end did not run to its end.
    if (readFailed_) result = kCannotStart;
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
