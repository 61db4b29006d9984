// Shared by the library's test suites: servers started once per suite, a logged-in handle
// per test, and short ways to read the library's texts.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "servers.h"
#include "varnix32.h"

namespace ftptest {

std::string lastError();
std::string lastReply(int h);

// Servers of each kind for one test suite, started on first use and stopped with the suite.
class ServerPool {
  public:
    testfx::FtpServer& get(testfx::ServerKind kind, const testfx::ServerOptions& options = {});
    void clear() { servers_.clear(); }

  private:
    std::map<testfx::ServerKind, std::unique_ptr<testfx::FtpServer>> servers_;
};

// A test against both servers with a logged-in handle `h` and a local directory `local`.
class ServerTest : public ::testing::TestWithParam<testfx::ServerKind> {
  protected:
    static void TearDownTestSuite() { pool().clear(); }
    static ServerPool& pool();
    // Options of the suite's servers (a suite overrides it to cut transfers, say).
    virtual testfx::ServerOptions options() const { return {}; }

    void SetUp() override;
    void TearDown() override;

    testfx::FtpServer& server() { return pool().get(GetParam(), options()); }
    std::string localPath(const std::string& name) const { return (local / name).string(); }
    bool isVsftpd() const { return GetParam() == testfx::ServerKind::Vsftpd; }

    int h = 0;
    testfx::TempDir local{"varnix-local"};
};

// Logs in to server; 0 (with a test failure) when that does not work.
int login(const testfx::FtpServer& server);

std::string kindName(const ::testing::TestParamInfo<testfx::ServerKind>& info);

}  // namespace ftptest

#define VARNIX_SERVER_SUITE(suite)                                                          \
    INSTANTIATE_TEST_SUITE_P(Servers, suite, ::testing::ValuesIn(testfx::allServerKinds()), \
                             ftptest::kindName)
