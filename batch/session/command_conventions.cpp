// What every command handler does the same way: its begin trace, reading name arguments,
// its syntax error, its value and its result report.
#include "interpreter.h"
#include "trace_log.h"

void CInterpreter::BeginCommand(const CommandForm& form) {
    CTraceLog::Instance().Trace(form.handler, ": Begin");
}

// A name, path or text: a token of code 500 or more (a quoted text, a bare word, or a
// keyword, so that "get get" fetches a file named get). A number, a session prefix, an
// operator or the end of the line is none and stays the current token.
bool CInterpreter::NextName(std::string& name) {
    if (tokenizer_.GetNextToken() < TK_STRING) return false;
    name = tokenizer_.Text();
    return true;
}

int CInterpreter::CommandSyntaxError(const CommandForm& form) {
    return SyntaxError(form.handler, form.item, form.expected, tokenizer_.Text());
}

// The statement's value becomes int result with status result, and the result is reported.
int CInterpreter::FinishCommand(const CommandForm& form, CValue& value, int result) {
    value.SetInt(result, result);
    ReportResult(form.handler, form.label, result);
    return result;
}

// host [user [password [account]]]: each after the one before it was given.
bool CInterpreter::ReadLoginParameters(std::string& host, std::string& user, std::string& password,
                                       std::string& account) {
    if (!NextName(host)) return false;
    if (NextName(user) && NextName(password)) NextName(account);
    return true;
}
