// SPDX-License-Identifier: MIT
// Built-in functions, called as "$" name "(" arguments ")": times (Date, Today, Now), texts
// (File, String) and numbers (Number, Exec). Each reads its own arguments and leaves its
// result in the statement's value.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "clock.h"
#include "dates.h"
#include "interpreter.h"
#include "platform/system.h"
#include "program.h"
#include "trace_log.h"

namespace {

constexpr const char* kDefaultDateFormat = "mmddyyyy";
constexpr const char* kTimePattern = "%Y%m%d %H%M%S";
constexpr const char* kFileTimePattern = "%m/%d/%Y %H:%M:%S";

bool IsText(int code) {
    return code >= TK_STRING;
}

}  // namespace

// $ name ...: an unknown name is -99, without a message, and leaves the value alone.
int CInterpreter::ExecFunction(CValue& value) {
    struct Entry {
        int code;
        CommandHandler handler;
    };
    static constexpr Entry kFunctions[] = {
        {TK_DATE, &CInterpreter::f_Date},       {TK_TODAY, &CInterpreter::f_Today},
        {TK_NOW, &CInterpreter::f_Now},         {TK_FILE, &CInterpreter::f_File},
        {TK_EXEC, &CInterpreter::f_Exec},       {TK_NUMBERFN, &CInterpreter::f_Number},
        {TK_STRINGFN, &CInterpreter::f_String},
    };
    Nested level(*this);
    if (level.TooDeep()) return TooDeeplyNested(&value);
    CTraceLog::Instance().Trace("ExecFunction: Begin");
    const int code = tokenizer_.GetNextToken();
    auto it = std::find_if(std::begin(kFunctions), std::end(kFunctions),
                           [code](const Entry& e) { return e.code == code; });
    if (it == std::end(kFunctions)) return kNotLoggedIn;
    return (this->*(it->handler))(value);
}

// "(" after a function's name.
int CInterpreter::OpenCall(CValue& value, const char* operation, const char* name) {
    if (tokenizer_.GetNextToken() == TK_LPAREN) return 0;
    return SyntaxError(value, operation, name, "(", tokenizer_.Text());
}

// ")" after an argument; the error names the argument, now the previous token.
int CInterpreter::CloseCall(CValue& value, const char* operation) {
    if (tokenizer_.GetNextToken() == TK_RPAREN) return 0;
    return SyntaxError(value, operation, tokenizer_.PreviousText(), ")", tokenizer_.Text());
}

// "(" text ")": the text of $File and $Exec.
int CInterpreter::TextCall(CValue& value, const char* operation, const char* name,
                           const char* afterParenthesis, std::string& text) {
    int result = OpenCall(value, operation, name);
    if (result != 0) return result;
    if (!IsText(tokenizer_.GetNextToken()))
        return SyntaxError(value, operation, afterParenthesis, "<string>", tokenizer_.Text());
    text = tokenizer_.Text();
    return CloseCall(value, operation);
}

// $Date() | $Date(date) | $Date(date, format) | $Date($function...)
int CInterpreter::f_Date(CValue& value) {
    CTraceLog::Instance().Trace("f_Date: Begin");
    if (tokenizer_.GetNextToken() != TK_LPAREN)
        return SyntaxError(value, "f_Date", "Date", "... (", tokenizer_.Text());
    const int code = tokenizer_.GetNextToken();
    if (code == TK_RPAREN) {
        value.SetTime(0, quarv::CurrentTime());
        return 0;
    }
    if (code == TK_DOLLAR) return DateOfNested(value);
    if (!IsText(code)) return SyntaxError(value, "f_Date", "... (", ")", tokenizer_.Text());
    const std::string date = tokenizer_.Text();
    std::string format = kDefaultDateFormat;
    const int next = tokenizer_.GetNextToken();
    if (next == TK_COMMA) {
        if (!IsText(tokenizer_.GetNextToken()))
            return SyntaxError(value, "f_Date", "... ,", "<string>", tokenizer_.Text());
        format = tokenizer_.Text();
        const int result = CloseCall(value, "f_Date");
        if (result != 0) return result;
    } else if (next != TK_RPAREN) {
        return SyntaxError(value, "f_Date", date, "[, | )]", tokenizer_.Text());
    }
    value.SetTime(0, quarv::GetDate(date, format));
    return 0;
}

