// SPDX-License-Identifier: MIT
// Resource ids of the test bench: menu commands, dialog templates and dialog controls.
// They are the program's public vocabulary: menus, scripts of the console front end and the
// tests name commands and controls by these numbers.
#pragma once

namespace brisel {

// Framework commands (File, Edit, View, Window, Help).
namespace cmd {
inline constexpr int FileNew = 57600;
inline constexpr int FileOpen = 57601;
inline constexpr int FileClose = 57602;
inline constexpr int FileSave = 57603;
inline constexpr int FileSaveAs = 57604;
inline constexpr int FilePrintSetup = 57606;
inline constexpr int FilePrint = 57607;
inline constexpr int FilePrintPreview = 57609;
inline constexpr int FileMruFirst = 57616;  // the recent-file list, 4 entries
inline constexpr int EditCopy = 57634;
inline constexpr int EditCut = 57635;
inline constexpr int EditPaste = 57637;
inline constexpr int EditUndo = 57643;
inline constexpr int WindowNew = 57648;
inline constexpr int WindowArrange = 57649;
inline constexpr int WindowCascade = 57650;
inline constexpr int WindowTile = 57651;
inline constexpr int AppAbout = 57664;
inline constexpr int AppExit = 57665;
inline constexpr int NextPane = 57680;
inline constexpr int PrevPane = 57681;
inline constexpr int ViewToolbar = 59392;
inline constexpr int ViewStatusBar = 59393;

// Commands of the test bench.
inline constexpr int ReadDirList = 32771;
inline constexpr int ReadGet = 32772;
inline constexpr int WritePut = 32773;
inline constexpr int Put = 32774;
inline constexpr int Get = 32775;
inline constexpr int Cwd = 32776;
inline constexpr int TestWeb = 32777;
inline constexpr int MGet = 32778;
inline constexpr int MPut = 32779;
inline constexpr int DirList = 32780;
inline constexpr int Quote = 32781;
inline constexpr int Binary = 32782;
inline constexpr int Ascii = 32783;
inline constexpr int LoopGet = 32785;
inline constexpr int LoopPut = 32786;
inline constexpr int DeleteFile = 32787;
inline constexpr int ChangeLocalDir = 32788;
inline constexpr int MkDir = 32789;
inline constexpr int RmDir = 32790;
inline constexpr int RenameFile = 32791;
inline constexpr int TraceOn = 32792;
inline constexpr int TraceOff = 32793;
inline constexpr int LocalUnique = 32794;
inline constexpr int StoreUnique = 32795;
inline constexpr int Login = 32796;
inline constexpr int ReLogin = 32797;
inline constexpr int Logout = 32798;
inline constexpr int GateLogin = 32799;
inline constexpr int IsConnected = 32800;
inline constexpr int Abort = 32801;
inline constexpr int StatusBox = 32802;
inline constexpr int PutListFiles = 32804;
inline constexpr int FileExist = 32805;
inline constexpr int SetLocalPath = 32806;
inline constexpr int ClearLocalPath = 32807;
inline constexpr int LoginPort = 32810;
inline constexpr int SetPassive = 32811;
inline constexpr int SetActive = 32812;
inline constexpr int CopyFile = 32813;
inline constexpr int Pwd = 32814;
inline constexpr int RemoteToRemotePut = 32815;
inline constexpr int RemoteToRemoteAppend = 32816;
inline constexpr int FileSize = 32817;
inline constexpr int FileDateTime = 32818;
}  // namespace cmd

// Dialog templates.
namespace dlg {
inline constexpr int About = 100;
inline constexpr int Login = 130;
inline constexpr int Put = 131;
inline constexpr int Get = 132;
inline constexpr int MGet = 133;
inline constexpr int MPut = 134;
inline constexpr int Cwd = 135;
inline constexpr int DirList = 136;
inline constexpr int Quote = 137;
inline constexpr int ReLogin = 139;
inline constexpr int TestWeb = 140;
inline constexpr int GateLogin = 141;
inline constexpr int ReadDirList = 142;
inline constexpr int ReadGet = 143;
inline constexpr int WritePut = 144;
inline constexpr int LoopPut = 145;
inline constexpr int LoopGet = 146;
inline constexpr int RmDir = 147;
inline constexpr int DeleteFile = 148;
inline constexpr int MkDir = 149;
inline constexpr int ChangeLocalDir = 150;
inline constexpr int Rename = 151;
inline constexpr int PutList = 152;
inline constexpr int FileExist = 153;
inline constexpr int LocalPath = 154;
inline constexpr int LoginPort = 156;
inline constexpr int CopyFile = 157;
inline constexpr int Pwd = 158;
inline constexpr int HostList = 159;
inline constexpr int RemoteTransfer = 160;
inline constexpr int FileInfo = 161;
}  // namespace dlg

// Dialog controls. The same numbers stand for different fields in different dialogs.
namespace ctl {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Edit1 = 1000;
inline constexpr int Edit2 = 1001;
inline constexpr int Edit3 = 1002;
inline constexpr int LongListing = 1003;  // also "Append" in the write dialog
inline constexpr int FileButton = 1004;
inline constexpr int Loops = 1005;
inline constexpr int Relogin = 1006;
inline constexpr int BrowseLocal = 1008;
inline constexpr int Port = 1009;
inline constexpr int BrowseTo = 1010;
inline constexpr int BrowseFrom = 1011;
inline constexpr int HostList = 1012;
inline constexpr int Restart = 1013;
inline constexpr int Static = -1;  // fixed texts have no id of their own
}  // namespace ctl

}  // namespace brisel
