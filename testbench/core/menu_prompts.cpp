// SPDX-License-Identifier: MIT
// The prompt of each menu command, shown in the status bar while the pointer is on its item.
#include <map>

#include "ids.h"
#include "menus.h"

namespace brisel {

std::string MenuPrompt(int id) {
    static const std::map<int, std::string> prompts{
        {cmd::FileNew, "Create a new connection window"},
        {cmd::FileOpen, "Open a saved log"},
        {cmd::FileClose, "Close the active window"},
        {cmd::FileSave, "Save the log of the active window"},
        {cmd::FileSaveAs, "Save the log of the active window under a new name"},
        {cmd::FilePrintSetup, "Change the printer and printing options"},
        {cmd::FilePrint, "Print the log of the active window"},
        {cmd::FilePrintPreview, "Show the log as it would be printed"},
        {cmd::CopyFile, "Copy a local file"},
        {cmd::AppExit, "Quit the application"},
        {cmd::EditUndo, "Undo the last action"},
        {cmd::EditCut, "Cut the selection to the clipboard"},
        {cmd::EditCopy, "Copy the selection to the clipboard"},
        {cmd::EditPaste, "Insert the clipboard's contents"},
        {cmd::Login, "Log in to an FTP server"},
        {cmd::ReLogin, "Log in again on the open connection as another user"},
        {cmd::Logout, "Quit the FTP session"},
        {cmd::GateLogin, "Log in to a further host through the gateway"},
        {cmd::LoginPort, "Log in to an FTP server on a given port"},
        {cmd::IsConnected, "Check whether the FTP session is alive"},
        {cmd::Abort, "Abort the transfer under way"},
        {cmd::Put, "Upload a local file"},
        {cmd::Get, "Download a remote file"},
        {cmd::Cwd, "Change the remote directory"},
        {cmd::Pwd, "Show the remote working directory"},
        {cmd::MGet, "Download the remote files that match a pattern"},
        {cmd::MPut, "Upload the local files that match a pattern"},
        {cmd::DirList, "List a remote directory into a local file"},
        {cmd::Quote, "Send a raw command to the server"},
        {cmd::MkDir, "Create a remote directory"},
        {cmd::RmDir, "Remove a remote directory"},
        {cmd::DeleteFile, "Delete a remote file"},
        {cmd::RenameFile, "Rename a remote file"},
        {cmd::ChangeLocalDir, "Change the local directory"},
        {cmd::FileExist, "Check whether a remote file exists"},
        {cmd::FileSize, "Show the size of a remote file"},
        {cmd::FileDateTime, "Show the date and time of a remote file"},
        {cmd::ReadDirList, "Read a remote directory listing into a window"},
        {cmd::ReadGet, "Read a remote file into a window"},
        {cmd::WritePut, "Write typed text to a remote file"},
        {cmd::LoopGet, "Download a file again and again, and time it"},
        {cmd::LoopPut, "Upload a file again and again, and time it"},
        {cmd::PutListFiles, "Upload every file named in a list file"},
        {cmd::RemoteToRemotePut, "Copy a file from one server to another"},
        {cmd::RemoteToRemoteAppend, "Append a file of one server to a file of another"},
        {cmd::TestWeb, "Send a request to a web server and show its answer"},
        {cmd::Ascii, "Transfer files as text"},
        {cmd::Binary, "Transfer files unchanged"},
        {cmd::LocalUnique, "Give downloaded files a local name not yet taken"},
        {cmd::StoreUnique, "Let the server give uploaded files a name not yet taken"},
        {cmd::StatusBox, "Turn the transfer status box on or off"},
        {cmd::SetActive, "Let the server connect for data transfers"},
        {cmd::SetPassive, "Connect to the server for data transfers"},
        {cmd::TraceOn, "Start tracing the library's traffic into a file"},
        {cmd::TraceOff, "Stop tracing"},
        {cmd::SetLocalPath, "Set the directory of local file names"},
        {cmd::ClearLocalPath, "Clear the directory of local file names"},
        {cmd::WindowNew, "Open another window on the active connection"},
        {cmd::WindowCascade, "Arrange the windows so that they overlap"},
        {cmd::WindowTile, "Arrange the windows side by side"},
        {cmd::WindowArrange, "Arrange the icons of minimized windows"},
        {cmd::AppAbout, "Show the program's and the library's versions"},
        {cmd::ViewToolbar, "Show or hide the toolbar"},
        {cmd::ViewStatusBar, "Show or hide the status bar"},
    };
    if (id >= cmd::FileMruFirst && id < cmd::FileMruFirst + 16) return "Open this log";
    auto it = prompts.find(id);
    return it == prompts.end() ? std::string() : it->second;
}

}  // namespace brisel
