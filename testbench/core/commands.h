// SPDX-License-Identifier: MIT
// The menu commands of the test bench. Each runs against the active document and view through
// the UI operations of CBriselUi; none of them touches a window directly.
#pragma once

#include <string>
#include <vector>

namespace brisel {

class CBriselUi;
class CBrisel32Doc;
class CBrisel32View;

struct CCommandContext {
    CBriselUi& ui;
    CBrisel32Doc& doc;    // the active document
    CBrisel32View& view;  // the active view (a view command works on the view's document)
};

// Who handles a command: the document or its view. It decides nothing here but is kept with
// each command, since it says on which object a command's state lives.
enum class Receiver { Document, View };

struct CCommand {
    int id;
    Receiver receiver;
    void (*run)(CCommandContext&);
};

// Every command of the Connection, Command, www and Options menus, and Copy File.
const std::vector<CCommand>& CommandTable();
const CCommand* FindCommand(int id);
// Runs the command with that id; false when the id is not a command of the test bench.
bool RunCommand(int id, CCommandContext& context);

// The About box (dialog 100) with the library's version. It needs no document.
void ShowAbout(CBriselUi& ui);
// The version line of the About box: "Varnix32.dll version 3.50" for 350.
std::string LibraryVersionText(int hundredths);

// Commands, by the menu they belong to.
namespace commands {
// Connection
void Login(CCommandContext& c);
void ReLogin(CCommandContext& c);
void Logout(CCommandContext& c);
void GateLogin(CCommandContext& c);
void LoginPort(CCommandContext& c);
void IsConnected(CCommandContext& c);
void Abort(CCommandContext& c);
// Transfers and file operations
void Put(CCommandContext& c);
void Get(CCommandContext& c);
void MGet(CCommandContext& c);
void MPut(CCommandContext& c);
void Cwd(CCommandContext& c);
void MkDir(CCommandContext& c);
void RmDir(CCommandContext& c);
void DeleteFile(CCommandContext& c);
void RenameFile(CCommandContext& c);
void ChangeLocalDir(CCommandContext& c);
void Pwd(CCommandContext& c);
void DirList(CCommandContext& c);
void Quote(CCommandContext& c);
void FileExist(CCommandContext& c);
void FileSize(CCommandContext& c);
void FileDateTime(CCommandContext& c);
void CopyFile(CCommandContext& c);
// Streams, loops, remote-to-remote, web
void ReadDirList(CCommandContext& c);
void ReadGet(CCommandContext& c);
void WritePut(CCommandContext& c);
void LoopGet(CCommandContext& c);
void LoopPut(CCommandContext& c);
void PutListFiles(CCommandContext& c);
void RemoteToRemotePut(CCommandContext& c);
void RemoteToRemoteAppend(CCommandContext& c);
void TestWeb(CCommandContext& c);
// Options
void Ascii(CCommandContext& c);
void Binary(CCommandContext& c);
void LocalUnique(CCommandContext& c);
void StoreUnique(CCommandContext& c);
void StatusBox(CCommandContext& c);
void SetActive(CCommandContext& c);
void SetPassive(CCommandContext& c);
void TraceOn(CCommandContext& c);
void TraceOff(CCommandContext& c);
void SetLocalPath(CCommandContext& c);
void ClearLocalPath(CCommandContext& c);
}  // namespace commands

}  // namespace brisel
