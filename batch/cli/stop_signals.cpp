// SPDX-License-Identifier: MIT
#include "stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "quarv32.h"

namespace {

// The handler may only do what is safe in a signal handler: it passes the signal's number
// through a pipe to the watching thread, which asks the library to stop.
volatile std::sig_atomic_t signalsSeen = 0;
int writeEnd = -1;
std::atomic<int> firstSignal{0};

void OnSignal(int signal) {
    if (signalsSeen != 0) ::_exit(128 + signal);
    signalsSeen = 1;
    const unsigned char byte = static_cast<unsigned char>(signal);
    const int saved = errno;
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = saved;
}

}  // namespace

StopOnSignals::StopOnSignals() {
    if (::pipe2(pipe_, O_CLOEXEC) != 0) return;
    writeEnd = pipe_[1];
    watcher_ = std::thread([this] { Watch(); });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &previousInt_);
    ::sigaction(SIGTERM, &action, &previousTerm_);
}

StopOnSignals::~StopOnSignals() {
    if (pipe_[1] < 0) return;
    ::sigaction(SIGINT, &previousInt_, nullptr);
    ::sigaction(SIGTERM, &previousTerm_, nullptr);
    const unsigned char done = 0;
    [[maybe_unused]] const ssize_t written = ::write(pipe_[1], &done, 1);
    watcher_.join();
    writeEnd = -1;
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

int StopOnSignals::Signal() const {
    return firstSignal.load();
}

void StopOnSignals::Watch() {
    for (;;) {
        unsigned char byte = 0;
        const ssize_t n = ::read(pipe_[0], &byte, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || byte == 0) return;
        int expected = 0;
        firstSignal.compare_exchange_strong(expected, byte);
        Quarv_Stop();
    }
}
