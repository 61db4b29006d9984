// SPDX-License-Identifier: MIT
// Command menu: single and multiple file transfers, remote and local directories, raw
// commands, listings, existence, size and date queries, and Copy File.
#include <functional>
#include <optional>

#include "commands.h"
#include "dialog.h"
#include "document.h"
#include "ids.h"
#include "library_text.h"
#include "pattern_command.h"
#include "session_dialog.h"
#include "temp_file.h"
#include "ui.h"
#include "varnix32.h"
#include "view.h"

namespace brisel::commands {
namespace {

// Text of field `id` for a library call.
const char* Arg(const CDialogFields& f, int id) {
    return f.Text(id).c_str();
}

const CPatternCommand kPut{
    dlg::Put, true,
    [](const CDialogFields& f) {
        return (f.Checked(ctl::Restart) ? "Wait...restarting..." : "Wait...putting ") +
               f.Text(ctl::Edit1);
    },
    [](int h, const CDialogFields& f) {
        return f.Checked(ctl::Restart) ? ftp_RestartPut(h, Arg(f, ctl::Edit1), Arg(f, ctl::Edit2))
                                       : ftp_put(h, Arg(f, ctl::Edit1), Arg(f, ctl::Edit2));
    }};

const CPatternCommand kGet{
    dlg::Get, true,
    [](const CDialogFields& f) {
        return (f.Checked(ctl::Restart) ? "Wait...restarting " : "Wait...getting ") +
               f.Text(ctl::Edit1);
    },
    [](int h, const CDialogFields& f) {
        return f.Checked(ctl::Restart) ? ftp_RestartGet(h, Arg(f, ctl::Edit1), Arg(f, ctl::Edit2))
                                       : ftp_get(h, Arg(f, ctl::Edit1), Arg(f, ctl::Edit2));
    }};

const CPatternCommand kMGet{
    dlg::MGet, true, [](const CDialogFields& f) { return "Wait...getting " + f.Text(ctl::Edit1); },
    [](int h, const CDialogFields& f) { return ftp_mget(h, Arg(f, ctl::Edit1)); }};

const CPatternCommand kMPut{
    dlg::MPut, true, [](const CDialogFields& f) { return "Wait...putting " + f.Text(ctl::Edit1); },
    [](int h, const CDialogFields& f) { return ftp_mput(h, Arg(f, ctl::Edit1), 0); }};

const CPatternCommand kCwd{dlg::Cwd, true, nullptr, [](int h, const CDialogFields& f) {
                               return ftp_cd(h, Arg(f, ctl::Edit1));
                           }};
const CPatternCommand kMkDir{dlg::MkDir, true, nullptr, [](int h, const CDialogFields& f) {
                                 return ftp_mkdir(h, Arg(f, ctl::Edit1));
                             }};
const CPatternCommand kRmDir{dlg::RmDir, true, nullptr, [](int h, const CDialogFields& f) {
                                 return ftp_rmdir(h, Arg(f, ctl::Edit1));
                             }};
const CPatternCommand kDelete{dlg::DeleteFile, true, nullptr, [](int h, const CDialogFields& f) {
                                  return ftp_delete(h, Arg(f, ctl::Edit1));
                              }};
const CPatternCommand kRename{dlg::Rename, true, nullptr, [](int h, const CDialogFields& f) {
                                  return ftp_rename(h, Arg(f, ctl::Edit1), Arg(f, ctl::Edit2));
                              }};
// The local directory needs no session.
const CPatternCommand kChangeLocalDir{
    dlg::ChangeLocalDir, false, nullptr,
    [](int, const CDialogFields& f) { return ftp_lcd(Arg(f, ctl::Edit1)); }};

// File Size and File Date Time: a query whose answer, or nothing when it failed, goes to a
// message box.
void ShowFileInfo(CCommandContext& c, const char* caption, const char* boxCaption,
                  const std::function<std::optional<std::string>(int, const std::string&)>& query) {
    CDialog dialog(dlg::FileInfo, caption);
    if (!c.ui.DoModal(dialog)) return;
    const std::string name = dialog.fields.Text(ctl::Edit1);
    CWaitCursor wait(c.ui);
    std::optional<std::string> answer;
    bool asked = c.doc.IsConnected();
    if (asked) answer = query(c.doc.m_hFtp, name);
    wait.End();
    if (asked) {
        c.ui.MessageBox(
            answer ? *answer
                   : "File " + name + " does not exist or command not supported by server.",
            boxCaption);
    }
    c.ui.Repaint(c.view);
}

}  // namespace

void Put(CCommandContext& c) {
    RunPatternCommand(c, kPut);
}
void Get(CCommandContext& c) {
    RunPatternCommand(c, kGet);
}
void MGet(CCommandContext& c) {
    RunPatternCommand(c, kMGet);
}
void MPut(CCommandContext& c) {
    RunPatternCommand(c, kMPut);
}
void Cwd(CCommandContext& c) {
    RunPatternCommand(c, kCwd);
}
void MkDir(CCommandContext& c) {
    RunPatternCommand(c, kMkDir);
}
void RmDir(CCommandContext& c) {
    RunPatternCommand(c, kRmDir);
}
void DeleteFile(CCommandContext& c) {
    RunPatternCommand(c, kDelete);
}
void RenameFile(CCommandContext& c) {
    RunPatternCommand(c, kRename);
}
void ChangeLocalDir(CCommandContext& c) {
    RunPatternCommand(c, kChangeLocalDir);
}

// Asks the library first, then shows the path; whatever the dialog does, the library's text is
// the outcome.
void Pwd(CCommandContext& c) {
    CDialog dialog(dlg::Pwd);
    {
        CWaitCursor wait(c.ui);
        char buffer[512] = "";
        ftp_pwd(c.doc.m_hFtp, buffer, sizeof buffer);
        dialog.fields.Text(ctl::Edit1) = BufferText(buffer, sizeof buffer);
    }
    c.ui.DoModal(dialog);
    c.doc.m_strMessage = LastLibraryText().text;
    c.doc.RefreshViews();
}

void DirList(CCommandContext& c) {
    RunSessionDialog(c, dlg::DirList, [](CBrisel32Doc& doc, CDialog& dialog, CDialogHost& host) {
        CTempFile listing("ftp");  // deleted again whatever happens
        CDialogFields& f = dialog.fields;
        const std::string& directory = f.Text(ctl::Edit1);
        int result = f.Checked(ctl::LongListing)
                         ? ftp_dir(doc.m_hFtp, directory.c_str(), listing.Path().c_str())
                         : ftp_ls(doc.m_hFtp, directory.c_str(), listing.Path().c_str());
        // A failed listing leaves the previous one in the dialog.
        if (result == 0) f.Text(ctl::Edit2) = listing.ReadAsText(1024);
        host.UpdateControls();
        doc.m_strMessage = LastLibraryText().text;
    });
}

// The reply goes to the dialog only; the log is not touched.
void Quote(CCommandContext& c) {
    RunSessionDialog(
        c, dlg::Quote,
        [](CBrisel32Doc& doc, CDialog& dialog, CDialogHost& host) {
            CDialogFields& f = dialog.fields;
            char reply[1024] = "";
            ftp_quote(doc.m_hFtp, f.Text(ctl::Edit1).c_str(), reply, sizeof reply);
            f.Text(ctl::Edit2) = BufferText(reply, sizeof reply);
            host.UpdateControls();
        },
        false);
}

void FileExist(CCommandContext& c) {
    RunSessionDialog(c, dlg::FileExist, [](CBrisel32Doc& doc, CDialog& dialog, CDialogHost& host) {
        const std::string name = dialog.fields.Text(ctl::Edit1);
        bool exists = ftp_Exists(doc.m_hFtp, name.c_str()) != 0;
        host.UpdateControls();
        doc.m_strMessage = name + (exists ? " exists" : " does not exist");
    });
}

void FileSize(CCommandContext& c) {
    ShowFileInfo(c, "Query File Size:", "File Size",
                 [](int h, const std::string& name) -> std::optional<std::string> {
                     long long size = ftp_GetFileSize(h, name.c_str());
                     if (size < 0) return std::nullopt;
                     return "File size of " + name + " = " + std::to_string(size);
                 });
}

void FileDateTime(CCommandContext& c) {
    ShowFileInfo(c, "Query File Datetime:", "File Datetime",
                 [](int h, const std::string& name) -> std::optional<std::string> {
                     char buffer[80] = "";
                     if (ftp_GetFileDateTime(h, name.c_str(), buffer, sizeof buffer, "") != 0)
                         return std::nullopt;
                     return "File date time of " + name + " = " + BufferText(buffer, sizeof buffer);
                 });
}

// A local copy made by the library; no session, no log line.
void CopyFile(CCommandContext& c) {
    CDialog dialog(dlg::CopyFile);
    if (!c.ui.DoModal(dialog)) return;
    int copied =
        f_copyfile(dialog.fields.Text(ctl::Edit1).c_str(), dialog.fields.Text(ctl::Edit2).c_str());
    c.ui.MessageBox(copied ? "File copied." : "Copy failed.", "Copy File");
}

}  // namespace brisel::commands
