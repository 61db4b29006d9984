// SPDX-License-Identifier: MIT
#include "pattern_command.h"

#include "commands.h"
#include "dialog.h"
#include "document.h"
#include "library_text.h"
#include "ui.h"

namespace brisel {

void RunPatternCommand(CCommandContext& c, const CPatternCommand& command) {
    CDialog dialog(command.dialog);
    if (!c.ui.DoModal(dialog)) return;
    CWaitCursor wait(c.ui);
    if (command.testsConnection && !c.doc.IsConnected()) {
        c.doc.m_strMessage = kNotConnected;
    } else {
        if (command.progress) {
            // Shown while the transfer runs.
            c.doc.m_strMessage = command.progress(dialog.fields);
            c.doc.RefreshViews();
        }
        command.call(c.doc.m_hFtp, dialog.fields);
        c.doc.m_strMessage = LastLibraryText().text;
    }
    wait.End();
    c.doc.RefreshViews();
}

}  // namespace brisel
