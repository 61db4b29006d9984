// SPDX-License-Identifier: MIT
// Whole scripts through the engine, on the recording stand-in for varnix32 and a clock that
// never waits. $Exec and logfile are left out: a fuzzer must not start programs or write
// files where a script names them. Promises: a run ends (a retry without end is stopped
// after a bounded number of library calls), with a result code, and the sanitizers find
// no fault on the way.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "clock.h"
#include "fake_varnix32.h"
#include "fuzz_check.h"
#include "manual_clock.h"
#include "quarv32.h"

namespace {

constexpr std::size_t kLargestScript = 64 * 1024;
constexpr int kMostLibraryCalls = 2000;

bool ContainsNoCase(std::string_view text, std::string_view word) {
    return std::search(text.begin(), text.end(), word.begin(), word.end(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           }) != text.end();
}

int Discard(uintptr_t, const char* text) {
    FUZZ_CHECK(text != nullptr);
    return 0;
}

const std::string& ScriptPath() {
    static const std::string path = (std::filesystem::temp_directory_path() /
                                     ("quarv-fuzz-" + std::to_string(getpid()) + ".qv"))
                                        .string();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view script(reinterpret_cast<const char*>(data), size);
    if (size > kLargestScript || ContainsNoCase(script, "exec") ||
        ContainsNoCase(script, "logfile"))
        return 0;
    static ManualClock clock(980935200);
    static ScopedEngineClock installed(clock);

    std::FILE* file = std::fopen(ScriptPath().c_str(), "wb");
    FUZZ_CHECK(file != nullptr);
    FUZZ_CHECK(std::fwrite(script.data(), 1, script.size(), file) == script.size());
    std::fclose(file);

    FakeVarnix& fake = FakeVarnix::Instance();
    fake.Reset();
    fake.SetResult("ftp_open", 3);
    fake.SetResult("ftp_isconnected", 1);
    fake.SetText("ftp_copyreplystr", "230 Logged in.\r\n");
    fake.SetText("ftp_lasterror", "550 No such file.");
    int calls = 0;
    fake.OnEveryCall([&calls] {
        if (++calls == kMostLibraryCalls) quarv::RequestStop();
    });
    const int result = Quarv_Execute2(ScriptPath().c_str(), 0, Discard, Discard);
    fake.Reset();
    FUZZ_CHECK(result != QUARV_STOPPED || calls >= kMostLibraryCalls);
    return 0;
}
