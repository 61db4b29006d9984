// SPDX-License-Identifier: MIT
// Start-up of the Qt front end.
#pragma once

namespace brisel::qt {

// Opens the main window with one new document (or the log file named on the command line)
// and runs until the window closes.
int RunQt(int argc, char** argv);

}  // namespace brisel::qt
