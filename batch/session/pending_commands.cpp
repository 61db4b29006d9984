// FTP commands that are not built yet. Each answers as an unknown command does, so a script
// that uses one stops with -98 and the syntax-error message.
#include "interpreter.h"

#define QUARV_NOT_BUILT_YET(handler)           \
    int CInterpreter::handler(CValue& value) { \
        return UnknownCommand(value);          \
    }

QUARV_NOT_BUILT_YET(ExecCd)
QUARV_NOT_BUILT_YET(ExecCdup)
QUARV_NOT_BUILT_YET(ExecPwd)
QUARV_NOT_BUILT_YET(ExecLcd)
QUARV_NOT_BUILT_YET(ExecDir)
QUARV_NOT_BUILT_YET(ExecMkDir)
QUARV_NOT_BUILT_YET(ExecRmDir)
QUARV_NOT_BUILT_YET(ExecDelete)
QUARV_NOT_BUILT_YET(ExecRename)
QUARV_NOT_BUILT_YET(ExecSite)
QUARV_NOT_BUILT_YET(ExecQuote)
QUARV_NOT_BUILT_YET(ExecMPut)
QUARV_NOT_BUILT_YET(ExecMGet)
QUARV_NOT_BUILT_YET(ExecExists)
QUARV_NOT_BUILT_YET(ExecFilesize)
QUARV_NOT_BUILT_YET(ExecFileDate)
QUARV_NOT_BUILT_YET(ExecFiledatetime)
QUARV_NOT_BUILT_YET(ExecAscii)
QUARV_NOT_BUILT_YET(ExecBinary)
QUARV_NOT_BUILT_YET(ExecPassive)
QUARV_NOT_BUILT_YET(ExecActive)
QUARV_NOT_BUILT_YET(ExecStatusBox)
QUARV_NOT_BUILT_YET(ExecLocalUnique)
QUARV_NOT_BUILT_YET(ExecStoreUnique)
QUARV_NOT_BUILT_YET(ExecLocalPath)
QUARV_NOT_BUILT_YET(ExecDefaultTimeout)
QUARV_NOT_BUILT_YET(ExecReceiveTimeout)
QUARV_NOT_BUILT_YET(ExecQuit)
