// SPDX-License-Identifier: MIT
#include "dialog_layout.h"

#include <stdexcept>

#include "ids.h"

namespace brisel {
namespace {

using K = ControlKind;

CControlLayout Make(int id, std::string label, K kind, int target = 0, std::string initial = {},
                    bool readOnly = false) {
    CControlLayout c{id, std::move(label), kind, target, std::move(initial), readOnly};
    return c;
}
CControlLayout Text(int id, std::string label) {
    return Make(id, std::move(label), K::Text);
}
CControlLayout Password(int id, std::string label) {
    return Make(id, std::move(label), K::Password);
}
CControlLayout Check(int id, std::string label) {
    return Make(id, std::move(label), K::Check);
}
CControlLayout Integer(int id, std::string label) {
    return Make(id, std::move(label), K::Integer);
}
CControlLayout MultiLine(int id, std::string label) {
    return Make(id, std::move(label), K::MultiLine);
}
CControlLayout Output(int id, std::string label, bool readOnly = false) {
    return Make(id, std::move(label), K::Output, 0, {}, readOnly);
}
CControlLayout Browse(int id, std::string label, int target, std::string initial = "*.*") {
    return Make(id, std::move(label), K::Browse, target, std::move(initial));
}
CControlLayout Static(std::string text) {
    return Make(ctl::Static, std::move(text), K::Static);
}

std::vector<CDialogLayout> BuildLayouts() {
    using namespace ctl;
    return {
        {dlg::About,
         "About brisel32",
         {Make(ctl::Static, "", K::Icon), Static("brisel32 Version " BRISEL32_VERSION),
          Make(Edit1, "", K::Text, 0, {}, true)},
         false},
        // Connections
        {dlg::Login,
         "FTP LOGIN",
         {Text(Edit1, "Host Name:"), Text(Edit2, "Username:"), Password(Edit3, "Password:")}},
        {dlg::ReLogin, "ReLogin", {Text(Edit1, "UserName:"), Text(Edit2, "Password:")}},
        {dlg::GateLogin,
         "GATEWAY LOGIN",
         {Text(Edit1, "Host Name:"), Text(Edit2, "Username:"), Text(Edit3, "Password:")}},
        {dlg::LoginPort,
         "FTP LOGIN",
         {Text(Edit1, "Host Name:"), Text(Edit2, "Username:"), Password(Edit3, "Password:"),
          Make(Port, "Port:", K::Digits)}},
        // Transfers and file operations
        {dlg::Put,
         "Put file",
         {Text(Edit1, "Local file"), Text(Edit2, "Remote file"), Check(Restart, "Restart"),
          Browse(FileButton, "File...", Edit1)}},
        {dlg::Get,
         "Get File",
         {Text(Edit1, "Remote file"), Text(Edit2, "Local file"), Browse(BrowseLocal, "...", Edit2),
          Check(Restart, "Restart")}},
        {dlg::MGet, "MGET", {Text(Edit1, "Remote file:")}},
        {dlg::MPut, "MPUT", {Text(Edit1, "Local File:"), Browse(FileButton, "File...", Edit1)}},
        {dlg::Cwd, "Change Directory", {Text(Edit1, "Remote Dir")}},
        {dlg::DirList,
         "Directory Listing",
         {Text(Edit1, "Directory:"), Check(LongListing, "Long Listing"), Output(Edit2, "")}},
        {dlg::Quote, "FTP Quote", {Text(Edit1, "Command:"), Output(Edit2, "", true)}},
        {dlg::RmDir, "Delete Directory", {Text(Edit1, "Directory Name:")}},
        {dlg::DeleteFile, "Delete File", {Text(Edit1, "FileName:")}},
        {dlg::MkDir, "Make Directory", {Text(Edit1, "Directory Name:")}},
        {dlg::ChangeLocalDir, "Change Local Directory", {Text(Edit1, "Directory Name:")}},
        {dlg::Rename, "Rename File", {Text(Edit1, "From:"), Text(Edit2, "To:")}},
        {dlg::FileExist, "File Exist", {Text(Edit1, "Remote File")}},
        {dlg::CopyFile,
         "Copy File",
         {Text(Edit1, "From:"), Browse(BrowseFrom, "...", Edit1), Text(Edit2, "To:"),
          Browse(BrowseTo, "...", Edit2)}},
        {dlg::Pwd, "PWD", {Text(Edit1, "Working Path:")}},
        {dlg::FileInfo, "File Size", {Text(Edit1, "Remote File")}},
        // Streams, loops, remote-to-remote, web
        {dlg::TestWeb,
         "Test WWW Function",
         {Text(Edit1, "Web Site:"), MultiLine(Edit2, "Web command:"),
          Output(Edit3, "Received Data:")}},
        {dlg::ReadDirList,
         "Directory Listing",
         {Text(Edit1, "Directory:"), Check(LongListing, "Long Listing"), Output(Edit2, "")}},
        {dlg::ReadGet, "Read Remote File", {Text(Edit1, "Filename:"), Output(Edit2, "")}},
        {dlg::WritePut,
         "Write to Remote File",
         {Text(Edit1, "Filename"), Check(LongListing, "Append"), MultiLine(Edit2, "")}},
        {dlg::LoopPut,
         "Put file",
         {Text(Edit1, "Local file"), Text(Edit2, "Remote file"), Integer(Loops, "Number of Loops:"),
          Check(Relogin, "Relogin everytime."), Browse(FileButton, "File...", Edit1)}},
        {dlg::LoopGet,
         "Get File",
         {Text(Edit1, "Remote file"), Text(Edit2, "Local file"), Integer(Edit3, "Number of Loops:"),
          Check(Relogin, "Relogin everytime")}},
        {dlg::PutList,
         "Put List of Files",
         {Text(Edit1, "List File Name:"), Browse(FileButton, "File...", Edit1, "*.txt")}},
        {dlg::HostList, "FTP Host List", {Make(HostList, "", K::List)}},
        {dlg::RemoteTransfer,
         "Remote To Remote Transfer",
         {Text(Edit1, "From:"), Text(Edit2, "To:"), Check(Restart, "Restart")}},
        // Options
        {dlg::LocalPath,
         "Set Local Path",
         {Text(Edit1, "Path Name:"), Static("Example: C:\\Windows")}},
    };
}

}  // namespace

const CControlLayout* CDialogLayout::Control(int controlId) const {
    for (const auto& c : controls)
        if (c.id == controlId) return &c;
    return nullptr;
}

const std::vector<CDialogLayout>& AllDialogLayouts() {
    static const std::vector<CDialogLayout> layouts = BuildLayouts();
    return layouts;
}

const CDialogLayout& DialogLayout(int id) {
    for (const auto& layout : AllDialogLayouts())
        if (layout.id == id) return layout;
    throw std::out_of_range("no dialog " + std::to_string(id));
}

bool IsInputControl(const CControlLayout& control) {
    switch (control.kind) {
        case ControlKind::Output:
        case ControlKind::Browse:
        case ControlKind::Static:
        case ControlKind::Icon:
            return false;
        default:
            return !control.readOnly;
    }
}

bool IsNumberControl(const CControlLayout& control) {
    return control.kind == ControlKind::Integer || control.kind == ControlKind::Digits ||
           control.kind == ControlKind::Check || control.kind == ControlKind::List;
}

}  // namespace brisel
