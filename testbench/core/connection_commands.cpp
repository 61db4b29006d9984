// SPDX-License-Identifier: MIT
// Connection menu and Abort: the commands that open, re-authenticate, probe, interrupt and
// close the document's session.
#include "commands.h"
#include "dialog.h"
#include "document.h"
#include "ids.h"
#include "library_text.h"
#include "ui.h"
#include "varnix32.h"

namespace brisel::commands {
namespace {

// The session of a Login or LoginPort is open: remember how it was opened.
void SessionOpened(CBrisel32Doc& doc, const CDialogFields& f) {
    doc.m_strHost = f.Text(ctl::Edit1);
    doc.m_strUser = f.Text(ctl::Edit2);
    doc.m_strPassword = f.Text(ctl::Edit3);
    doc.m_strMessage = "Connected to " + doc.m_strHost;
    doc.m_bStatusBox = 1;
    ftp_statusbox(doc.m_hFtp, 1);
}

// ReLogin and GateLogin need a session to work on.
bool RefuseWithoutSession(CBrisel32Doc& doc, const char* refusal) {
    if (doc.IsConnected()) return false;
    doc.m_strMessage = refusal;
    doc.RefreshViews();
    return true;
}

}  // namespace

void Login(CCommandContext& c) {
    CDialog dialog(dlg::Login);
    if (!c.ui.DoModal(dialog)) return;
    const CDialogFields& f = dialog.fields;
    CWaitCursor wait(c.ui);
    // An earlier session is neither quit nor remembered.
    c.doc.m_hFtp = ftp_login(f.Text(ctl::Edit1).c_str(), f.Text(ctl::Edit2).c_str(),
                             f.Text(ctl::Edit3).c_str(), "");
    if (c.doc.IsConnected()) {
        SessionOpened(c.doc, f);
        c.ui.SetWindowTitle(c.doc, c.doc.m_strHost);
    } else {
        c.doc.m_strMessage = LastLibraryText().text;
    }
    wait.End();
    c.doc.RefreshViews();
}

void ReLogin(CCommandContext& c) {
    if (RefuseWithoutSession(c.doc, "You need to establish a connection first!")) return;
    CDialog dialog(dlg::ReLogin);
    if (!c.ui.DoModal(dialog)) return;
    const std::string user = dialog.fields.Text(ctl::Edit1);
    const std::string password = dialog.fields.Text(ctl::Edit2);
    CWaitCursor wait(c.ui);
    if (ftp_relogin(c.doc.m_hFtp, user.c_str(), password.c_str(), "") != 0) {
        c.doc.m_strMessage = LastLibraryText().text;
    } else {
        c.doc.m_strMessage = "User " + user + " logged in";
        c.doc.m_strUser = user;
        c.doc.m_strPassword = password;
    }
    wait.End();
    c.doc.RefreshViews();
}

void Logout(CCommandContext& c) {
    if (!c.doc.IsConnected()) return;
    CWaitCursor wait(c.ui);
    c.doc.m_strMessage =
        ftp_quit(c.doc.m_hFtp) != 0 ? "Quit failed, disconnect anyway" : "Disconnected";
    c.doc.m_hFtp = 0;
    c.doc.RefreshViews();
}

void GateLogin(CCommandContext& c) {
    if (RefuseWithoutSession(c.doc, "You need to connect to a gateway host first!")) return;
    CDialog dialog(dlg::GateLogin);
    if (!c.ui.DoModal(dialog)) return;
    const CDialogFields& f = dialog.fields;
    CWaitCursor wait(c.ui);
    if (ftp_gatelogin(c.doc.m_hFtp, f.Text(ctl::Edit1).c_str(), f.Text(ctl::Edit2).c_str(),
                      f.Text(ctl::Edit3).c_str(), "") != 0) {
        c.doc.m_strMessage = LastLibraryText().text;
    } else {
        c.doc.m_strHost = f.Text(ctl::Edit1);
        c.doc.m_strUser = f.Text(ctl::Edit2);
        c.doc.m_strPassword = f.Text(ctl::Edit3);
        c.doc.m_strMessage = c.doc.m_strHost + " connected";
    }
    wait.End();
    c.doc.RefreshViews();
}

void LoginPort(CCommandContext& c) {
    CDialog dialog(dlg::LoginPort);
    dialog.fields.Number(ctl::Port) = 21;
    if (!c.ui.DoModal(dialog)) return;
    const CDialogFields& f = dialog.fields;
    CWaitCursor wait(c.ui);
    c.doc.m_hFtp = ftp_openport(f.Text(ctl::Edit1).c_str(), f.Number(ctl::Port));
    // A handle whose login fails stays: ReLogin can complete the login.
    if (c.doc.IsConnected() &&
        ftp_relogin(c.doc.m_hFtp, f.Text(ctl::Edit2).c_str(), f.Text(ctl::Edit3).c_str(), "") == 0)
        SessionOpened(c.doc, f);
    else
        c.doc.m_strMessage = LastLibraryText().text;
    wait.End();
    c.doc.RefreshViews();
}

void IsConnected(CCommandContext& c) {
    bool alive = c.doc.IsConnected() && ftp_isconnected(c.doc.m_hFtp) != 0;
    c.ui.MessageBox(alive ? "FTP session is alive." : "FTP session is disconnected.",
                    "Is Connected?");
}

void Abort(CCommandContext& c) {
    if (c.doc.IsConnected()) {
        ftp_abort(c.doc.m_hFtp);
        c.doc.m_strMessage = "Abort submitted....";
    } else {
        c.doc.m_strMessage = "No FTP connection.";
    }
    c.doc.RefreshViews();
}

}  // namespace brisel::commands
