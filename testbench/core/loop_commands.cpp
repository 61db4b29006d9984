// SPDX-License-Identifier: MIT
// Loop Tests (Get and Put) and Put List Files: many transfers in one command.
#include "commands.h"
#include "dialog.h"
#include "document.h"
#include "ids.h"
#include "library_text.h"
#include "list_file.h"
#include "local_file.h"
#include "pattern_command.h"
#include "ui.h"
#include "varnix32.h"

namespace brisel::commands {
namespace {

// Repeats one transfer, optionally on a fresh session per round, and reports how many rounds
// succeeded and how long all of them took.
void RunLoopTest(CCommandContext& c, bool put) {
    CDialog dialog(put ? dlg::LoopPut : dlg::LoopGet);
    if (!c.ui.DoModal(dialog)) return;
    const CDialogFields& f = dialog.fields;
    // Put: local, remote. Get: remote, local. Either way the first field is the first file.
    const std::string& first = f.Text(ctl::Edit1);
    const std::string& second = f.Text(ctl::Edit2);
    const int loops = f.Number(put ? ctl::Loops : ctl::Edit3);
    const bool relogin = f.Checked(ctl::Relogin);
    CBrisel32Doc& doc = c.doc;

    CWaitCursor wait(c.ui);
    doc.m_strMessage = (put ? "Wait...putting " : "Wait...getting ") + first;
    doc.RefreshViews();
    const std::uint32_t start = c.ui.TickCount();
    int successes = 0;
    for (int round = 0; round < loops; ++round) {
        int session = doc.m_hFtp;
        bool ownSession = false;
        if (relogin) {
            session = ftp_login(doc.m_strHost.c_str(), doc.m_strUser.c_str(),
                                doc.m_strPassword.c_str(), "");
            if (session > 0) {
                ownSession = true;
                ftp_statusbox(session, doc.m_bStatusBox);
            } else {
                doc.m_strMessage += LastLibraryText().text;
                doc.RefreshViews();
            }
        }
        if (session > 0) {
            int result = put ? ftp_put(session, first.c_str(), second.c_str())
                             : ftp_get(session, first.c_str(), second.c_str());
            if (result == 0) ++successes;
        }
        if (ownSession) ftp_quit(session);
    }
    const std::uint32_t elapsed = c.ui.TickCount() - start;  // wraps like the tick counter
    doc.m_strMessage = "Total successful loops = " + std::to_string(successes) + ", in " +
                       std::to_string(elapsed) + " ms.";
    wait.End();
    doc.RefreshViews();
}

}  // namespace

void LoopGet(CCommandContext& c) {
    RunLoopTest(c, false);
}

void LoopPut(CCommandContext& c) {
    RunLoopTest(c, true);
}

void PutListFiles(CCommandContext& c) {
    CDialog dialog(dlg::PutList);
    if (!c.ui.DoModal(dialog)) return;
    CBrisel32Doc& doc = c.doc;
    const std::string& listFile = dialog.fields.Text(ctl::Edit1);
    CWaitCursor wait(c.ui);
    if (!doc.IsConnected()) {
        doc.m_strMessage = kNotConnected;
    } else if (listFile.empty()) {
        doc.m_strMessage = "Invalid file name";
    } else if (std::optional<std::string> content = ReadLocalFile(listFile); !content) {
        doc.m_strMessage = "Cannot open file";
    } else {
        // A failing file does not stop the others; the log keeps the last file's outcome.
        for (const std::string& name : ListFileNames(*content)) {
            doc.m_strMessage = "Wait...putting " + name;
            doc.RefreshViews();
            ftp_put(doc.m_hFtp, name.c_str(), "");
            doc.m_strMessage = LastLibraryText().text;
        }
    }
    wait.End();
    doc.RefreshViews();
}

}  // namespace brisel::commands
