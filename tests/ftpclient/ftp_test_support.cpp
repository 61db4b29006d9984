// SPDX-License-Identifier: MIT
#include "ftp_test_support.h"

#include "windows_skips.h"

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

std::vector<ServerSetup> plainServers() {
    std::vector<ServerSetup> setups;
    for (auto kind : testfx::allServerKinds())
        setups.push_back({kind});
    return setups;
}

std::vector<ServerSetup> tlsServers() {
    std::vector<ServerSetup> setups;
    for (auto kind : testfx::allServerKinds())
        setups.push_back({kind, "explicit"});
    setups.push_back({testfx::ServerKind::Pyftpdlib, "implicit"});
    return setups;
}

testfx::FtpServer& ServerPool::get(const ServerSetup& setup, testfx::ServerOptions options) {
    auto& server = servers_[{setup.kind, setup.tls}];
    if (!server) {
        options.tls = setup.tls;
        server = std::make_unique<testfx::FtpServer>(setup.kind, options);
    }
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
    if (isTls()) {
        VARNIX_SKIP_TLS_ON_WINDOWS();
        ASSERT_EQ(varnix_settlsca(testfx::tlsCaFile().c_str()), 0) << lastError();
    }
    h = login(server());
    ASSERT_GT(h, 0);
}

void ServerTest::TearDown() {
    if (h > 0) ftp_quit(h);
}

std::string setupName(const ::testing::TestParamInfo<ServerSetup>& info) {
    std::string name = testfx::serverKindName(info.param.kind);
    return info.param.tls == "none" ? name : name + "_" + info.param.tls;
}

}  // namespace ftptest
