// SPDX-License-Identifier: MIT
// Options menu: transfer type, unique modes, status box, active or passive data connections,
// the library's trace, and the local path.
#include "commands.h"
#include "dialog.h"
#include "document.h"
#include "ids.h"
#include "library_text.h"
#include "pattern_command.h"
#include "ui.h"
#include "varnix32.h"

namespace brisel::commands {
namespace {

// A setting of the session: refused without one, else one call and a report.
struct COptionCommand {
    const char* refusal;
    int (*call)(int h);
    // The text reported after the call: the library's, or a fixed one.
    std::string (*report)();
};

std::string LibraryReport() {
    return LastLibraryText().text;
}

void RunOption(CCommandContext& c, const COptionCommand& option) {
    if (!c.doc.IsConnected()) {
        c.doc.m_strMessage = option.refusal;
    } else {
        option.call(c.doc.m_hFtp);
        c.doc.m_strMessage = option.report();
    }
    c.doc.RefreshViews();
}

const COptionCommand kAscii{kNotConnected, ftp_setascii, LibraryReport};
const COptionCommand kBinary{kNotConnected, ftp_setbinary, [] {
                                 CLibraryText last = LastLibraryText();
                                 return last.count < 1 ? std::string("no message") : last.text;
                             }};
const COptionCommand kLocalUnique{"No FTP connection.", ftp_localunique, LibraryReport};
const COptionCommand kStoreUnique{"No FTP connection.", ftp_storeunique, LibraryReport};
const COptionCommand kSetActive{"Not login yet", [](int h) { return ftp_SetPassive(h, 0); },
                                [] { return std::string("Set FTP server active"); }};
const COptionCommand kSetPassive{"Not login yet", [](int h) { return ftp_SetPassive(h, 1); },
                                 [] { return std::string("Set FTP server passive"); }};

// Any handle, even none: the library answers for itself.
const CPatternCommand kSetLocalPath{
    dlg::LocalPath, false, nullptr,
    [](int h, const CDialogFields& f) { return ftp_SetLocalPath(h, f.Text(ctl::Edit1).c_str()); }};

}  // namespace

void Ascii(CCommandContext& c) {
    RunOption(c, kAscii);
}
void Binary(CCommandContext& c) {
    RunOption(c, kBinary);
}
void LocalUnique(CCommandContext& c) {
    RunOption(c, kLocalUnique);
}
void StoreUnique(CCommandContext& c) {
    RunOption(c, kStoreUnique);
}
void SetActive(CCommandContext& c) {
    RunOption(c, kSetActive);
}
void SetPassive(CCommandContext& c) {
    RunOption(c, kSetPassive);
}

// Toggles the document's flag; the session, if any, follows it. The text names the new state.
void StatusBox(CCommandContext& c) {
    CBrisel32Doc& doc = c.doc;
    doc.m_strMessage = doc.m_bStatusBox ? "Status Box turned off" : "Status Box turned on";
    doc.m_bStatusBox = doc.m_bStatusBox ? 0 : 1;
    if (doc.IsConnected()) ftp_statusbox(doc.m_hFtp, doc.m_bStatusBox);
    doc.RefreshViews();
}

// Tracing is library-wide: no message and no log line either way.
void TraceOn(CCommandContext& c) {
    if (auto file = c.ui.ChooseFileToOpen("varnix.log")) varnix_enablelog(file->c_str(), 0);
}

void TraceOff(CCommandContext&) {
    varnix_disablelog();
}

void SetLocalPath(CCommandContext& c) {
    RunPatternCommand(c, kSetLocalPath);
}

void ClearLocalPath(CCommandContext& c) {
    {
        CWaitCursor wait(c.ui);
        ftp_ClearLocalPath(c.doc.m_hFtp);
    }
    c.doc.m_strMessage = "Cleared local path setting";
    c.doc.RefreshViews();
}

}  // namespace brisel::commands
