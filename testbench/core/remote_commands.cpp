// SPDX-License-Identifier: MIT
// RemoteToRemotePut and RemoteToRemoteAppend: a file copied directly between the servers of two
// document windows, chosen from the host list. The messages go to the document on which the
// command was chosen.
#include "commands.h"
#include "dialog.h"
#include "document.h"
#include "host_list_dialog.h"
#include "ids.h"
#include "library_text.h"
#include "pattern_command.h"
#include "ui.h"
#include "varnix32.h"

namespace brisel::commands {
namespace {

struct CRemoteCopy {
    int dialog;
    const char* caption;  // empty: the dialog's own title
    int (*call)(int from, int to, const CDialogFields& files);
};

void RunRemoteCopy(CCommandContext& c, const CRemoteCopy& copy) {
    CBrisel32Doc& doc = c.doc;
    int from = 0, to = 0;
    // A choice that gives no handle ends the command; a cancelled one is reported after the
    // transfer dialog.
    CHostListDialog fromList(c.ui, "Select the FROM ftp server:");
    if (c.ui.DoModal(fromList)) {
        from = fromList.Selected();
        if (from <= 0) {
            doc.RefreshViews();
            return;
        }
        CHostListDialog toList(c.ui, "Select the TO ftp server:");
        if (c.ui.DoModal(toList)) {
            to = toList.Selected();
            if (to <= 0) {
                doc.RefreshViews();
                return;
            }
        }
    }
    CDialog files(copy.dialog, copy.caption);
    if (!c.ui.DoModal(files)) {
        doc.RefreshViews();
        return;
    }
    CWaitCursor wait(c.ui);
    if (from <= 0 || to <= 0) {
        doc.m_strMessage = kNotConnected;
    } else {
        doc.m_strMessage = "Wait...putting " + files.fields.Text(ctl::Edit1);
        doc.RefreshViews();
        copy.call(from, to, files.fields);
        doc.m_strMessage = LastLibraryText().text;
    }
    wait.End();
    doc.RefreshViews();
}

const CRemoteCopy kRemotePut{dlg::RemoteTransfer, "", [](int from, int to, const CDialogFields& f) {
                                 return ftp_RemotePut(from, to, f.Text(ctl::Edit1).c_str(),
                                                      f.Text(ctl::Edit2).c_str(), 1,
                                                      f.Checked(ctl::Restart) ? 1 : 0);
                             }};

const CRemoteCopy kRemoteAppend{dlg::Rename, "Remote To Remote: Append",
                                [](int from, int to, const CDialogFields& f) {
                                    return ftp_RemoteAppend(from, to, f.Text(ctl::Edit1).c_str(),
                                                            f.Text(ctl::Edit2).c_str(), 1);
                                }};

}  // namespace

void RemoteToRemotePut(CCommandContext& c) {
    RunRemoteCopy(c, kRemotePut);
}

void RemoteToRemoteAppend(CCommandContext& c) {
    RunRemoteCopy(c, kRemoteAppend);
}

}  // namespace brisel::commands
