// SPDX-License-Identifier: MIT
// brisel32 where there is no Qt front end: the text front end on FILE or standard input
// ("brisel32 [--console] [FILE]").
#include <cstring>

#include "console/console_app.h"

int main(int argc, char** argv) {
    int first = argc > 1 && std::strcmp(argv[1], "--console") == 0 ? 2 : 1;
    return brisel::console::RunConsole(argc > first ? argv[first] : nullptr);
}
