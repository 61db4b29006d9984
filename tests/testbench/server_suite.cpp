// SPDX-License-Identifier: MIT
#include "server_suite.h"

#include <set>

#include "varnix32.h"

namespace benchtest {

std::map<testfx::ServerKind, std::unique_ptr<testfx::FtpServer>> ServerSuite::servers_;

void ServerSuite::SetUpTestSuite() {
    for (auto kind : testfx::allServerKinds())
        servers_[kind] = std::make_unique<testfx::FtpServer>(kind);
}

void ServerSuite::TearDownTestSuite() {
    servers_.clear();
}

void ServerSuite::SetUp() {
    // ChangeLocalDir moves the whole process; every test starts and ends where it began.
    startDir_ = std::filesystem::current_path();
    bench.NewDocument();
}

void ServerSuite::TearDown() {
    std::filesystem::current_path(startDir_);
    std::set<int> open;
    for (brisel::CBrisel32Doc* doc : bench.ui.windows)
        if (doc->m_hFtp > 0) open.insert(doc->m_hFtp);
    for (int h : open)
        ftp_quit(h);
    EXPECT_FALSE(bench.ui.UnusedScripts()) << "a scripted dialog was never shown";
}

void ServerSuite::Login() {
    LoginTo(Server());
}

void ServerSuite::LoginTo(const testfx::FtpServer& server) {
    LoginWindow(bench, server);
}

void LoginWindow(CTestBench& bench, const testfx::FtpServer& server) {
    using namespace brisel;
    bench.ui.Expect(dlg::Login)
        .Set(ctl::Edit1, server.host())
        .Set(ctl::Edit2, server.user())
        .Set(ctl::Edit3, server.password())
        .Ok();
    bench.Run(cmd::Login);
    ASSERT_EQ(bench.LastLine(), "Connected to " + server.host());
}

const CShownDialog& ListThreeWays(CTestBench& bench, int command, int dialog,
                                  const std::string& directory) {
    using namespace brisel;
    bench.ui.Expect(dialog)
        .Set(ctl::Edit1, directory)
        .Ok()
        .Set(ctl::LongListing, "1")
        .Ok()
        .Set(ctl::Edit1, "bad\rname")  // refused by the library before anything is sent
        .Ok()
        .Cancel();
    bench.Run(command);
    return bench.ui.dialogs.back();
}

std::string ServerSuite::Name(const std::string& stem) const {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string test = info->name();
    for (char& c : test)
        if (c == '/') c = '-';
    return test + "-" + stem;
}

std::string ServerKindParamName(const ::testing::TestParamInfo<testfx::ServerKind>& info) {
    return testfx::serverKindName(info.param);
}

}  // namespace benchtest
