// Conditional blocks: if condition / then-part / [else / else-part] / endif. The if
// statement reads and runs the lines of its block itself, or skips them.
#include "interpreter.h"
#include "trace_log.h"

// if condition
int CInterpreter::ExecIf() {
    Nested level(*this);
    if (level.TooDeep()) return TooDeeplyNested(nullptr);
    CTraceLog& log = CTraceLog::Instance();
    log.Trace("ExecIf: Begin");
    CValue condition;
    int result = IfCondition(condition);
    if (result == 0) {
        log.Trace("ExecIf: IfCondition cc == 0");
        result = condition.ToBool() ? RunThenPart() : RunElsePart();
    }
    log.Trace("ExecIf: End");
    return result;
}

// Runs the lines up to endif, or up to else and then skips to endif. The codes of the
// statements inside do not become the if's result.
int CInterpreter::RunThenPart() {
    CTraceLog::Instance().Trace("ExecIf: If is true");
    EchoLine("--> Perform THEN");
    if (!GetNextLine()) return 0;
    for (;;) {
        const int code = RunLine();
        if (StopRequested()) return kStopped;
        if (code == kStrayEndif) return 0;
        if (code == kStrayElse) {
            const int result = GotoEndif();
            if (result == 0) EchoLine("--> ENDIF");
            return result;
        }
        if (!GetNextLine()) return SyntaxError("ExecIf", "If ...", "EndIf", "<end-of-file>");
    }
}

// Skips the then-part unseen; runs the else-part, if there is one, up to endif.
int CInterpreter::RunElsePart() {
    CTraceLog::Instance().Trace("ExecIf: If is false");
    for (;;) {
        if (!GetNextLine()) return 0;
        const int code = tokenizer_.GetNextToken();
        if (code == TK_ENDIF) {
            EchoLine("--> ENDIF");
            return 0;
        }
        if (code == TK_ELSE) break;
    }
    EchoLine("--> Perform ELSE");
    while (GetNextLine()) {
        const int code = RunLine();
        if (StopRequested()) return kStopped;
        if (code == kStrayEndif) {
            EchoLine("--> ENDIF");
            return 0;
        }
    }
    return 0;
}

// Skips lines unseen up to the next one that begins with endif; nesting is not counted.
int CInterpreter::GotoEndif() {
    CTraceLog::Instance().Trace("GotoEndif: Begin");
    while (GetNextLine()) {
        if (tokenizer_.GetNextToken() == TK_ENDIF) return 0;
    }
    return kNotLoggedIn;
}
