// SPDX-License-Identifier: MIT
// login to a gateway, then gatelogin through it, against ftp-proxy: its default destination
// is a pyftpdlib server with anonymous access (what login reaches), and the gate login
// moves the connection on to the inner server. When the inner server ends the connection,
// the next command logs in to the gateway again and replays the gate login.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "files.h"
#include "job_support.h"
#include "manual_clock.h"
#include "servers.h"

namespace {

namespace fs = std::filesystem;
using testfx::ServerKind;

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class GatewayLogin : public ::testing::TestWithParam<ServerKind> {
  protected:
    void SetUp() override {
        if (!testfx::gatewayAvailable()) GTEST_SKIP() << "ftp-proxy needs root";
        if (GetParam() == ServerKind::Vsftpd && !testfx::vsftpdAvailable())
            GTEST_SKIP() << "vsftpd needs root";
    }
};

TEST_P(GatewayLogin, GateLoginReachesTheInnerServerAndIsReplayedAfterADrop) {
    testfx::ServerOptions frontOptions;
    frontOptions.anonymous = true;
    testfx::FtpServer front(ServerKind::Pyftpdlib, frontOptions);
    testfx::ServerOptions innerOptions;
    innerOptions.idleTimeout = 2;
    testfx::FtpServer inner(GetParam(), innerOptions);
    testfx::FtpGateway gateway(front.port());
    front.put("front.txt", "the gateway's own server\r\n");
    inner.put("inner.txt", "through the gateway\r\n");
    testfx::TempDir work("quarv-gate");

    ManualClock clock(std::time(nullptr));
    ScopedEngineClock engineClock(clock);
    CSession session;
    jobtest::Output out;
    ASSERT_EQ(jobtest::RunOn(session, "login " + gateway.host() + " anonymous guest", out), 0)
        << out.All() << gateway.log();
    const std::string gateLogin =
        "gatelogin " + inner.host() + " " + inner.user() + " '" + inner.password() + "'";
    ASSERT_EQ(jobtest::RunOn(session, gateLogin, out), 0) << out.All() << gateway.log();
    for (const std::string& statement : std::vector<std::string>{
             "binary", "localpath '" + work.path().string() + "'", "get inner.txt first.txt"})
        ASSERT_EQ(jobtest::RunOn(session, statement, out), 0) << statement << out.All();
    EXPECT_EQ(testfx::readFile(work / "first.txt"), inner.get("inner.txt"));
    EXPECT_EQ(out.All().find(inner.password()), std::string::npos);

    ASSERT_TRUE(jobtest::DropControlConnections(inner)) << inner.log();
    clock.Advance(std::chrono::seconds(121));
    ASSERT_EQ(jobtest::RunOn(session, "get inner.txt second.txt", out), 0)
        << out.All() << gateway.log();
    EXPECT_EQ(testfx::readFile(work / "second.txt"), inner.get("inner.txt"));
    // The gateway's own server saw two anonymous logins, the inner one two gate logins.
    EXPECT_EQ(Count(front.log(), "USER 'anonymous' logged in"), 2u) << front.log();
    EXPECT_EQ(Count(gateway.log(),
                    "'USER " + inner.user() + "' dest 127.0.0.1:" + std::to_string(inner.port())),
              2u)
        << gateway.log();
    ASSERT_EQ(session.GetGateLogins().size(), 1u);
    EXPECT_EQ(session.GetGateLogins()[0].host, inner.host());
}

INSTANTIATE_TEST_SUITE_P(Servers, GatewayLogin,
                         ::testing::Values(ServerKind::Pyftpdlib, ServerKind::Vsftpd),
                         [](const auto& info) { return testfx::serverKindName(info.param); });

}  // namespace
