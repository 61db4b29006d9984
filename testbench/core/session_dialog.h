// SPDX-License-Identifier: MIT
// Dialogs that stay open and run an operation on the document's session from their OK button
// (DirList, Quote, FileExist, ReadDirList, ReadGet, WritePut). Without a session the button does
// nothing; otherwise the wait cursor shows, the controls are read, the operation runs, and the
// views show the document's message.
#pragma once

namespace brisel {

struct CCommandContext;
class CBrisel32Doc;
class CDialog;
class CDialogHost;

using SessionOperation = void (*)(CBrisel32Doc& doc, CDialog& dialog, CDialogHost& host);

// `refresh`: whether the views show the message afterwards (Quote answers in its dialog only).
void RunSessionDialog(CCommandContext& c, int dialogId, SessionOperation operation,
                      bool refresh = true);

}  // namespace brisel
