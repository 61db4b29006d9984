// SPDX-License-Identifier: MIT
// Shared by the library's test suites: servers started once per suite, a logged-in handle
// per test, and short ways to read the library's texts.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "servers.h"
#include "varnix32.h"

namespace ftptest {

std::string lastError();
std::string lastReply(int h);

// The server a parameterised test runs against: its kind, and TLS ("none", "explicit" or
// "implicit"; the test CA is trusted then).
struct ServerSetup {
    testfx::ServerKind kind;
    std::string tls = "none";
};
// Both kinds, plain; both kinds with explicit TLS and pyftpdlib with implicit TLS.
std::vector<ServerSetup> plainServers();
std::vector<ServerSetup> tlsServers();

// Servers for one test suite, started on first use and stopped with the suite.
class ServerPool {
  public:
    testfx::FtpServer& get(const ServerSetup& setup, testfx::ServerOptions options = {});
    void clear() { servers_.clear(); }

  private:
    std::map<std::pair<testfx::ServerKind, std::string>, std::unique_ptr<testfx::FtpServer>>
        servers_;
};

// A test against a server (ServerSetup) with a logged-in handle `h` and a local directory
// `local`.
class ServerTest : public ::testing::TestWithParam<ServerSetup> {
  protected:
    static void TearDownTestSuite() { pool().clear(); }
    static ServerPool& pool();
    // Options of the suite's servers (a suite overrides it to cut transfers, say).
    virtual testfx::ServerOptions options() const { return {}; }

    void SetUp() override;
    void TearDown() override;

    testfx::FtpServer& server() { return pool().get(GetParam(), options()); }
    std::string localPath(const std::string& name) const { return (local / name).string(); }
    bool isVsftpd() const { return GetParam().kind == testfx::ServerKind::Vsftpd; }
    bool isTls() const { return GetParam().tls != "none"; }

    int h = 0;
    testfx::TempDir local{"varnix-local"};
};

// Logs in to server; 0 (with a test failure) when that does not work.
int login(const testfx::FtpServer& server);

std::string setupName(const ::testing::TestParamInfo<ServerSetup>& info);

}  // namespace ftptest

// A suite of ServerTest against every plain server, and again against every TLS server.
#define VARNIX_SERVER_SUITE(suite)                                                          \
    INSTANTIATE_TEST_SUITE_P(Servers, suite, ::testing::ValuesIn(ftptest::plainServers()),  \
                             ftptest::setupName);                                           \
    INSTANTIATE_TEST_SUITE_P(TlsServers, suite, ::testing::ValuesIn(ftptest::tlsServers()), \
                             ftptest::setupName)
