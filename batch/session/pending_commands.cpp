// FTP commands that are not built yet. Each answers as an unknown command does, so a script
// that uses one stops with -98 and the syntax-error message.
#include "interpreter.h"

#define QUARV_NOT_BUILT_YET(handler)           \
    int CInterpreter::handler(CValue& value) { \
        return UnknownCommand(value);          \
    }

QUARV_NOT_BUILT_YET(ExecStatusBox)
QUARV_NOT_BUILT_YET(ExecLocalUnique)
QUARV_NOT_BUILT_YET(ExecStoreUnique)
QUARV_NOT_BUILT_YET(ExecLocalPath)
QUARV_NOT_BUILT_YET(ExecDefaultTimeout)
QUARV_NOT_BUILT_YET(ExecReceiveTimeout)
QUARV_NOT_BUILT_YET(ExecQuit)
