// SPDX-License-Identifier: MIT
#include <iostream>

#include "quarv_cli.h"
#include "stop_signals.h"

int main(int argc, char** argv) {
    int status = 0;
    int signal = 0;
    {
        StopOnSignals stop;
        status = RunQuarv(argc, argv, std::cout, std::cerr);
        signal = stop.Signal();
    }
    // A script stopped by a signal ends as the shell expects of that signal.
    return signal != 0 && status != 0 ? 128 + signal : status;
}
