// SPDX-License-Identifier: MIT
// Stop requests: the interruptible sleep, stop hooks, and runs that end after the statement
// under way with their sessions disconnected.
#include <chrono>
#include <future>
#include <thread>

#include "clock.h"
#include "engine_test.h"
#include "windows_skips.h"

namespace {

using namespace std::chrono_literals;

using StopTest = EngineTest;

// A standing clock whose n-th sleep brings a stop request, as a signal would while quarv
// waits to retry.
class StopOnSleep final : public quarv::Clock {
  public:
    explicit StopOnSleep(int stopAt) : stopAt_(stopAt) {}
    std::time_t Now() override { return kTestTime; }
    void Sleep(std::chrono::milliseconds) override {
        if (++sleeps == stopAt_) Quarv_Stop();
    }
    int sleeps = 0;

  private:
    int stopAt_;
};

TEST_F(StopTest, SleepThroughTheInstalledClockUnlessStopped) {
    const quarv::StopMark mark = quarv::CurrentStopMark();
    EXPECT_TRUE(quarv::Sleep(5s, mark));
    EXPECT_EQ(clock_.Sleeps(), (std::vector<std::chrono::milliseconds>{5000ms}));
    Quarv_Stop();
    EXPECT_TRUE(quarv::StopRequestedSince(mark));
    // A request after the mark: no wait at all.
    EXPECT_FALSE(quarv::Sleep(5s, mark));
    EXPECT_EQ(clock_.Sleeps().size(), 1u);
    // A sleep that starts now is not affected by the earlier request.
    EXPECT_TRUE(quarv::Sleep(1s));
}

TEST_F(StopTest, TheSystemSleepEndsAtOnceOnARequest) {
    quarv::SetEngineClock(nullptr);
    const quarv::StopMark mark = quarv::CurrentStopMark();
    auto sleeper = std::async(std::launch::async, [mark] { return quarv::Sleep(1h, mark); });
    // The sleeper may or may not have begun to wait: either way it ends without the hour.
    EXPECT_EQ(sleeper.wait_for(50ms), std::future_status::timeout);
    quarv::RequestStop();
    ASSERT_EQ(sleeper.wait_for(30s), std::future_status::ready);
    EXPECT_FALSE(sleeper.get());
    EXPECT_TRUE(quarv::Sleep(1ms)) << "a short sleep after the request runs its course";
    quarv::SetEngineClock(&clock_);
}

TEST_F(StopTest, HooksRunWhileTheyLive) {
    int calls = 0;
    {
        quarv::StopHook hook([&calls] { ++calls; });
        quarv::RequestStop();
        EXPECT_EQ(calls, 1);
    }
    quarv::RequestStop();
    EXPECT_EQ(calls, 1);
}

TEST_F(StopTest, AScriptEndsAfterTheStatementUnderWay) {
    AcceptLogin();
    // The request comes while the first login is under way.
    fake().OnCall("ftp_open", [](const std::vector<std::string>&) { Quarv_Stop(); });
    const ScriptRun run = Run("ignore on\necho on\nlogin host\nlogin other\n");
    EXPECT_EQ(run.result, -6);
    EXPECT_EQ(run.output,
              (std::vector<std::string>{"client: C> login host", "server: S> 230 Logged in.",
                                        "client: C> Stopped on request."}));
    // The second login never ran, and the session was disconnected.
    EXPECT_EQ(fake().CallsTo("ftp_open"), (CallList{R"(ftp_open("host"))"}));
    EXPECT_EQ(fake().CallsTo("ftp_quit"), (CallList{"ftp_quit(3)"}));
}

TEST_F(StopTest, AStopLeavesAnIfBlockToo) {
    AcceptLogin();
    fake().OnCall("ftp_open", [](const std::vector<std::string>&) { Quarv_Stop(); });
    const ScriptRun inThen = Run("echo on\nif 1\nlogin host\nlogin other\nendif\necho off\n");
    EXPECT_EQ(inThen.result, -6);
    EXPECT_EQ(inThen.output.back(), "client: C> Stopped on request.");
    EXPECT_EQ(fake().CallsTo("ftp_open").size(), 1u);

    fake().Reset();
    AcceptLogin();
    fake().OnCall("ftp_open", [](const std::vector<std::string>&) { Quarv_Stop(); });
    const ScriptRun inElse = Run("if 0\nelse\nlogin host\nlogin other\nendif\n");
    EXPECT_EQ(inElse.result, -6);
    EXPECT_EQ(fake().CallsTo("ftp_open").size(), 1u);
}

TEST_F(StopTest, AStopEndsRetryingForeverDuringItsWait) {
    AcceptLogin();
    fake().SetResult("ftp_get", -550);
    fake().SetResult("ftp_isconnected", 1);
    StopOnSleep stopping(2);
    quarv::SetEngineClock(&stopping);
    const ScriptRun run = Run("logfile '" + PathOf("run.log") +
                              "'\non failed retry forever sleep 30\nlogin host\nget a.txt\n"
                              "echo on\n");
    quarv::SetEngineClock(&clock_);
    EXPECT_EQ(run.result, -6);
    EXPECT_EQ(stopping.sleeps, 2);
    EXPECT_EQ(fake().CallsTo("ftp_get").size(), 2u);
    EXPECT_EQ(fake().CallsTo("ftp_quit"), (CallList{"ftp_quit(3)"}));
    std::vector<std::string> notes;
    for (const std::string& line : LinesOf("run.log"))
        if (line.rfind("Sleeping", 0) == 0 || line.rfind("Retry", 0) == 0 ||
            line.rfind("C> ", 0) == 0)
            notes.push_back(line);
    EXPECT_EQ(notes,
              (std::vector<std::string>{"C> on failed retry forever sleep 30", "C> login host",
                                        "C> get a.txt", "Sleeping for 30 seconds", "Retry # 1",
                                        "Sleeping for 30 seconds", "C> Stopped on request."}));
}

TEST_F(StopTest, AStopAbortsTheTransferUnderWay) {
    AcceptLogin();
    // The request comes while the download runs: its connection's call is aborted, and no
    // retry follows.
    fake().OnCall("ftp_get", [](const std::vector<std::string>&) { Quarv_Stop(); });
    fake().SetResult("ftp_get", -6);
    const ScriptRun run = Run("on failed retry forever\nlogin host\nget a.txt\n");
    EXPECT_EQ(run.result, -6);
    EXPECT_EQ(fake().CallsExcept({"ftp_copyreplystr", "ftp_lasterror", "varnix_lasttransfer"}),
              (CallList{R"(ftp_open("host"))", R"(ftp_relogin(3, "", "", ""))",
                        R"(ftp_get(3, "a.txt", ""))", "ftp_abort(3)", "ftp_quit(3)"}));
}

TEST_F(StopTest, ARequestBeforeACallDoesNotReachIt) {
    Quarv_Stop();
    EXPECT_EQ(Run("echo on\nignore on\n").result, 0);
    AcceptLogin();
    fake().OnCall("ftp_relogin", [](const std::vector<std::string>&) { Quarv_Stop(); });
    fake().SetResult("ftp_isconnected", 1);
    Output output;
    EXPECT_EQ(Quarv_ExecLine(7, "login host", output.user(), Output::Client, Output::Server, 1), -6)
        << "a single statement reports the stop as well";
    EXPECT_EQ(output.lines.back(), "client: C> Stopped on request.");
}

}  // namespace

namespace {

// A stop request while $Exec runs a program ends the program (and what it started) and then
// the script: the statement after it never runs.
TEST_F(StopTest, AStopEndsTheProgramOfExecAndThenTheScript) {
    VARNIX_SKIP_ON_WINDOWS("its $Exec command is a POSIX shell command");
    AcceptLogin();
    const std::filesystem::path started = PathOf("started");
    const std::filesystem::path after = PathOf("after");
    auto run = std::async(std::launch::async, [&] {
        return Run("login host\n$Exec('touch \"" + started.string() +
                   "\"; sleep 600')\n$Exec('touch \"" + after.string() + "\"')\n");
    });
    for (int i = 0; i < 3000 && !std::filesystem::exists(started); ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(std::filesystem::exists(started));
    Quarv_Stop();
    ASSERT_EQ(run.wait_for(60s), std::future_status::ready) << "the program was not ended";
    EXPECT_EQ(run.get().result, -6);
    EXPECT_FALSE(std::filesystem::exists(after));
}

}  // namespace
