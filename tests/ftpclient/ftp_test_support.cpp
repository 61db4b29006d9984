#include "ftp_test_support.h"

namespace ftptest {

std::string lastError() {
    char text[8192];
    ftp_lasterror(text, sizeof text);
    return text;
}

std::string lastReply(int h) {
    char text[8192];
    ftp_copyreplystr(h, text, sizeof text);
    return text;
}

testfx::FtpServer& ServerPool::get(testfx::ServerKind kind, const testfx::ServerOptions& options) {
    auto& server = servers_[kind];
    if (!server) server = std::make_unique<testfx::FtpServer>(kind, options);
    return *server;
}

ServerPool& ServerTest::pool() {
    static ServerPool servers;
    return servers;
}

int login(const testfx::FtpServer& server) {
    int h = ftp_login(server.host().c_str(), server.user().c_str(), server.password().c_str(), "");
    EXPECT_GT(h, 0) << server.kindName() << ": " << lastError();
    return h > 0 ? h : 0;
}

void ServerTest::SetUp() {
    h = login(server());
    ASSERT_GT(h, 0);
}

void ServerTest::TearDown() {
    if (h > 0) ftp_quit(h);
}

std::string kindName(const ::testing::TestParamInfo<testfx::ServerKind>& info) {
    return testfx::serverKindName(info.param);
}

}  // namespace ftptest
