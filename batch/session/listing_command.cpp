// dir and ls: a remote directory listing into a local file, or streamed onto the server
// output and into the log file.
#include <cstring>

#include "interpreter.h"
#include "quarv32_session.h"
#include "trace_log.h"
#include "varnix32.h"

namespace {
constexpr int kPieceSize = 512;
}

// dir [remote [local]] (long listing); ls [remote [local]] (names only)
int CInterpreter::ExecDir(CValue& value) {
    const bool longForm = tokenizer_.Code() == TK_DIR;
    const CommandForm form{"ExecDir", "", "", longForm ? "dir" : "ls"};
    CTraceLog& log = CTraceLog::Instance();
    BeginCommand(form);
    std::string remote, local;
    if (NextName(remote)) NextName(local);
    log.Trace("ExecDir: Remote = \"", remote, "\", Local = \"", local, "\"");
    const int h = current_->GetHandle();
    if (!local.empty()) {
        const int result = longForm ? ftp_dir(h, remote.c_str(), local.c_str())
                                    : ftp_ls(h, remote.c_str(), local.c_str());
        return FinishCommand(form, value, result);
    }
    const int result =
        longForm ? ftp_openreadfordir(h, remote.c_str()) : ftp_openreadforlist(h, remote.c_str());
    if (result == 0) {
        if (echo_) serverOutput_(userValue_, "S>\r\n");
        // Pieces need not end at line ends; a failing read ends the listing.
        char piece[kPieceSize + 1];
        for (int n; (n = ftp_readdata(h, piece, kPieceSize)) > 0;) {
            piece[n] = '\0';
            if (echo_) serverOutput_(userValue_, piece);
            log.WriteLog(std::string_view(piece, strnlen(piece, kPieceSize)));
        }
        ftp_closeread(h);
    }
    return FinishCommand(form, value, result);
}
