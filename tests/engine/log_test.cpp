// SPDX-License-Identifier: MIT
// The process-wide log: what outlives a call, what is per call, failures to write, hidden
// passwords, and concurrent calls.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <regex>
#include <thread>

#include "engine_test.h"
#include "trace_log.h"
#include "windows_skips.h"

namespace {

using LogTest = EngineTest;

TEST_F(LogTest, LogFileOutlivesTheCallButReplyCopyingDoesNot) {
    fake().SetResult("ftp_open", 3);
    fake().SetText("ftp_copyreplystr", "230 In.");
    const std::string log = PathOf("run.log");
    EXPECT_EQ(Run("logfile '" + log + "'\n").result, 0);
    // The next call writes statements into the same file, but copies replies only after it
    // names a log file itself.
    EXPECT_EQ(Run("login host\n").result, 0);
    EXPECT_EQ(Run("logfile '" + log + "'\nlogin host\n").result, 0);
    EXPECT_EQ(LinesOf("run.log"), (std::vector<std::string>{
                                      "01/31/2001 10:00:00 QUARV32 version 1.003: Log Begin.",
                                      "S> ",
                                      "C> login host",
                                      "C> logfile '" + log + "'",
                                      "01/31/2001 10:00:00 QUARV32 version 1.003: Log Begin.",
                                      "S> ",
                                      "C> login host",
                                      "S> 230 In.",
                                  }));
}

TEST_F(LogTest, LoggingAloneWithoutAFileWritesNothing) {
    const ScriptRun run = Run("debug on\nlogfile\nfrobnicate\n");
    EXPECT_EQ(run.result, -99);
    EXPECT_TRUE(run.output.empty());
    EXPECT_FALSE(CTraceLog::Instance().Enabled());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()),
                            std::filesystem::directory_iterator()),
              1)
        << "only the script itself";
}

// A job that asked for a log does not run on without one: the statement fails and says why.
TEST_F(LogTest, AnUnwritableLogFileFailsItsStatement) {
    const std::string log = PathOf("no-such-folder/run.log");
    const ScriptRun run = Run("echo on\nlogfile '" + log + "'\nignore on\nfrobnicate\n");
    EXPECT_EQ(run.result, -5);
    EXPECT_FALSE(CTraceLog::Instance().Enabled());
    ASSERT_GE(run.output.size(), 2u);
    EXPECT_EQ(run.output[0], "client: C> logfile '" + log + "'");
    EXPECT_EQ(run.output[1],
              "client: C> Cannot write the log file " + log + ": No such file or directory");

    // A file that stops being writable ends logging at the next write.
    const std::string second = PathOf("second.log");
    EXPECT_EQ(Run("logfile '" + second + "'\n").result, 0);
    ASSERT_TRUE(CTraceLog::Instance().Enabled());
    VARNIX_SKIP_ON_WINDOWS("its last step makes the log file read-only with POSIX permissions");
#ifndef _WIN32
    if (::geteuid() != 0) {  // root writes through permissions
        ::chmod(second.c_str(), 0400);
        EXPECT_EQ(Run("ignore on\nfrobnicate\n").result, 0);
        EXPECT_FALSE(CTraceLog::Instance().Enabled());
    }
#endif
}

TEST_F(LogTest, GateLoginSecretsStayOutOfEveryLine) {
    fake().SetResult("ftp_open", 3);
    fake().SetResult("ftp_isconnected", 1);
    fake().SetText("ftp_lasterror", "No error.");
    const std::string log = PathOf("run.log");
    Run("logfile '" + log +
        "'\ndebug on\necho on\nignore on\nlogin gate me pw1 ac1\n"
        "#2 GateLogin far.host me2 'p w 2' ac2\n"
        "login\thost\tuser\tpw3\tac3\n");
    Output output;
    Quarv_ExecLine(7, "gatelogin far user pw4 ac4", output.user(), Output::Client, Output::Server,
                   1);
    const std::string text = testfx::readFile(log);
    for (const char* secret : {"pw1", "ac1", "p w 2", "ac2", "pw3", "ac3", "pw4", "ac4"})
        EXPECT_EQ(text.find(secret), std::string::npos) << secret << " in\n" << text;
    EXPECT_NE(text.find("C> login gate me **** ****"), std::string::npos);
    EXPECT_NE(text.find("C> #2 GateLogin far.host me2 **** ****"), std::string::npos);
    EXPECT_NE(text.find("GetNextToken= 500 \"****\""), std::string::npos);
    EXPECT_NE(text.find("GetNextLine: login\thost\tuser\t****\t****"), std::string::npos);
    // The statements still ran with the real values.
    EXPECT_EQ(fake().CallsTo("ftp_relogin"), CallList{R"(ftp_relogin(3, "me", "pw1", "ac1"))"});
}

