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