// $Date($function...): a text names a local file, whose time of last change is the date; a
// value of another type is converted to a time.
int CInterpreter::DateOfNested(CValue& value) {
    CTraceLog& log = CTraceLog::Instance();
    CValue nested;
    if (ExecFunction(nested) != 0)
        return SyntaxError(value, "f_Date", "... $", "<$file>", tokenizer_.Text());
    // The nested call has read its own ")"; this one is the outer call's.
    if (const int result = CloseCall(value, "f_Date"); result != 0) return result;
    if (nested.Type() != CValue::kString) {
        value.SetTime(0, nested.ToTime());
        return 0;
    }
    const std::string& name = nested.ToString();
    std::time_t modified = 0;
    if (!quarv::platform::FileModified(name, modified)) {
        log.WriteLog("File \"", name, "\" does not exists\n");
        return -1;
    }
    value.SetTime(0, modified);
    if (log.Tracing()) log.Trace(quarv::FormatLocalTime(modified, kFileTimePattern));
    return 0;
}

// $Today(): local midnight at the start of today.
int CInterpreter::f_Today(CValue& value) {
    return ClockCall(value, "f_Today", "Today", "(",
                     [] { return quarv::StartOfDay(quarv::CurrentTime()); });
}

// $Now()
int CInterpreter::f_Now(CValue& value) {
    return ClockCall(value, "f_Now", "Now", "Now(", [] { return quarv::CurrentTime(); });
}

// "(" ")" and a time read from the clock.
int CInterpreter::ClockCall(CValue& value, const char* operation, const char* name,
                            const char* afterParenthesis, std::time_t (*time)()) {
    CTraceLog& log = CTraceLog::Instance();
    log.Trace(operation, ": Begin");
    int result = OpenCall(value, operation, name);
    if (result == 0 && tokenizer_.GetNextToken() != TK_RPAREN)
        result = SyntaxError(value, operation, afterParenthesis, ")", tokenizer_.Text());
    // A malformed call reads no clock: its end line shows the time 0.
    std::time_t when = 0;
    if (result == 0) {
        when = time();
        value.SetTime(0, when);
    }
    if (log.Tracing())
        log.Trace(operation, ": End. ", result, ", ", quarv::FormatLocalTime(when, kTimePattern));
    return result;
}

// $File(name): the name as a text, for $Date($File(name)).
int CInterpreter::f_File(CValue& value) {
    CTraceLog& log = CTraceLog::Instance();
    log.Trace("f_File: Begin");
    std::string text;
    const int result = TextCall(value, "f_File", "File", "File(", text);
    if (result == 0) value.SetString(0, text);
    log.Trace("f_File: End. cc = ", result, ", ", text);
    return result;
}

// $Exec(command): runs the command with the shell and gives its exit status. The call
// succeeds whatever the status; a stop request ends the command, and then the script.
int CInterpreter::f_Exec(CValue& value) {
    CTraceLog& log = CTraceLog::Instance();
    log.Trace("f_Exec: Begin");
    std::string command;
    const int result = TextCall(value, "f_Exec", "Exec", "... (", command);
    int status = kNotLoggedIn;
    if (result == 0) {
        status = quarv::RunProgram(command);
        value.SetInt(0, status);
    }
    log.Trace("f_Exec: End. cc = ", result, ", ", status);
    return result;
}

// $Number(number) | $Number($function...)
int CInterpreter::f_Number(CValue& value) {
    CTraceLog& log = CTraceLog::Instance();
    log.Trace("f_Number: Begin");
    int32_t number = 0;
    int result = OpenCall(value, "f_Number", "Number");
    if (result == 0) {
        const int code = tokenizer_.GetNextToken();
        if (code == TK_NUMBER) {
            number = tokenizer_.Number();
            result = CloseCall(value, "f_Number");
            if (result == 0) value.SetInt(0, number);
        } else if (code == TK_DOLLAR) {
            CValue nested;
            result = ExecFunction(nested);
            number = nested.ToInt();
            value.SetInt(result, number);
            if (result == 0) result = CloseCall(value, "f_Number");
        } else {
            result = SyntaxError(value, "f_Number", "... (", "<number>", tokenizer_.Text());
        }
    }
    log.Trace("f_Number: End. ", result, ", ", number);
    return result;
}

// $String(text) | $String($function...): the value is a text in every case, empty after a
// failure.
int CInterpreter::f_String(CValue& value) {
    CTraceLog& log = CTraceLog::Instance();
    log.Trace("f_String: Begin");
    std::string text;
    int result = OpenCall(value, "f_String", "String");
    if (result == 0) {
        const int code = tokenizer_.GetNextToken();
        if (IsText(code)) {
            text = tokenizer_.Text();
            result = CloseCall(value, "f_String");
        } else if (code == TK_DOLLAR) {
            CValue nested;
            result = ExecFunction(nested);
            if (result == 0) result = CloseCall(value, "f_String");
            text = nested.ToString();
        } else {
            result = SyntaxError("f_String", "... (", "<string>", tokenizer_.Text());
        }
    }
    if (result != 0) text.clear();
    value.SetString(result, text);
    log.Trace("f_String: End. ", result, ", ", text);
    return result;
}
