// SPDX-License-Identifier: MIT
// dir and ls: a remote directory listing into a local file, or streamed onto the server
// output and into the log file.
#include <algorithm>

#include "interpreter.h"
#include "quarv32_session.h"
#include "text.h"
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
        // Pieces need not end at line ends; a failing read ends the listing. A server's
        // names may hold terminal escape sequences: shown escaped, never as sent.
        char piece[kPieceSize];
        for (int n; (n = ftp_readdata(h, piece, kPieceSize)) > 0;) {
            const std::string shown =
                quarv::EscapeControls(std::string_view(piece, std::min(n, kPieceSize)));
            if (echo_) serverOutput_(userValue_, shown.c_str());
            log.WriteLog(shown);
        }
        ftp_closeread(h);
    }
    return FinishCommand(form, value, result);
}
