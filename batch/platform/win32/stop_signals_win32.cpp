// SPDX-License-Identifier: MIT
// Ctrl-C, Ctrl-Break and the console's close on Windows: the system calls the handler on a
// thread of its own, which may ask the library to stop at once.
#include <windows.h>

#include <atomic>

#include "quarv32.h"
#include "stop_signals.h"

namespace {

std::atomic<int> firstSignal{0};

BOOL WINAPI OnConsoleEvent(DWORD event) {
    const int signal = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
    int expected = 0;
    if (!firstSignal.compare_exchange_strong(expected, signal)) ::ExitProcess(128 + signal);
    Quarv_Stop();
    return TRUE;
}

}  // namespace

StopOnSignals::StopOnSignals() {
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

StopOnSignals::~StopOnSignals() {
    ::SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
}

int StopOnSignals::Signal() const {
    return firstSignal.load();
}
