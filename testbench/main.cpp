// SPDX-License-Identifier: MIT
// brisel32: the Qt test bench; "brisel32 --console [FILE]" runs the text front end on FILE or
// standard input instead. --help and --version need no display.
#include <iostream>

#include "command_line.h"
#include "console/console_app.h"
#include "qt/app.h"

int main(int argc, char** argv) {
    using brisel::CCommandLine;
    const CCommandLine line = brisel::ParseCommandLine(argc, argv, false);
    switch (line.mode) {
        case CCommandLine::Mode::Help:
        case CCommandLine::Mode::Version:
            std::cout << line.text;
            return 0;
        case CCommandLine::Mode::Error:
            std::cerr << line.text;
            return 2;
        case CCommandLine::Mode::Console:
            return brisel::console::RunConsole(line.file.empty() ? nullptr : line.file.c_str());
        case CCommandLine::Mode::Window:
            break;
    }
    return brisel::qt::RunQt(argc, argv);
}
