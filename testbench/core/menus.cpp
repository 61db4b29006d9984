// SPDX-License-Identifier: MIT
#include "menus.h"

#include "ids.h"

namespace brisel {
namespace {

CMenuItem Item(std::string text, int id) {
    return {std::move(text), id, {}, false};
}
CMenuItem Separator() {
    return {};
}
CMenuItem RecentFiles() {
    return {"Recent File", 0, {}, true};
}

}  // namespace

const std::vector<CMenu>& MenuNoDocument() {
    static const std::vector<CMenu> menu{
        {"&File",
         {Item("&New\tCtrl+N", cmd::FileNew), Item("&Open...\tCtrl+O", cmd::FileOpen), Separator(),
          Item("P&rint Setup...", cmd::FilePrintSetup), Separator(), RecentFiles(), Separator(),
          Item("E&xit", cmd::AppExit)}},
        {"&View", {Item("&Toolbar", cmd::ViewToolbar), Item("&Status Bar", cmd::ViewStatusBar)}},
        {"&Help", {Item("&About brisel32...", cmd::AppAbout)}},
    };
    return menu;
}

const std::vector<CMenu>& MenuDocument() {
    static const std::vector<CMenu> menu{
        {"&File",
         {Item("&New\tCtrl+N", cmd::FileNew), Item("&Close", cmd::FileClose),
          Item("Save &As...", cmd::FileSaveAs), Separator(),
          Item("&Print...\tCtrl+P", cmd::FilePrint), Item("Print Pre&view", cmd::FilePrintPreview),
          Item("P&rint Setup...", cmd::FilePrintSetup), Separator(),
          Item("Copy&File", cmd::CopyFile), Separator(), Item("E&xit", cmd::AppExit)}},
        {"&Edit",
         {Item("&Undo\tCtrl+Z", cmd::EditUndo), Separator(), Item("Cu&t\tCtrl+X", cmd::EditCut),
          Item("&Copy\tCtrl+C", cmd::EditCopy), Item("&Paste\tCtrl+V", cmd::EditPaste)}},
        {"&Connection",
         {Item("&Login", cmd::Login), Item("&ReLogin", cmd::ReLogin), Item("L&ogout", cmd::Logout),
          Item("GateLogin", cmd::GateLogin), Item("LoginPort", cmd::LoginPort),
          Item("IsConnected", cmd::IsConnected)}},
        {"C&ommand",
         {Item("Ab&ort", cmd::Abort),
          Separator(),
          Item("&Put", cmd::Put),
          Item("&Get", cmd::Get),
          Item("&CWD", cmd::Cwd),
          Item("PWD", cmd::Pwd),
          Item("&MGet", cmd::MGet),
          Item("MP&ut", cmd::MPut),
          Item("D&irList", cmd::DirList),
          Item("&Quote", cmd::Quote),
          Item("MkDir", cmd::MkDir),
          Item("RmDir", cmd::RmDir),
          Item("DeleteFile", cmd::DeleteFile),
          Item("RenameFile", cmd::RenameFile),
          Item("ChangeLocalDir", cmd::ChangeLocalDir),
          Item("FileExist", cmd::FileExist),
          Item("File Size", cmd::FileSize),
          Item("File Date Time", cmd::FileDateTime),
          Separator(),
          Item("ReadDirList", cmd::ReadDirList),
          Item("ReadGet", cmd::ReadGet),
          Item("WritePut", cmd::WritePut),
          {"Loop Tests...", 0, {Item("Get", cmd::LoopGet), Item("Put", cmd::LoopPut)}, false},
          Item("Put List Files", cmd::PutListFiles),
          Item("RemoteToRemotePut", cmd::RemoteToRemotePut),
          Item("RemoteToRemoteAppend", cmd::RemoteToRemoteAppend)}},
        {"www", {Item("Test Web", cmd::TestWeb)}},
        {"&Options",
         {Item("&Ascii", cmd::Ascii), Item("&Binary", cmd::Binary),
          Item("&LocalUnique", cmd::LocalUnique), Item("S&toreUnique", cmd::StoreUnique),
          Item("&Status Box", cmd::StatusBox), Item("SetActi&ve", cmd::SetActive),
          Item("Set&Passive", cmd::SetPassive), Item("&TraceOn", cmd::TraceOn),
          Item("Trace&Off", cmd::TraceOff), Item("SetLocalPath", cmd::SetLocalPath),
          Item("ClearLocalPath", cmd::ClearLocalPath)}},
        {"&Window",
         {Item("&New Window", cmd::WindowNew), Item("&Cascade", cmd::WindowCascade),
          Item("&Tile", cmd::WindowTile), Item("&Arrange Icons", cmd::WindowArrange)}},
        {"&Help", {Item("&About brisel...", cmd::AppAbout)}},
    };
    return menu;
}

const std::vector<CAccelerator>& Accelerators() {
    static const std::vector<CAccelerator> keys{
        {"Ctrl+N", cmd::FileNew},    {"Ctrl+O", cmd::FileOpen},   {"Ctrl+S", cmd::FileSave},
        {"Ctrl+P", cmd::FilePrint},  {"Ctrl+Z", cmd::EditUndo},   {"Alt+Backspace", cmd::EditUndo},
        {"Ctrl+X", cmd::EditCut},    {"Shift+Del", cmd::EditCut}, {"Ctrl+C", cmd::EditCopy},
        {"Ctrl+Ins", cmd::EditCopy}, {"Ctrl+V", cmd::EditPaste},  {"Shift+Ins", cmd::EditPaste},
        {"F6", cmd::NextPane},       {"Shift+F6", cmd::PrevPane},
    };
    return keys;
}

const std::vector<int>& ToolbarButtons() {
    static const std::vector<int> buttons{cmd::FileNew,   cmd::FileOpen, cmd::FileSave,  0,
                                          cmd::EditCut,   cmd::EditCopy, cmd::EditPaste, 0,
                                          cmd::FilePrint, cmd::AppAbout};
    return buttons;
}

std::string PlainMenuText(const std::string& text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size() && text[i] != '\t'; ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') plain += text[++i];
            continue;
        }
        plain += text[i];
    }
    while (!plain.empty() && plain.back() == '.')
        plain.pop_back();
    return plain;
}

std::vector<CNamedCommand> NamedCommands() {
    std::vector<CNamedCommand> named;
    auto add = [&named](const std::string& name, int id) {
        for (const auto& n : named)
            if (n.name == name) return;
        named.push_back({name, id});
    };
    for (const auto* menus : {&MenuDocument(), &MenuNoDocument()}) {
        for (const CMenu& menu : *menus) {
            for (const CMenuItem& item : menu.items) {
                if (item.id) add(PlainMenuText(item.text), item.id);
                for (const CMenuItem& sub : item.submenu)
                    add(PlainMenuText(item.text) + " " + PlainMenuText(sub.text), sub.id);
            }
        }
    }
    return named;
}

}  // namespace brisel
