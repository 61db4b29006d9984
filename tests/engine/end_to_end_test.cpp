// SPDX-License-Identifier: MIT
// End to end against real FTP servers: the quarv command and the exports on the real
// libquarv32 and varnix32, logging in to pyftpdlib and vsftpd on 127.0.0.1.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "files.h"
#include "quarv32.h"
#include "quarv32_session.h"
#include "quarv_command.h"
#include "servers.h"
#include "varnix32.h"

namespace {

namespace fs = std::filesystem;

using quarvtest::CommandRun;
using quarvtest::Lines;
using quarvtest::RunQuarv;

struct Collected {
    std::vector<std::string> lines;
    static int Add(uintptr_t user, const char* text) {
        reinterpret_cast<Collected*>(user)->lines.emplace_back(text);
        return 0;
    }
    uintptr_t user() { return reinterpret_cast<uintptr_t>(this); }
};

class EndToEnd : public ::testing::TestWithParam<testfx::ServerKind> {
  protected:
    void SetUp() override {
        if (GetParam() == testfx::ServerKind::Vsftpd && !testfx::vsftpdAvailable())
            GTEST_SKIP() << "vsftpd needs root";
        server_ = std::make_unique<testfx::FtpServer>(GetParam());
    }
    std::string LoginLine(const std::string& password) const {
        return "login " + server_->host() + " " + server_->user() + " '" + password + "'";
    }

