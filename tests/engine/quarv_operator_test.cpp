// SPDX-License-Identifier: MIT
// The quarv command as an operator runs it, against real servers: a password from a netrc
// file, names from the environment, progress and -v lines, the JSON Lines report, and TLS
// trust from the command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "files.h"
#include "quarv_command.h"
#include "servers.h"
#include "test_pki.h"

namespace {

namespace fs = std::filesystem;

using quarvtest::CommandRun;
using quarvtest::Lines;

// quarv in folder with the environment assignments in front, no CA file from outside.
CommandRun Quarv(const std::string& environment, const std::string& arguments,
                 const fs::path& folder) {
    return quarvtest::RunQuarv(arguments, folder, "-u SSL_CERT_FILE " + environment);
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class OperatorJob : public ::testing::TestWithParam<testfx::ServerKind> {
  protected:
    void SetUp() override {
        if (GetParam() == testfx::ServerKind::Vsftpd && !testfx::vsftpdAvailable())
            GTEST_SKIP() << "vsftpd needs root";
        server_ = std::make_unique<testfx::FtpServer>(GetParam());
    }
    std::unique_ptr<testfx::FtpServer> server_;
    testfx::TempDir work_{"quarv-operator"};
};

TEST_P(OperatorJob, NetrcEnvProgressAndReport) {
    // Over one progress chunk, so that the transfer reports more than its start.
    const std::string data(700 * 1024 + 13, 'x');
    server_->put("big.bin", data);
    testfx::writeFile(work_ / "netrc", "machine 127.0.0.1 login " + server_->user() + " password " +
                                           server_->password() + "\n");
    fs::permissions(work_ / "netrc", fs::perms::owner_read | fs::perms::owner_write);
    testfx::writeFile(work_ / "job.qv",
                      "login ${FTP_HOST} ${FTP_USER}\nbinary\nget big.bin copy.bin\n"
                      "put copy.bin up.bin\n");
    const std::string environment =
        "FTP_HOST='" + server_->host() + "' FTP_USER='" + server_->user() + "'";
    const std::string options = "--env --netrc-file netrc --report report.jsonl ";

    const CommandRun run = Quarv(environment, options + "--progress -v job.qv", work_.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(testfx::readFile(work_ / "copy.bin"), data);
    EXPECT_EQ(server_->get("up.bin"), data);
    const std::string size = std::to_string(data.size());
    EXPECT_TRUE(Contains(run.err, "\rget big.bin copy.bin  ")) << run.err;
    EXPECT_TRUE(Contains(run.err, "100%")) << run.err;
    EXPECT_TRUE(Contains(run.err, "quarv: get big.bin copy.bin: " + size + " bytes in "))
        << run.err;
    EXPECT_TRUE(Contains(run.err, "quarv: put copy.bin up.bin: " + size + " bytes in ")) << run.err;

    // -q: nothing on standard error for a job that succeeds, progress or not.
    const CommandRun quiet = Quarv(environment, options + "--progress -q job.qv", work_.path());
    EXPECT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_EQ(quiet.err, "");

    const std::string report = testfx::readFile(work_ / "report.jsonl");
    const std::vector<std::string> records = Lines(report);
    ASSERT_EQ(records.size(), 10u) << report;
    EXPECT_TRUE(Contains(records[0], R"("line":1,"statement":"login )" + server_->host() + " " +
                                         server_->user() + R"(","session":"#0","result":0,)"))
        << records[0];
    EXPECT_TRUE(Contains(records[2], R"("line":3,"statement":"get big.bin copy.bin")"));
    EXPECT_TRUE(Contains(records[2], R"("result":0,"reply":"226)")) << records[2];
    EXPECT_TRUE(Contains(records[2], R"("bytes":)" + size + ",")) << records[2];
    EXPECT_TRUE(Contains(records[3], R"("bytes":)" + size + ",")) << records[3];
    EXPECT_TRUE(Contains(records[4], R"({"record":"run","script":"job.qv","result":0,"exit":0,)"
                                     R"("statements":4,"failed":0,"bytes":)" +
                                         std::to_string(2 * data.size()) + ","))
        << records[4];
    for (const std::string& text : {run.out, run.err, report})
        EXPECT_FALSE(Contains(text, server_->password()));
}

INSTANTIATE_TEST_SUITE_P(Servers, OperatorJob, ::testing::ValuesIn(testfx::allServerKinds()),
                         [](const auto& info) { return testfx::serverKindName(info.param); });

// A server whose certificate the system does not trust: refused, trusted with --cacert, or
// accepted unverified with --insecure and a warning.
TEST(OperatorTls, TrustFromTheCommandLine) {
    testfx::ServerOptions options;
    options.tls = "explicit";
    testfx::FtpServer server(testfx::ServerKind::Pyftpdlib, options);
    testfx::TempDir work("quarv-operator");
    testfx::writeFile(work / "job.qv", "login " + server.host() + " " + server.user() + " " +
                                           server.password() + "\npwd\n");
    struct Case {
        std::string options;
        int status;
        std::string err;
    };
    const std::string warning =
        "quarv: warning: --insecure: server certificates are not verified\n";
    // Refused: the failure line names the login and the certificate.
    for (const Case& c : {Case{"", 1, "quarv: job.qv:1: login " + server.host()},
                          Case{"--cacert '" + testfx::tlsCaFile() + "'", 0, ""},
                          Case{"--insecure", 0, warning}, Case{"-q --insecure", 0, ""}}) {
        const CommandRun run = Quarv("", c.options + " job.qv", work.path());
        EXPECT_EQ(run.status, c.status) << c.options << ": " << run.err;
        if (c.status == 0)
            EXPECT_EQ(run.err, c.err) << c.options;
        else
            EXPECT_EQ(run.err.rfind(c.err, 0), 0u) << run.err;
    }
}

}  // namespace
