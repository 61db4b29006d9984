// SPDX-License-Identifier: MIT
// Remote-to-remote copies between two windows on two servers, and Test Web against a local
// HTTP server.
#include <gtest/gtest.h>

#include "core/commands.h"
#include "core/ids.h"
#include "core/library_text.h"
#include "server_suite.h"
#include "varnix32.h"

namespace {

using namespace brisel;
using benchtest::CTestBench;

class RemoteToRemote : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        auto kinds = testfx::allServerKinds();
        from_ = std::make_unique<testfx::FtpServer>(kinds.front());
        to_ = std::make_unique<testfx::FtpServer>(kinds.back());
    }
    static void TearDownTestSuite() {
        from_.reset();
        to_.reset();
    }
    void SetUp() override {
        Login(*from_);
        Login(*to_);
        bench.NewDocument();  // the window the commands are chosen in
    }
    void TearDown() override {
        for (int h : {fromDoc_->m_hFtp, toDoc_->m_hFtp})
            if (h > 0) ftp_quit(h);
    }
    void Login(const testfx::FtpServer& server) {
        CBrisel32Doc& doc = bench.NewDocument();
        benchtest::LoginWindow(bench, server);
        (&server == from_.get() ? fromDoc_ : toDoc_) = &doc;
    }
    // The host list shows the active window first, then the others in order.
    static constexpr const char* kFromPosition = "1";
    static constexpr const char* kToPosition = "2";

    CTestBench bench;
    CBrisel32Doc* fromDoc_ = nullptr;
    CBrisel32Doc* toDoc_ = nullptr;
    static std::unique_ptr<testfx::FtpServer> from_, to_;
};
std::unique_ptr<testfx::FtpServer> RemoteToRemote::from_;
std::unique_ptr<testfx::FtpServer> RemoteToRemote::to_;

TEST_F(RemoteToRemote, PutAndAppendBetweenTwoServers) {
    const std::string data = testfx::allBytes(300000);
    from_->put("source.bin", data);
    bench.ui.Expect(dlg::HostList).Set(ctl::HostList, kFromPosition).Ok();
    bench.ui.Expect(dlg::HostList).Set(ctl::HostList, kToPosition).Ok();
    bench.ui.Expect(dlg::RemoteTransfer)
        .Set(ctl::Edit1, "source.bin")
        .Set(ctl::Edit2, "copy.bin")
        .Ok();
    bench.Run(cmd::RemoteToRemotePut);
    ASSERT_EQ(bench.ui.dialogs.size(), 5u);
    EXPECT_EQ(bench.ui.dialogs[2].title, "Select the FROM ftp server:");
    EXPECT_EQ(bench.ui.dialogs[2].listItems.at(1).text, from_->host() + ":" + from_->user());
    EXPECT_EQ(bench.ui.dialogs[3].title, "Select the TO ftp server:");
    auto lines = bench.Lines();
    EXPECT_EQ(lines[lines.size() - 2], "Wait...putting source.bin");
    EXPECT_EQ(lines.back(), LastLibraryText().text);
    EXPECT_EQ(testfx::sha256(to_->get("copy.bin")), testfx::sha256(data));
    // Neither the FROM nor the TO document got a line.
    EXPECT_EQ(fromDoc_->m_strMessage, "Connected to " + from_->host());

    bench.ui.Expect(dlg::HostList).Set(ctl::HostList, kFromPosition).Ok();
    bench.ui.Expect(dlg::HostList).Set(ctl::HostList, kToPosition).Ok();
    bench.ui.Expect(dlg::Rename).Set(ctl::Edit1, "source.bin").Set(ctl::Edit2, "copy.bin").Ok();
    bench.Run(cmd::RemoteToRemoteAppend);
    EXPECT_EQ(bench.ui.dialogs.back().title, "Remote To Remote: Append");
    EXPECT_EQ(testfx::sha256(to_->get("copy.bin")), testfx::sha256(data + data));
}

TEST_F(RemoteToRemote, RestartResumesAPartialCopy) {
    const std::string data = testfx::allBytes(200000);
    from_->put("resume.bin", data);
    to_->put("resume.bin", data.substr(0, 77777));
    bench.ui.Expect(dlg::HostList).Set(ctl::HostList, kFromPosition).Ok();
    bench.ui.Expect(dlg::HostList).Set(ctl::HostList, kToPosition).Ok();
    bench.ui.Expect(dlg::RemoteTransfer)
        .Set(ctl::Edit1, "resume.bin")
        .Set(ctl::Edit2, "resume.bin")
        .Set(ctl::Restart, "1")
        .Ok();
    bench.Run(cmd::RemoteToRemotePut);
    EXPECT_EQ(testfx::sha256(to_->get("resume.bin")), testfx::sha256(data));
}

TEST_F(RemoteToRemote, ANotConnectedChoiceIsRefusedAfterTheTransferDialog) {
    bench.ui.Expect(dlg::HostList).Set(ctl::HostList, kFromPosition).Ok();
    bench.ui.Expect(dlg::HostList).Cancel();
    bench.ui.Expect(dlg::RemoteTransfer).Set(ctl::Edit1, "a").Set(ctl::Edit2, "b").Ok();
    bench.Run(cmd::RemoteToRemotePut);
    EXPECT_EQ(bench.LastLine(), "Server not connected yet");
}

// The answer is kept whether the server closes the connection after it (HTTP/1.0) or keeps
// the connection open for a further request (HTTP/1.1).
TEST(TestWeb, RequestAndResponseFromALocalWebServer) {
    for (const std::string protocol : {"HTTP/1.0", "HTTP/1.1"}) {
        SCOPED_TRACE(protocol);
        testfx::TempDir site("bench-web");
        testfx::writeFile(site / "hello.txt", "hello from the web\n");
        const int port = testfx::freePort();
        testfx::Process server(
            {"/usr/bin/python3", "-m", "http.server", std::to_string(port), "--bind", "127.0.0.1",
             "--protocol", protocol, "--directory", site.path().string()},
            site / "server.log");
        ASSERT_TRUE(testfx::waitForPort("127.0.0.1", port, std::chrono::seconds(15)));
        const std::string host = "127.0.0.1:" + std::to_string(port);

        CTestBench bench;
        bench.NewDocument();
        bench.ui.Expect(dlg::TestWeb)
            .Set(ctl::Edit1, host)
            .Set(ctl::Edit2, "GET /hello.txt " + protocol)
            .Ok()
            .Set(ctl::Edit2, "")  // opens and closes without sending: the field stays
            .Ok()
            .Cancel();
        bench.Run(cmd::TestWeb);
        const auto& shown = bench.ui.dialogs.back();
        ASSERT_EQ(shown.afterOk.size(), 2u);
        const std::string& received = shown.afterOk[0].at(ctl::Edit3);
        EXPECT_EQ(received.rfind(protocol + " 200", 0), 0u) << received;
        EXPECT_NE(received.find("\r\n\r\nhello from the web\n"), std::string::npos) << received;
        EXPECT_EQ(shown.afterOk[1].at(ctl::Edit3), received);
        EXPECT_EQ(bench.Lines().size(), 1u);
        server.stop();
        std::string log = testfx::readFile(site / "server.log");
        EXPECT_NE(log.find("\"GET /hello.txt " + protocol + "\" 200"), std::string::npos) << log;
        EXPECT_EQ(log.find("GET", log.find("GET") + 1), std::string::npos)
            << "one request: " << log;
    }
}

}  // namespace
