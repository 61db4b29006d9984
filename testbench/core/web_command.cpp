// SPDX-License-Identifier: MIT
// Test Web: a raw request to a web server and its answer, in a dialog that stays open. No FTP
// session is involved and the log is not touched.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "commands.h"
#include "dialog.h"
#include "ids.h"
#include "library_text.h"
#include "ui.h"
#include "varnix32.h"

namespace brisel::commands {
namespace {

constexpr int kWaitSeconds = 30;
// A server that keeps the connection open after its answer sends nothing more: once data came,
// this long a silence ends the answer.
constexpr int kQuietSeconds = 1;

// Receives the answer into `received` until the server closes the connection, falls quiet
// after sending, or the whole wait has lasted kWaitSeconds. False when receiving failed, or
// when nothing at all arrived in time.
bool ReceiveAnswer(CBriselUi& ui, int connection, std::string& received) {
    received.clear();
    char buffer[1024 + 1];
    bool anything = false;
    const std::uint32_t start = ui.TickCount();
    for (;;) {
        const std::uint32_t waited = (ui.TickCount() - start) / 1000;
        if (anything && waited >= kWaitSeconds) return true;
        const int timeout =
            anything ? kQuietSeconds : std::max(1, kWaitSeconds - static_cast<int>(waited));
        const int n = www_ReceiveData(connection, buffer, 1024, timeout);
        if (n == 0) return true;  // the server closed the connection
        if (n < 0) return anything && n == VARNIX_ETIMEOUT;
        AppendAsText(received, buffer, static_cast<std::size_t>(n));
        anything = true;
    }
}

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
        if (!failed) failed = !ReceiveAnswer(ui, connection, f.Text(ctl::Edit3));
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
