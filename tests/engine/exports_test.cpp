// SPDX-License-Identifier: MIT
// The four exports: scripts from files, single statements on a caller's connection or
// session, the default output procedures, and scripts that are hard to read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include <random>

#include "engine_test.h"
#include "quarv32_session.h"
#include "trace_log.h"

namespace {

using ExportsTest = EngineTest;

TEST_F(ExportsTest, MissingOrUnreadableScriptReturnsMinusOne) {
    Output output;
    EXPECT_EQ(
        Quarv_Execute2(PathOf("missing.qv").c_str(), output.user(), Output::Client, Output::Server),
        -1);
    EXPECT_EQ(Quarv_Execute(nullptr), -1);
    // A folder opens but cannot be read as a script.
    EXPECT_EQ(Quarv_Execute2(dir_.path().c_str(), output.user(), Output::Client, Output::Server),
              -1);
    EXPECT_TRUE(output.lines.empty());
}

TEST_F(ExportsTest, EmptyScriptReturnsZeroSilently) {
    const ScriptRun run = Run("");
    EXPECT_EQ(run.result, 0);
    EXPECT_TRUE(run.output.empty());
    EXPECT_TRUE(fake().Calls().empty());
}

TEST_F(ExportsTest, ScriptsWithCrLfNulBytesAndHugeLines) {
    // CR LF line ends read like LF; a NUL byte ends its line's text; a line holds at most
    // 1 MiB, and the script stops at a longer one, with its line number, even under ignore.
    std::string script = "echo on\r\nignore on\r\n";
    script += std::string("frob\0nicate\r\n", 13);
    script += std::string(1024 * 1024, 'x') + "\r\n";
    script += std::string(10 * 1024 * 1024, 'y') + "\n";
    script += "\xff\xfe binary \x01\x02\n";
    const ScriptRun run = Run(script);
    EXPECT_EQ(run.result, -999);
    ASSERT_EQ(run.output.size(), 6u);
    EXPECT_EQ(run.output[0], "client: C> ignore on");
    EXPECT_EQ(run.output[1], "client: C> frob");
    EXPECT_EQ(run.output[3].size(), std::string("client: C> ").size() + 1024 * 1024);
    EXPECT_EQ(run.output[5],
              "client: C> Line 5: syntax error. Expecting \"<a line of at most "
              "1048576 bytes>\", found \"<a longer line>\".");
    // A line one byte too long, without a line end, inside an if block.
    const std::string tooLong = "echo on\nif 1 = 1\n" + std::string(1024 * 1024 + 1, 'z');
    const ScriptRun inBlock = Run(tooLong);
    EXPECT_EQ(inBlock.result, -999);
    EXPECT_EQ(std::count_if(inBlock.output.begin(), inBlock.output.end(),
                            [](const std::string& line) {
                                return line.find("C> Line 3: syntax error.") != std::string::npos;
                            }),
              1);
}

TEST_F(ExportsTest, GarbageEndsWithAResultCode) {
    // Random bytes, with enough statement words and quotes in them to reach the handlers.
    std::mt19937 random(20010131);
    const std::vector<std::string> words = {"login h u p a",
                                            "logfile",
                                            "#2",
                                            "'",
                                            "\"",
                                            "echo",
                                            "on",
                                            "debug",
                                            "test quit",
                                            "if",
                                            "if (",
                                            ")",
                                            "not",
                                            "else",
                                            "endif",
                                            "$date(",
                                            "on failed retry",
                                            "//",
                                            "%s%n",
                                            "@",
                                            "$",
                                            "=",
                                            "!",
                                            "\t",
                                            "\r",
                                            "ignore on"};
    fake().SetResult("ftp_open", 3);
    ScopedCurrentDirectory inside(dir_.path());  // log files the garbage names land here
    for (int script = 0; script < 50; ++script) {
        std::string text;
        for (int piece = 0; piece < 60; ++piece) {
            if (random() % 3 == 0)
                text += words[random() % words.size()];
            else
                text += static_cast<char>(random() % 256);
            if (random() % 8 == 0) text += '\n';
        }
        const int result = Run(text).result;
        EXPECT_TRUE(result == 0 || result == -98 || result == -99 || result == -999 ||
                    result == 711 || result == 712)
            << result;
        CTraceLog::Instance().Close();
        CTraceLog::Instance().SetLevel(0);
    }
}

TEST_F(ExportsTest, DefaultProceduresPrintWithTheirOwnPrefix) {
    testfx::writeFile(PathOf("s.qv"), "echo on\nfrobnicate\n");
    ::testing::internal::CaptureStdout();
    const int viaNull = Quarv_Execute2(PathOf("s.qv").c_str(), 0, nullptr, nullptr);
    const int viaDefault = Quarv_Execute(PathOf("s.qv").c_str());
    std::fflush(stdout);
    const std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(viaNull, -99);
    EXPECT_EQ(viaDefault, -99);
    const std::string once =
        "C> C> frobnicate\r\n\nC> C> Session not login yet, check your syntax.\r\n\n";
    EXPECT_EQ(printed, once + once);
}

TEST_F(ExportsTest, ExecLineNeedsAConnectedHandle) {
    Output output;
    EXPECT_EQ(Quarv_ExecLine(0, "echo on", output.user(), Output::Client, Output::Server, 1), -1);
    EXPECT_EQ(Quarv_ExecLine(-4, "echo on", output.user(), Output::Client, Output::Server, 1), -1);
    EXPECT_TRUE(fake().Calls().empty()) << "a handle below 1 is not even asked about";
    fake().SetResult("ftp_isconnected", 0);
    EXPECT_EQ(Quarv_ExecLine(7, "echo on", output.user(), Output::Client, Output::Server, 1), -1);
    EXPECT_TRUE(output.lines.empty());
    EXPECT_EQ(fake().Calls(), CallList{"ftp_isconnected(7)"});
}

TEST_F(ExportsTest, ExecLineRunsOnTheCallersConnectionAndLeavesItOpen) {
    fake().SetResult("ftp_isconnected", 1);
    fake().SetText("ftp_copyreplystr", "200 Fine.");
    Output output;
    // The line is taken as it stands: no remark removal, and it is not echoed itself.
    EXPECT_EQ(
        Quarv_ExecLine(7, "frobnicate // x", output.user(), Output::Client, Output::Server, 1),
        -98);
    EXPECT_EQ(output.lines,
              (std::vector<std::string>{
                  R"(client: C> FTP: syntax error. Expecting "<FTP Command>", found "frobnicate".)",
                  "server: S> 200 Fine."}));
    EXPECT_EQ(fake().Calls(),
              (CallList{"ftp_isconnected(7)", "ftp_copyreplystr(7, <buffer>, 1024)"}));
    EXPECT_EQ(Quarv_ExecLine(7, "", output.user(), Output::Client, Output::Server, 1), -1);
    EXPECT_EQ(Quarv_ExecLine(7, nullptr, output.user(), Output::Client, Output::Server, 1), -1);
    EXPECT_TRUE(fake().CallsTo("ftp_quit").empty());
}

TEST_F(ExportsTest, ExecLineEchoFollowsTheCaller) {
    fake().SetResult("ftp_isconnected", 1);
    Output output;
    EXPECT_EQ(Quarv_ExecLine(7, "frobnicate", output.user(), Output::Client, Output::Server, 0),
              -98);
    EXPECT_TRUE(output.lines.empty());
    EXPECT_EQ(fake().Calls(), CallList{"ftp_isconnected(7)"}) << "no reply is fetched unshown";
}

// The user value of Quarv_ExecLine2 is the session's FTP handle.
uintptr_t seenUser = 0;
int RememberUser(uintptr_t user, const char*) {
    seenUser = user;
    return 0;
}

TEST_F(ExportsTest, ExecLine2RunsOnTheCallersSessionAndNeverFreesIt) {
    EXPECT_EQ(Quarv_ExecLine2(nullptr, "echo on", 0, RememberUser, RememberUser, 1), -1);
    {
        fake().SetResult("ftp_open", 9);
        CSession session;
        ASSERT_EQ(session.Login("host", "user", "secret", ""), 0);
        seenUser = 0;
        EXPECT_EQ(Quarv_ExecLine2(&session, "frobnicate", 12345, RememberUser, RememberUser, 1),
                  -98);
        EXPECT_EQ(seenUser, 9u);
        EXPECT_EQ(Quarv_ExecLine2(&session, "", 0, RememberUser, RememberUser, 1), -1);
        EXPECT_EQ(session.GetHandle(), 9) << "the library leaves the caller's session alone";
        EXPECT_TRUE(fake().CallsTo("ftp_quit").empty());
    }
    EXPECT_EQ(fake().CallsTo("ftp_quit"), CallList{"ftp_quit(9)"}) << "its owner disconnects";
}

TEST_F(ExportsTest, IfIsRefusedInSingleStatements) {
    fake().SetResult("ftp_isconnected", 1);
    Output output;
    EXPECT_EQ(Quarv_ExecLine(7, "if 1 = 1", output.user(), Output::Client, Output::Server, 1),
              -999);
    EXPECT_EQ(
        output.lines,
        (std::vector<std::string>{
            R"(client: C> If ...: syntax error. Expecting "EndIf", found "<single statement>".)"}));
    CSession session;
    EXPECT_EQ(Quarv_ExecLine2(&session, "IF exists a.txt", 0, Output::Client, Output::Server, 0),
              -999);
    // else and endif are stray there as anywhere.
    EXPECT_EQ(Quarv_ExecLine(7, "else", output.user(), Output::Client, Output::Server, 1), 711);
    EXPECT_EQ(Quarv_ExecLine(7, "endif", output.user(), Output::Client, Output::Server, 1), 712);
}

TEST_F(ExportsTest, EverySessionOfAScriptIsDisconnectedAtItsEnd) {
    fake().QueueResults("ftp_open", {3, 4, 5});
    const ScriptRun run = Run("login a\n#2 login b\n#x login c\nfrobnicate\n");
    EXPECT_EQ(run.result, -98);
    EXPECT_EQ(fake().CallsTo("ftp_quit"), (CallList{"ftp_quit(3)", "ftp_quit(4)", "ftp_quit(5)"}));
}

TEST_F(ExportsTest, ASecondLoginQuitsTheFirstConnection) {
    fake().QueueResults("ftp_open", {3, 4});
    EXPECT_EQ(Run("login a\nlogin b\n").result, 0);
    EXPECT_EQ(fake().CallsTo("ftp_quit"), (CallList{"ftp_quit(3)", "ftp_quit(4)"}));
}

}  // namespace
