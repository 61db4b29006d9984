// SPDX-License-Identifier: MIT
// Shared set-up of the engine tests: the recording fake of varnix32, a standing clock at
// 01/31/2001 10:00:00 UTC, the process-wide log closed and tracing off, and a temporary
// folder for scripts and log files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fake_varnix32.h"
#include "files.h"
#include "manual_clock.h"
#include "quarv32.h"

// 2001-01-31 10:00:00 UTC
inline constexpr std::time_t kTestTime = 980935200;
inline constexpr const char* kTestStamp = "01/31/2001 10:00:00";

// The lines both output procedures received, in order, as "client: ..." or "server: ...",
// each without its "\r\n" (a text without one is marked " <no line end>").
struct Output {
    std::vector<std::string> lines;
    static int Client(uintptr_t user, const char* text);
    static int Server(uintptr_t user, const char* text);
    uintptr_t user() { return reinterpret_cast<uintptr_t>(this); }
};

struct ScriptRun {
    int result = 0;
    std::vector<std::string> output;
};

class EngineTest : public ::testing::Test {
  protected:
    EngineTest();
    ~EngineTest() override;

    FakeVarnix& fake() { return FakeVarnix::Instance(); }
    // Writes the script into the temporary folder and runs it through Quarv_Execute2.
    ScriptRun Run(const std::string& script);
    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
    // The lines of a file in the temporary folder (each without its LF).
    std::vector<std::string> LinesOf(const std::string& name) const;
    // Makes login succeed with handle 3 and the reply text.
    void AcceptLogin(const std::string& reply = "230 Logged in.");

    ManualClock clock_{kTestTime};
    testfx::TempDir dir_{"quarv-engine-test"};

  private:
    ScopedEngineClock installed_{clock_};
};

// Runs the rest of a test with the temporary folder as the current directory.
class ScopedCurrentDirectory {
  public:
    explicit ScopedCurrentDirectory(const std::filesystem::path& path);
    ~ScopedCurrentDirectory();

  private:
    std::filesystem::path previous_;
};
