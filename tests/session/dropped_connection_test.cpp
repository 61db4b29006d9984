// SPDX-License-Identifier: MIT
// A real dropped connection: the server ends the control connection (vsftpd after its short
// idle time, pyftpdlib by a restart), the engine's clock moves past the idle time, and the
// next command logs in again on the same handle and finds the session's directory, binary
// type, local path and receive timeout restored.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "files.h"
#include "job_support.h"
#include "manual_clock.h"
#include "servers.h"
#include "trace_log.h"

namespace {

namespace fs = std::filesystem;
using testfx::ServerKind;

class DroppedConnection : public ::testing::TestWithParam<ServerKind> {
  protected:
    void SetUp() override {
        if (GetParam() == ServerKind::Vsftpd && !testfx::vsftpdAvailable())
            GTEST_SKIP() << "vsftpd needs root";
    }
    void TearDown() override {
        CTraceLog::Instance().SetLevel(0);
        CTraceLog::Instance().Close();
    }
};

TEST_P(DroppedConnection, TheNextCommandReconnectsAndFindsItsSettingsRestored) {
    testfx::ServerOptions options;
    options.idleTimeout = 2;
    testfx::FtpServer server(GetParam(), options);
    // CR LF pairs survive only a binary transfer.
    const std::string lines = "one\r\ntwo\r\n" + testfx::allBytes(5000);
    server.mkdir("sub");
    server.put("sub/lines.bin", lines);
    testfx::TempDir work("quarv-drop");
    const fs::path local = work / "local";
    fs::create_directories(local);

    ManualClock clock(std::time(nullptr));
    ScopedEngineClock engineClock(clock);
    CSession session;
    ASSERT_EQ(session.Login(server.host(), server.user(), server.password(), ""), 0);
    const int handle = session.GetHandle();
    jobtest::Output out;
    for (const std::string& statement : std::vector<std::string>{
             "binary", "cd sub", "localpath '" + local.string() + "'", "receivetimeout 7"})
        ASSERT_EQ(jobtest::RunOn(session, statement, out), 0) << statement << out.All();

    ASSERT_TRUE(jobtest::DropControlConnections(server)) << server.log();
    clock.Advance(std::chrono::seconds(121));
    CTraceLog& log = CTraceLog::Instance();
    log.Open((work / "trace.log").string());
    log.SetLevel(1);
    out.lines.clear();
    ASSERT_EQ(jobtest::RunOn(session, "get lines.bin", out), 0) << out.All();
    log.SetLevel(0);

    EXPECT_EQ(session.GetHandle(), handle) << "the same handle, connected again";
    EXPECT_EQ(testfx::sha256File(local / "lines.bin"), testfx::sha256(lines));
    EXPECT_EQ(jobtest::RunOn(session, "pwd", out), 0);
    EXPECT_EQ(out.lines.at(out.lines.size() - 2), "S> /sub\r\n");
    EXPECT_EQ(session.GetReceiveTimeout(), 7);
    EXPECT_EQ(log.LastStatus(), "Wait! Reconnecting to " + server.host() + " FTP server...\r\n");
    const std::string trace = testfx::readFile(work / "trace.log");
    EXPECT_NE(trace.find("Trace-->CheckConnection: Lost connection, need to reconnect\n"),
              std::string::npos)
        << trace;
    EXPECT_NE(trace.find("Trace-->CheckConnection: cc = 0\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find("Trace-->Cd: /sub, cc = 0\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find("Trace-->SetBinary: cc = 0\n"), std::string::npos) << trace;
}

INSTANTIATE_TEST_SUITE_P(Servers, DroppedConnection,
                         ::testing::Values(ServerKind::Pyftpdlib, ServerKind::Vsftpd),
                         [](const auto& info) { return testfx::serverKindName(info.param); });

}  // namespace
