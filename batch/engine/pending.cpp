// Statements of the language that are not built yet. Each answers as an unknown command
// does, so a script that uses one stops with -98 and the syntax-error message.
#include "interpreter.h"

int CInterpreter::ExecOn() {
    CValue value;
    return UnknownCommand(value);
}

int CInterpreter::ExecIf() {
    CValue value;
    return UnknownCommand(value);
}

int CInterpreter::ExecCompare(CValue& value) {
    return UnknownCommand(value);
}
int CInterpreter::ExecNot(CValue& value) {
    return UnknownCommand(value);
}
int CInterpreter::ExecParenthesis(CValue& value) {
    return UnknownCommand(value);
}
int CInterpreter::ExecFunction(CValue& value) {
    return UnknownCommand(value);
}
