// SPDX-License-Identifier: MIT
// ReadDirList, ReadGet and WritePut: listings and files read and written through the library's
// stream interface, each run from the OK button of a dialog that stays open.
#include <algorithm>
#include <climits>

#include "commands.h"
#include "dialog.h"
#include "document.h"
#include "ids.h"
#include "library_text.h"
#include "session_dialog.h"
#include "ui.h"
#include "varnix32.h"

namespace brisel::commands {
namespace {

// The library always keeps its last text, also after a success (the last server reply), so its
// text is reported as the outcome of a stream only when a call of the stream failed.
std::string StreamOutcome(bool failed, const std::string& success) {
    CLibraryText last = LastLibraryText();
    return failed && last.count > 0 ? last.text : success;
}

// Reads the open read stream to its end, each chunk appended as text; `chunkRead` runs after
// every chunk with the size the text had before it. Returns the bytes read, and in `failed`
// whether the stream broke.
template <typename OnChunk>
long long ReadStream(int h, std::string& text, bool& failed, OnChunk chunkRead) {
    char buffer[1024 + 1];
    long long total = 0;
    int n;
    while ((n = ftp_readdata(h, buffer, 1024)) > 0) {
        total += n;
        const std::size_t before = text.size();
        AppendAsText(text, buffer, static_cast<std::size_t>(n));
        chunkRead(before);
    }
    failed = n < 0;
    return total;
}

void ReadListing(CBrisel32Doc& doc, CDialog& dialog, CDialogHost& host) {
    CDialogFields& f = dialog.fields;
    const std::string& mask = f.Text(ctl::Edit1);
    int opened = f.Checked(ctl::LongListing) ? ftp_openreadfordir(doc.m_hFtp, mask.c_str())
                                             : ftp_openreadforlist(doc.m_hFtp, mask.c_str());
    if (opened != 0) {
        // Without a text of the library the previous line is shown again.
        CLibraryText last = LastLibraryText();
        if (last.count > 0) doc.m_strMessage = last.text;
        return;
    }
    std::string& listing = f.Text(ctl::Edit2);
    listing.clear();
    bool failed = false;
    ReadStream(doc.m_hFtp, listing, failed, [](std::size_t) {});
    failed = ftp_closeread(doc.m_hFtp) != 0 || failed;
    host.UpdateControls();
    doc.m_strMessage = StreamOutcome(failed, "Read directory completed successfully");
}

void ReadFile(CBrisel32Doc& doc, CDialog& dialog, CDialogHost& host) {
    CDialogFields& f = dialog.fields;
    long long count = 0;
    bool failed = ftp_openreadforget(doc.m_hFtp, f.Text(ctl::Edit1).c_str()) != 0;
    if (!failed) {
        std::string& content = f.Text(ctl::Edit2);
        content.clear();
        // The content grows on screen while the file arrives: emptied first, then each chunk
        // added to what the control shows.
        host.UpdateControls();
        count = ReadStream(doc.m_hFtp, content, failed,
                           [&host](std::size_t before) { host.ShowAppended(ctl::Edit2, before); });
        failed = ftp_closeread(doc.m_hFtp) != 0 || failed;
    }
    host.UpdateControls();
    doc.m_strMessage = StreamOutcome(failed, "ReadGet: bytes read: " + std::to_string(count));
}

void WriteFile(CBrisel32Doc& doc, CDialog& dialog, CDialogHost&) {
    const CDialogFields& f = dialog.fields;
    const std::string& text = f.Text(ctl::Edit2);  // line ends as the control holds them: CR LF
    const std::string& file = f.Text(ctl::Edit1);
    const int length = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
    int opened = f.Checked(ctl::LongListing)
                     ? ftp_openwriteforappend(doc.m_hFtp, file.c_str(), length)
                     : ftp_openwriteforput(doc.m_hFtp, file.c_str(), length);
    if (opened == 0) {
        ftp_writedata(doc.m_hFtp, text.data(), length);
        ftp_closewrite(doc.m_hFtp);
    }
    doc.m_strMessage = LastLibraryText().text;
}

}  // namespace

void ReadDirList(CCommandContext& c) {
    RunSessionDialog(c, dlg::ReadDirList, ReadListing);
}

void ReadGet(CCommandContext& c) {
    RunSessionDialog(c, dlg::ReadGet, ReadFile);
}

void WritePut(CCommandContext& c) {
    RunSessionDialog(c, dlg::WritePut, WriteFile);
}

}  // namespace brisel::commands