TEST_F(LogTest, PasswordsThatWouldBeCutAreRefusedAndNeverShown) {
    AcceptLogin();
    const std::string log = PathOf("run.log");
    const ScriptRun run = Run("logfile '" + log +
                              "'\ndebug on\necho on\nignore on\nlogin H dave P@ssLeak1!\n"
                              "login H dave pw ac(ct=1)\n");
    std::string all = testfx::readFile(log);
    for (const std::string& line : run.output)
        all += line + "\n";
    for (const char* part : {"ssLeak", "Leak1", "ct=1", "(ct"})
        EXPECT_EQ(all.find(part), std::string::npos) << part << " in\n" << all;
    EXPECT_NE(all.find("C> login H dave ****\n"), std::string::npos) << all;
    EXPECT_NE(all.find("Login: syntax error. Expecting \"<password or account in quotes>\", "
                       "found \"****\"."),
              std::string::npos)
        << all;
    EXPECT_TRUE(fake().CallsTo("ftp_open").empty()) << "nothing of a cut password is sent";
    EXPECT_EQ(Run("login H dave P@ssLeak1!\n").result, -999);
}

TEST_F(LogTest, AStatementIsInTheFileBeforeTheServerIsAskedAndWhollyWhenItReturns) {
    AcceptLogin();
    const std::string log = PathOf("run.log");
    std::string whenAsked;
    fake().OnCall("ftp_get", [&](const auto&) { whenAsked = testfx::readFile(log); });
    ASSERT_EQ(Run("logfile '" + log + "'\ndebug on\nlogin host\nget a.txt\n").result, 0);
    EXPECT_NE(whenAsked.find("C> get a.txt\n"), std::string::npos) << whenAsked;
    EXPECT_NE(whenAsked.find("Trace-->ExecGet: Begin\n"), std::string::npos) << whenAsked;
    // When the call returns, the get's closing lines are there too.
    const std::string after = testfx::readFile(log);
    const auto get = after.find("C> get a.txt\n");
    ASSERT_NE(get, std::string::npos);
    EXPECT_NE(after.find("Trace-->CheckRetry: Begin. cc = 0, i = 1, max = -1\n", get),
              std::string::npos)
        << after;
}

TEST_F(LogTest, ConcurrentCallsWriteWholeLines) {
    const std::string log = PathOf("run.log");
    ASSERT_EQ(Run("logfile '" + log + "'\ndebug on\n").result, 0);
    std::string script = "ignore on\n";
    for (int i = 0; i < 200; ++i)
        script += "frobnicate " + std::to_string(i) + " %s%n\n";
    testfx::writeFile(PathOf("busy.qv"), script);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back(
            [this] { Quarv_Execute2(PathOf("busy.qv").c_str(), 0, nullptr, nullptr); });
    for (auto& thread : threads)
        thread.join();

    const std::regex wellFormed(
        R"((01/31/2001 10:00:00 (Trace-->.*|QUARV32 version 1\.003: Log Begin\.))|(C> .*)|(S> .*))");
    std::size_t frobnicates = 0;
    for (const std::string& line : LinesOf("run.log")) {
        EXPECT_TRUE(std::regex_match(line, wellFormed)) << line;
        if (line.rfind("C> frobnicate ", 0) == 0) ++frobnicates;
    }
    EXPECT_EQ(frobnicates, 4u * 200u);
}

}  // namespace
