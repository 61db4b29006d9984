// SPDX-License-Identifier: MIT
#include "trace_log.h"

#include <cerrno>
#include <chrono>
#include <ctime>

#include "platform/local_time.h"
#include "protocol_text.h"
#include "sigpipe_guard.h"
#include "socket.h"

namespace varnix {
namespace {

bool isCommand(std::string_view command, std::string_view verb) {
    return startsWithNoCase(command, verb) &&
           (command.size() == verb.size() || command[verb.size()] == ' ');
}

std::string timestamp() {
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm local{};
    platform::localTime(seconds, local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    std::string ms = std::to_string(millis);
    return std::string(text) + "." + std::string(3 - ms.size(), '0') + ms;
}

}  // namespace

TraceLog& TraceLog::instance() {
    static TraceLog log;
    return log;
}

std::string TraceLog::masked(std::string_view command) {
    for (std::string_view verb : {"PASS", "ACCT"}) {
        if (isCommand(command, verb)) return std::string(command.substr(0, 4)) + " ****";
    }
    return std::string(command);
}

Status TraceLog::enable(const std::string& file) {
    std::FILE* f = std::fopen(file.c_str(), "ae");
    if (!f) return Status::local("Cannot open the trace file " + file + ": " + systemError(errno));
    std::lock_guard lock(mutex_);
    if (file_) std::fclose(file_);
    file_ = f;
    enabled_.store(true, std::memory_order_release);
    return Status::ok("Trace on: " + file);
}

void TraceLog::disable() {
    std::lock_guard lock(mutex_);
    enabled_.store(false, std::memory_order_release);
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

void TraceLog::sent(int handle, std::string_view command) {
    if (enabled()) write(handle, '>', masked(command));
}

void TraceLog::received(int handle, std::string_view line) {
    if (enabled()) write(handle, '<', line);
}

void TraceLog::note(int handle, std::string_view text) {
    if (enabled()) write(handle, '*', text);
}

void TraceLog::write(int handle, char direction, std::string_view text) {
    std::string line = timestamp() + " [" + std::to_string(handle) + "] " + direction + " ";
    line.append(text);
    line += '\n';
    std::lock_guard lock(mutex_);
    if (!file_) return;
    SigpipeGuard guard;  // the trace may go into a pipe
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
}

}  // namespace varnix
