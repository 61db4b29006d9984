// Test Web: a raw request to a web server and its answer, in a dialog that stays open. No FTP
// session is involved and the log is not touched.
#include <algorithm>
#include <climits>

#include "commands.h"
#include "dialog.h"
#include "ids.h"
#include "library_text.h"
#include "ui.h"
#include "varnix32.h"

namespace brisel::commands {
namespace {

void RequestAndReceive(CBriselUi& ui, CDialog& dialog, CDialogHost& host) {
    if (!host.UpdateFields()) return;
    CDialogFields& f = dialog.fields;
    const std::string& site = f.Text(ctl::Edit1);
    const int connection = www_Open(site.c_str());
    if (connection < 1) {
        f.Text(ctl::Edit3) = "Error connecting to " + site;
        host.UpdateControls();
        return;
    }
    CWaitCursor wait(ui);
    const std::string& command = f.Text(ctl::Edit2);
    if (!command.empty()) {
        const std::string request = command + "\r\n\r\n";
        const int length = static_cast<int>(std::min<std::size_t>(request.size(), INT_MAX));
        bool failed = www_SendData(connection, request.data(), length) <= 0;
        if (!failed) {
            std::string& received = f.Text(ctl::Edit3);
            received.clear();
            char buffer[1024 + 1];
            int n;
            while ((n = www_ReceiveData(connection, buffer, 1024, 30)) > 0)
                AppendAsText(received, buffer, static_cast<std::size_t>(n));
            failed = n < 0;  // 0: the server closed the connection after its answer
        }
        // The library keeps its last text also after a success: it replaces what was received
        // only when sending or receiving failed.
        CLibraryText last = LastLibraryText();
        if (failed && last.count > 0) f.Text(ctl::Edit3) = last.text;
        host.UpdateControls();
    }
    www_Close(connection);
}

}  // namespace

void TestWeb(CCommandContext& c) {
    CDialog dialog(dlg::TestWeb);
    CBriselUi& ui = c.ui;
    dialog.RunOnOk([&ui, &dialog](CDialogHost& host) { RequestAndReceive(ui, dialog, host); });
    c.ui.DoModal(dialog);
}

}  // namespace brisel::commands
