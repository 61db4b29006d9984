// SPDX-License-Identifier: MIT
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

// A statement inside a part that fails ends the block at once and becomes the if's result,
// so that nothing after a failed transfer runs; with ignore on the block runs on.
bool CInterpreter::EndsBlock(int code) const {
    return code != 0 && code != kStrayElse && code != kStrayEndif && !ignore_;
}

// Runs the lines up to endif, or up to else and then skips to endif.
int CInterpreter::RunThenPart() {
    CTraceLog::Instance().Trace("ExecIf: If is true");
    EchoLine("--> Perform THEN");
    if (!GetNextLine()) return 0;
    for (;;) {
        const int code = RunLine();
        if (StopRequested()) return kStopped;
        if (EndsBlock(code)) return code;
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
    const int found = SkipTo(true);
    if (found == 0) return 0;
    if (found == TK_ENDIF) {
        EchoLine("--> ENDIF");
        return 0;
    }
    EchoLine("--> Perform ELSE");
    while (GetNextLine()) {
        const int code = RunLine();
        if (StopRequested()) return kStopped;
        if (EndsBlock(code)) return code;
        if (code == kStrayEndif) {
            EchoLine("--> ENDIF");
            return 0;
        }
    }
    return 0;
}

// Skips lines unseen up to the endif of this block: a nested block is skipped whole.
int CInterpreter::GotoEndif() {
    CTraceLog::Instance().Trace("GotoEndif: Begin");
    return SkipTo(false) == TK_ENDIF ? 0 : kNotLoggedIn;
}

// Reads lines unseen up to this block's endif (or, with atElse, its else): nested if lines
// are counted, so their else and endif lines do not end the skip. The code of the line that
// ended it, or 0 at the end of the file.
int CInterpreter::SkipTo(bool atElse) {
    int nested = 0;
    while (GetNextLine()) {
        const int code = tokenizer_.GetNextToken();
        if (code == TK_IF) {
            ++nested;
        } else if (code == TK_ENDIF) {
            if (nested == 0) return TK_ENDIF;
            --nested;
        } else if (code == TK_ELSE && atElse && nested == 0) {
            return TK_ELSE;
        }
    }
    return 0;
}
