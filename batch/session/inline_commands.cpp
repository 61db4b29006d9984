// SPDX-License-Identifier: MIT
// Commands of one word that read no arguments and leave the statement's value untouched:
// cdup, ascii, binary, passive and active.
#include "interpreter.h"
#include "quarv32_session.h"
#include "varnix32.h"

// cdup: on success the remembered directory is read back once more.
int CInterpreter::ExecCdup(CValue&) {
    const int result = current_->Cdup();
    if (result == 0) current_->SetPwd();
    ReportResult("ExecuteLine", "cdup", result);
    return result;
}

int CInterpreter::ExecAscii(CValue&) {
    const int result = current_->SetAscii();
    ReportResult("ExecuteLine", "ascii", result);
    return result;
}

int CInterpreter::ExecBinary(CValue&) {
    const int result = current_->SetBinary();
    ReportResult("ExecuteLine", "binary", result);
    return result;
}

// passive and active talk to the library directly: a reconnect does not restore them.
int CInterpreter::ExecPassive(CValue&) {
    const int result = ftp_SetPassive(current_->GetHandle(), 1);
    ReportResult("ExecuteLine", "passive", result);
    return result;
}

int CInterpreter::ExecActive(CValue&) {
    const int result = ftp_SetPassive(current_->GetHandle(), 0);
    ReportResult("ExecuteLine", "active", result);
    return result;
}
