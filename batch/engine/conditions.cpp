// SPDX-License-Identifier: MIT
// Conditions: an operand, optionally a comparison operator and a second operand, evaluated
// strictly left to right. The operands themselves are read by ExecuteCmdExt.
#include "compare.h"
#include "interpreter.h"
#include "trace_log.h"

// if operand [op operand]: leaves the condition's truth as a bool in value. Tokens after
// the second operand stay unread; after a lone operand only the end of the line may come.
int CInterpreter::IfCondition(CValue& value) {
    CTraceLog& log = CTraceLog::Instance();
    CValue left;
    log.Trace("IfCondition: Begin");
    tokenizer_.GetNextToken();
    int cc = ExecuteCmdExt(left);
    if (cc != 0) {
        value.SetBool(cc, false);
    } else if (const int op = tokenizer_.GetNextToken(); op == TK_EOL) {
        value.SetBool(0, left.ToBool());
    } else if (!quarv::IsCompare(op)) {
        // Something that is neither a comparison nor the end: dropping it would decide the
        // block on half of what the line says.
        cc = SyntaxError("IfCondition", "If ...", "[= | != | < | <= | > | >= | <end-of-line>]",
                         tokenizer_.Text());
        value.SetBool(cc, false);
    } else {
        log.Trace("IfCondition: IsCompare (", tokenizer_.Text(), ")");
        cc = CompareWithNextOperand(left, op, value);
    }
    log.Trace("IfCondition: End. cc = ", cc);
    return cc;
}

// op operand, inside a condition: the value built so far is the left operand, and the
// comparison's truth replaces it.
int CInterpreter::ExecCompare(CValue& value) {
    Nested level(*this);
    if (level.TooDeep()) return TooDeeplyNested(&value);
    CTraceLog& log = CTraceLog::Instance();
    log.Trace("ExecCompare: Begin");
    int cc = kNotLoggedIn;
    if (const int op = tokenizer_.Code(); quarv::IsCompare(op)) {
        log.Trace("ExecCompare: IsCompare (", tokenizer_.Text(), ")");
        cc = CompareWithNextOperand(CValue(value), op, value);
    }
    log.Trace("ExecCompare: cc = ", cc);
    return cc;
}

// Reads the operand after a comparison operator and leaves "left op operand" in value; a
// failing operand leaves false with its code.
int CInterpreter::CompareWithNextOperand(const CValue& left, int op, CValue& value) {
    CValue right;
    tokenizer_.GetNextToken();
    const int cc = ExecuteCmdExt(right);
    if (cc != 0)
        value.SetBool(cc, false);
    else
        value.SetBool(0, quarv::CompareValues(left, op, right));
    return cc;
}

// ! operand, not operand: binds to the one operand that follows.
int CInterpreter::ExecNot(CValue& value) {
    Nested level(*this);
    if (level.TooDeep()) return TooDeeplyNested(&value);
    CTraceLog& log = CTraceLog::Instance();
    log.Trace("ExecNot: Begin");
    tokenizer_.GetNextToken();
    int cc = ExecuteCmdExt(value);
    if (cc != 0) {
        cc = SyntaxError("ExecNot", "Not", "<Statement>", tokenizer_.Text());
        value.SetBool(kSyntaxError, false);
    } else {
        value.SetBool(0, !value.ToBool());
    }
    log.Trace("ExecNot: cc = ", cc);
    return cc;
}

// ( element ... ): the elements are evaluated in order into one value, so (a = b = c) is
// ((a = b) = c) and (a b) is b.
int CInterpreter::ExecParenthesis(CValue& value) {
    Nested level(*this);
    if (level.TooDeep()) return TooDeeplyNested(&value);
    CTraceLog& log = CTraceLog::Instance();
    CValue inner;
    log.Trace("ExecParenthesis: Begin");
    int code = tokenizer_.GetNextToken();
    int failed = 0;
    while (code > 0 && code != TK_RPAREN) {
        failed = ExecuteCmdExt(inner);
        code = tokenizer_.GetNextToken();
        if (failed != 0) break;
    }
    int result = 0;
    if (code == TK_RPAREN && failed != 0) {
        // A failed element just before ")" fails the sequence with its code, as it does
        // outside parentheses: (cd 'x') must not read as true.
        result = failed;
        value.SetBool(failed, false);
    } else if (code == TK_RPAREN) {
        value = inner;
    } else {
        result = SyntaxError("ExecParenthesis", "(...", ")", tokenizer_.Text());
        value.SetBool(kSyntaxError, false);
    }
    log.Trace("ExecParenthesis: return ", result);
    return result;
}
