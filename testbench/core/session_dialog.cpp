// SPDX-License-Identifier: MIT
#include "session_dialog.h"

#include "commands.h"
#include "dialog.h"
#include "document.h"
#include "ui.h"

namespace brisel {

void RunSessionDialog(CCommandContext& c, int dialogId, SessionOperation operation, bool refresh) {
    CDialog dialog(dialogId);
    CBrisel32Doc& doc = c.doc;
    CBriselUi& ui = c.ui;
    dialog.RunOnOk([&doc, &ui, &dialog, operation, refresh](CDialogHost& host) {
        if (!doc.IsConnected()) return;
        CWaitCursor wait(ui);
        if (!host.UpdateFields()) return;
        operation(doc, dialog, host);
        wait.End();
        if (refresh) doc.RefreshViews();
    });
    c.ui.DoModal(dialog);
}

}  // namespace brisel
