// SPDX-License-Identifier: MIT
// Throughput of the script engine without a server: one million statements (echo off,
// ignore on, if 1 = 1 / endif pairs) with tracing off, run through Quarv_Execute2.
// Prints statements per second for each of three runs. Target: 1,000,000 per second.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "quarv32.h"

namespace {

constexpr int kStatements = 1000000;

int Discard(uintptr_t, const char*) {
    return 0;
}

std::string WriteScript() {
    std::string path = (std::filesystem::temp_directory_path() / "quarv-bench-XXXXXX").string();
    const int fd = ::mkstemp(path.data());
    if (fd < 0) return std::string();
    ::close(fd);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const char* const pattern[] = {"echo off\n", "ignore on\n", "if 1 = 1\n", "endif\n"};
    for (int i = 0; i < kStatements; ++i)
        out << pattern[i % 4];
    return path;
}

}  // namespace

int main() {
    const std::string script = WriteScript();
    if (script.empty()) {
        std::fputs("cannot write the benchmark script\n", stderr);
        return 1;
    }
    int status = 0;
    for (int run = 1; run <= 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const int result = Quarv_Execute2(script.c_str(), 0, Discard, Discard);
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
        if (result != 0) status = 1;
        std::printf("run %d: %d statements in %.3f s, %.0f statements per second (result %d)\n",
                    run, kStatements, seconds.count(), kStatements / seconds.count(), result);
    }
    std::filesystem::remove(script);
    return status;
}
