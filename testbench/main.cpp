// brisel32: the Qt test bench; "brisel32 --console [FILE]" runs the text front end on FILE or
// standard input instead.
#include <cstring>

#include "console/console_app.h"
#include "qt/app.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--console") == 0)
        return brisel::console::RunConsole(argc > 2 ? argv[2] : nullptr);
    return brisel::qt::RunQt(argc, argv);
}
