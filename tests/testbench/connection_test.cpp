// SPDX-License-Identifier: MIT
// Connection commands against real servers: login, relogin, logout, login on a port, gateway
// login, is-connected and abort, with the lines they log and the state they leave.
#include "core/commands.h"
#include "core/library_text.h"
#include "server_suite.h"
#include "varnix32.h"

namespace {

using namespace brisel;
using benchtest::ServerSuite;

class ConnectionCommands : public ServerSuite {
  protected:
    void Relogin(const std::string& user, const std::string& password) {
        bench.ui.Expect(dlg::ReLogin).Set(ctl::Edit1, user).Set(ctl::Edit2, password).Ok();
        bench.Run(cmd::ReLogin);
    }
};

TEST_P(ConnectionCommands, LoginReloginAbortAndLogout) {
    Login();
    CBrisel32Doc& doc = bench.Doc();
    EXPECT_GT(doc.m_hFtp, 0);
    EXPECT_EQ(doc.m_bStatusBox, 1);
    EXPECT_EQ(doc.m_strHost, Server().host());
    EXPECT_EQ(doc.m_strUser, Server().user());
    EXPECT_EQ(doc.m_strPassword, Server().password());
    EXPECT_EQ(doc.Title(), Server().host());
    EXPECT_EQ(bench.ui.waitBegins, 1);
    const int handle = doc.m_hFtp;

    bench.Run(cmd::IsConnected);
    EXPECT_EQ(bench.ui.messageBoxes.back().first, "FTP session is alive.");

    // Another user: vsftpd takes a second USER of the same user as already logged in.
    Relogin("nobody", "wrong");
    EXPECT_EQ(bench.LastLine(), LastLibraryText().text);
    EXPECT_FALSE(bench.LastLine().empty());
    EXPECT_EQ(doc.m_hFtp, handle);
    EXPECT_EQ(doc.m_strUser, Server().user());
    EXPECT_EQ(doc.m_strPassword, Server().password());

    Relogin(Server().user(), Server().password());
    EXPECT_EQ(bench.LastLine(), "User " + Server().user() + " logged in");
    EXPECT_EQ(doc.m_hFtp, handle);

    bench.Run(cmd::Abort);
    EXPECT_EQ(bench.LastLine(), "Abort submitted....");
    EXPECT_EQ(doc.m_hFtp, handle);

    bench.Run(cmd::Logout);
    EXPECT_EQ(bench.LastLine(), "Disconnected");
    EXPECT_EQ(doc.m_hFtp, 0);
    EXPECT_EQ(doc.m_strHost, Server().host());
    EXPECT_EQ(doc.Title(), Server().host());
    auto lines = bench.Lines().size();
    bench.Run(cmd::Logout);
    EXPECT_EQ(bench.Lines().size(), lines);
    bench.Run(cmd::IsConnected);
    EXPECT_EQ(bench.ui.messageBoxes.back().first, "FTP session is disconnected.");
}

TEST_P(ConnectionCommands, WrongPasswordLeavesTheDocumentNotConnected) {
    Login();
    CBrisel32Doc& doc = bench.Doc();
    const int first = doc.m_hFtp;
    auto lines = bench.Lines().size();
    bench.ui.Expect(dlg::Login)
        .Set(ctl::Edit1, Server().host())
        .Set(ctl::Edit2, "nobody")
        .Set(ctl::Edit3, "wrong")
        .Ok();
    bench.Run(cmd::Login);
    EXPECT_EQ(bench.Lines().size(), lines + 1);
    EXPECT_EQ(bench.LastLine(), LastLibraryText().text);
    EXPECT_FALSE(bench.LastLine().empty());
    EXPECT_LE(doc.m_hFtp, 0);
    EXPECT_EQ(doc.m_strUser, Server().user());
    // The earlier session was neither quit nor remembered.
    EXPECT_NE(ftp_isconnected(first), 0);
    ftp_quit(first);
}

TEST_P(ConnectionCommands, SecondLoginReplacesTheHandle) {
    Login();
    const int first = bench.Doc().m_hFtp;
    Login();
    EXPECT_GT(bench.Doc().m_hFtp, 0);
    EXPECT_NE(bench.Doc().m_hFtp, first);
    EXPECT_NE(ftp_isconnected(first), 0);
    ftp_quit(first);
}

TEST_P(ConnectionCommands, LoginPortKeepsTheTitleAndAHandleWhoseLoginFailed) {
    bench.ui.Expect(dlg::LoginPort)
        .Set(ctl::Edit1, Server().address())
        .Set(ctl::Edit2, Server().user())
        .Set(ctl::Edit3, Server().password())
        .Set(ctl::Port, std::to_string(Server().port()))
        .Ok();
    bench.Run(cmd::LoginPort);
    EXPECT_EQ(bench.ui.dialogs.back().opened.at(ctl::Port), "21");
    EXPECT_EQ(bench.LastLine(), "Connected to " + Server().address());
    EXPECT_GT(bench.Doc().m_hFtp, 0);
    EXPECT_EQ(bench.Doc().Title(), "Dovrel1");
    bench.Run(cmd::Logout);

    // The port opens but the login fails: the handle stays and ReLogin completes the login.
    bench.ui.Expect(dlg::LoginPort)
        .Set(ctl::Edit1, Server().address())
        .Set(ctl::Edit2, Server().user())
        .Set(ctl::Edit3, "wrong")
        .Set(ctl::Port, std::to_string(Server().port()))
        .Ok();
    bench.Run(cmd::LoginPort);
    EXPECT_EQ(bench.LastLine(), LastLibraryText().text);
    EXPECT_GT(bench.Doc().m_hFtp, 0);
    EXPECT_EQ(bench.Doc().m_strPassword, Server().password());
    Relogin(Server().user(), Server().password());
    EXPECT_EQ(bench.LastLine(), "User " + Server().user() + " logged in");
}

TEST_P(ConnectionCommands, LoginToAClosedPortLogsTheLibraryText) {
    int closed = testfx::freePort();
    bench.ui.Expect(dlg::LoginPort)
        .Set(ctl::Edit1, "127.0.0.1")
        .Set(ctl::Port, std::to_string(closed))
        .Ok();
    bench.Run(cmd::LoginPort);
    EXPECT_LE(bench.Doc().m_hFtp, 0);
    EXPECT_EQ(bench.LastLine(), LastLibraryText().text);
    EXPECT_FALSE(bench.LastLine().empty());
}

TEST_P(ConnectionCommands, GateLoginThroughTheGateway) {
    if (!testfx::gatewayAvailable()) GTEST_SKIP() << "ftp-proxy needs root";
    testfx::FtpGateway gateway;
    // A session to the gateway itself: opened, not logged in.
    bench.Doc().m_hFtp = ftp_open(gateway.host().c_str());
    ASSERT_GT(bench.Doc().m_hFtp, 0) << LastLibraryText().text;
    bench.ui.Expect(dlg::GateLogin)
        .Set(ctl::Edit1, Server().host())
        .Set(ctl::Edit2, Server().user())
        .Set(ctl::Edit3, "wrong")
        .Ok();
    bench.Run(cmd::GateLogin);
    EXPECT_EQ(bench.LastLine(), LastLibraryText().text);
    EXPECT_TRUE(bench.Doc().m_strHost.empty());
    ftp_quit(bench.Doc().m_hFtp);

    bench.Doc().m_hFtp = ftp_open(gateway.host().c_str());
    bench.ui.Expect(dlg::GateLogin)
        .Set(ctl::Edit1, Server().host())
        .Set(ctl::Edit2, Server().user())
        .Set(ctl::Edit3, Server().password())
        .Ok();
    bench.Run(cmd::GateLogin);
    EXPECT_EQ(bench.LastLine(), Server().host() + " connected");
    EXPECT_EQ(bench.Doc().m_strHost, Server().host());
    EXPECT_EQ(bench.Doc().m_strUser, Server().user());
    EXPECT_EQ(bench.Doc().Title(), "Dovrel1");
    char path[512] = "";
    EXPECT_EQ(ftp_pwd(bench.Doc().m_hFtp, path, sizeof path), 0) << LastLibraryText().text;
}

INSTANTIATE_TEST_SUITE_P(Servers, ConnectionCommands, ::testing::ValuesIn(testfx::allServerKinds()),
                         benchtest::ServerKindParamName);

}  // namespace
