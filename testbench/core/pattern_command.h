// SPDX-License-Identifier: MIT
// The pattern most commands follow: a dialog, a connection test, an optional progress line, one
// library call, and the library's last text as the outcome.
#pragma once

#include <string>

namespace brisel {

struct CCommandContext;
class CDialogFields;

struct CPatternCommand {
    int dialog;
    bool testsConnection;  // refuse with "Server not connected yet" without a session
    // The line shown while the call runs; nullptr for none.
    std::string (*progress)(const CDialogFields& fields);
    // The library call; its result is not looked at: the library's text tells the outcome.
    int (*call)(int h, const CDialogFields& fields);
};

// Dialog, wait cursor, (connection test,) (progress line,) call, the library's text, refresh.
void RunPatternCommand(CCommandContext& c, const CPatternCommand& command);

inline constexpr const char* kNotConnected = "Server not connected yet";

}  // namespace brisel
