// SPDX-License-Identifier: MIT
#include "commands.h"

#include <cstdio>

#include "dialog.h"
#include "ids.h"
#include "ui.h"
#include "varnix32.h"

namespace brisel {

const std::vector<CCommand>& CommandTable() {
    using R = Receiver;
    namespace c = commands;
    static const std::vector<CCommand> table{
        {cmd::Login, R::Document, c::Login},
        {cmd::ReLogin, R::Document, c::ReLogin},
        {cmd::Logout, R::Document, c::Logout},
        {cmd::GateLogin, R::Document, c::GateLogin},
        {cmd::LoginPort, R::Document, c::LoginPort},
        {cmd::IsConnected, R::View, c::IsConnected},
        {cmd::Abort, R::Document, c::Abort},
        {cmd::Put, R::Document, c::Put},
        {cmd::Get, R::Document, c::Get},
        {cmd::Cwd, R::Document, c::Cwd},
        {cmd::Pwd, R::Document, c::Pwd},
        {cmd::MGet, R::Document, c::MGet},
        {cmd::MPut, R::Document, c::MPut},
        {cmd::DirList, R::View, c::DirList},
        {cmd::Quote, R::View, c::Quote},
        {cmd::MkDir, R::Document, c::MkDir},
        {cmd::RmDir, R::Document, c::RmDir},
        {cmd::DeleteFile, R::Document, c::DeleteFile},
        {cmd::RenameFile, R::Document, c::RenameFile},
        {cmd::ChangeLocalDir, R::Document, c::ChangeLocalDir},
        {cmd::FileExist, R::View, c::FileExist},
        {cmd::FileSize, R::View, c::FileSize},
        {cmd::FileDateTime, R::View, c::FileDateTime},
        {cmd::CopyFile, R::View, c::CopyFile},
        {cmd::ReadDirList, R::View, c::ReadDirList},
        {cmd::ReadGet, R::View, c::ReadGet},
        {cmd::WritePut, R::View, c::WritePut},
        {cmd::LoopGet, R::Document, c::LoopGet},
        {cmd::LoopPut, R::Document, c::LoopPut},
        {cmd::PutListFiles, R::Document, c::PutListFiles},
        {cmd::RemoteToRemotePut, R::Document, c::RemoteToRemotePut},
        {cmd::RemoteToRemoteAppend, R::Document, c::RemoteToRemoteAppend},
        {cmd::TestWeb, R::View, c::TestWeb},
        {cmd::Ascii, R::Document, c::Ascii},
        {cmd::Binary, R::Document, c::Binary},
        {cmd::LocalUnique, R::Document, c::LocalUnique},
        {cmd::StoreUnique, R::Document, c::StoreUnique},
        {cmd::StatusBox, R::View, c::StatusBox},
        {cmd::SetActive, R::Document, c::SetActive},
        {cmd::SetPassive, R::Document, c::SetPassive},
        {cmd::TraceOn, R::View, c::TraceOn},
        {cmd::TraceOff, R::View, c::TraceOff},
        {cmd::SetLocalPath, R::Document, c::SetLocalPath},
        {cmd::ClearLocalPath, R::Document, c::ClearLocalPath},
    };
    return table;
}

const CCommand* FindCommand(int id) {
    for (const CCommand& command : CommandTable())
        if (command.id == id) return &command;
    return nullptr;
}

bool RunCommand(int id, CCommandContext& context) {
    const CCommand* command = FindCommand(id);
    if (!command) return false;
    command->run(context);
    return true;
}

std::string LibraryVersionText(int hundredths) {
    char number[32];
    std::snprintf(number, sizeof number, "%.2f", hundredths * 0.01);
    return std::string("Varnix32.dll version ") + number;
}

void ShowAbout(CBriselUi& ui) {
    CDialog about(dlg::About);
    about.fields.Text(ctl::Edit1) = LibraryVersionText(varnix_version());
    ui.DoModal(about);
}

}  // namespace brisel