    std::unique_ptr<testfx::FtpServer> server_;
    testfx::TempDir work_{"quarv-e2e"};
};

TEST_P(EndToEnd, QuarvLogsInShowsTheReplyAndHidesThePassword) {
    testfx::writeFile(work_ / "job.qv", "// A first job.\necho on\nlogfile job.log\n" +
                                            LoginLine(server_->password()) + "\nlogfile\n");
    const CommandRun run = RunQuarv("job.qv", work_.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const auto out = Lines(run.out);
    ASSERT_GE(out.size(), 4u) << run.out;
    EXPECT_EQ(out[0], "C> logfile job.log");
    EXPECT_EQ(out[1], "C> login " + server_->host() + " " + server_->user() + " ****");
    EXPECT_EQ(out[2].substr(0, 6), "S> 230") << run.out;
    EXPECT_EQ(out[3], "C> logfile");
    EXPECT_EQ(run.out.find('\r'), std::string::npos);
    EXPECT_EQ(run.out.find("C> C> "), std::string::npos);

    const std::string log = testfx::readFile(work_ / "job.log");
    EXPECT_NE(log.find("C> login " + server_->host() + " " + server_->user() + " ****\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("\nS> 230"), std::string::npos) << log;
    EXPECT_EQ(log.find('\r'), std::string::npos);
    EXPECT_EQ(log.find(server_->password()), std::string::npos);
    EXPECT_EQ(run.out.find(server_->password()), std::string::npos);
    // The script's session was disconnected when it ended.
    EXPECT_NE(server_->log().find("QUIT"), std::string::npos) << server_->log();
}

// The refusal is the reason shown, not the reply to the QUIT after it; standard error names
// the file, line, statement (password masked) and reason, with echo on or off.
TEST_P(EndToEnd, QuarvReportsAFailedLoginWithItsReasonAndExitsOne) {
    testfx::writeFile(work_ / "job.qv", "// nightly\n" + LoginLine("wrong") + "\necho on\n");
    const std::string statement = "login " + server_->host() + " " + server_->user() + " ****";
    for (const std::string options : {"--echo job.qv", "job.qv"}) {
        const CommandRun run = RunQuarv(options, work_.path());
        EXPECT_EQ(run.status, 1);
        const std::string prefix = "quarv: job.qv:2: " + statement + ": 530 ";
        EXPECT_EQ(run.err.substr(0, prefix.size()), prefix) << run.err;
        EXPECT_NE(run.err.find(" (result -1)\n"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find(server_->password()), std::string::npos);
        if (options == "job.qv") continue;
        const auto out = Lines(run.out);
        ASSERT_EQ(out.size(), 2u) << run.out;
        EXPECT_EQ(out[0], "C> " + statement);
        EXPECT_EQ(out[1].substr(0, 7), "S> 530 ") << out[1];
    }
}

TEST_P(EndToEnd, ExecLineLeavesTheCallersConnectionOpen) {
    const int h = ftp_login(server_->host().c_str(), server_->user().c_str(),
                            server_->password().c_str(), "");
    ASSERT_GT(h, 0);
    Collected out;
    EXPECT_EQ(Quarv_ExecLine(h, "frobnicate", out.user(), Collected::Add, Collected::Add, 1), -98);
    ASSERT_EQ(out.lines.size(), 2u);
    EXPECT_EQ(out.lines[0],
              "C> FTP: syntax error. Expecting \"<FTP Command>\", found \"frobnicate\".\r\n");
    EXPECT_EQ(out.lines[1].substr(0, 3), "S> ");
    EXPECT_NE(ftp_isconnected(h), 0);
    char directory[256] = {};
    EXPECT_EQ(ftp_pwd(h, directory, sizeof directory), 0);
    EXPECT_EQ(ftp_quit(h), 0);
    EXPECT_EQ(Quarv_ExecLine(h, "frobnicate", out.user(), Collected::Add, Collected::Add, 1), -1);
}

// Quarv_ExecLine2 hands its procedures the session's FTP handle, not a pointer of the host.
std::vector<std::pair<uintptr_t, std::string>> linesByHandle;
int AddByHandle(uintptr_t handle, const char* text) {
    linesByHandle.emplace_back(handle, text);
    return 0;
}

TEST_P(EndToEnd, ExecLine2RunsOnAHostsSession) {
    CSession session;
    ASSERT_EQ(session.Login(server_->host(), server_->user(), server_->password(), ""), 0);
    const int h = session.GetHandle();
    ASSERT_GT(h, 0);
    linesByHandle.clear();
    EXPECT_EQ(Quarv_ExecLine2(&session, "frobnicate", 0, AddByHandle, AddByHandle, 1), -98);
    ASSERT_EQ(linesByHandle.size(), 2u);
    EXPECT_EQ(linesByHandle[0].first, static_cast<uintptr_t>(h));
    EXPECT_EQ(linesByHandle[1].second.substr(0, 6), "S> 230") << "the last reply: the login's";
    EXPECT_NE(ftp_isconnected(h), 0);

    linesByHandle.clear();
    EXPECT_EQ(Quarv_ExecLine2(&session, "test quit", 0, AddByHandle, AddByHandle, 1), 0);
    EXPECT_EQ(session.GetHandle(), h) << "test quit drops the connection, not the handle";
    EXPECT_EQ(ftp_isconnected(h), 0);
    EXPECT_EQ(session.CheckConnection(), 0) << "so that the reconnect it is there for works";
    EXPECT_EQ(Quarv_ExecLine2(&session, "pwd", 0, AddByHandle, AddByHandle, 1), 0);
    EXPECT_EQ(session.GetHandle(), h);
    EXPECT_EQ(session.Login(server_->host(), server_->user(), "wrong", ""), -1);
    EXPECT_LE(session.GetHandle(), 0);
}

INSTANTIATE_TEST_SUITE_P(Servers, EndToEnd, ::testing::ValuesIn(testfx::allServerKinds()),
                         [](const auto& info) { return testfx::serverKindName(info.param); });

TEST(QuarvCommand, UsageAndUnopenableScripts) {
    testfx::TempDir work("quarv-e2e");
    CommandRun run = RunQuarv("", work.path());
    EXPECT_EQ(run.status, 2);
    run = RunQuarv("missing.qv", work.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "quarv: cannot open missing.qv: No such file or directory\n");
    run = RunQuarv("--version", work.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "quarv " QUARV32_RELEASE " (varnix32 " VARNIX_VERSION_DECIMAL ")\n");
    testfx::writeFile(work / "empty.qv", "");
    run = RunQuarv("empty.qv", work.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
}

}  // namespace
