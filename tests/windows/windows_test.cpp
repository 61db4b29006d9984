// SPDX-License-Identifier: MIT
// The Windows build against real servers (pyftpdlib, vsftpd) on 127.0.0.1: transfers in both
// connection modes with names outside ASCII, wildcards, name lookup and connect failures,
// FTPS through the system's TLS provider, and a script run through quarv32 that also starts a
// program.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "quarv32.h"
#include "varnix32.h"
#include "windows_test_support.h"

namespace {

using wintest::Server;

std::string lastError() {
    char text[1024] = "";
    ftp_lasterror(text, sizeof text);
    return text;
}

class WindowsServerTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        auto found = wintest::serverFromEnvironment(GetParam());
        if (!found)
            GTEST_SKIP() << GetParam() << " was not started for this run (wine_launcher says why)";
        server_ = *found;
    }
    void TearDown() override {
        if (h_ > 0) ftp_quit(h_);
    }
    int login() {
        h_ = ftp_login(server_.host.c_str(), server_.user.c_str(), server_.password.c_str(), "");
        return h_;
    }
    std::string onServer(const std::string& name) const { return server_.root + "\\" + name; }

    Server server_;
    int h_ = 0;
};

TEST_P(WindowsServerTest, TransfersKeepEveryByteInBothModesAndUnderAnyName) {
    struct Case {
        int passive;
        std::string name;
    };
    const std::vector<Case> cases = {
        {1, "passive.bin"},
        {0, "active.bin"},
        {1,
         "Gr\xC3\xBC\xC3\x9F"
         "e-\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF.bin"},
    };
    ASSERT_GT(login(), 0) << lastError();
    ASSERT_EQ(ftp_setbinary(h_), 0) << lastError();
    wintest::TempDir local;
    const std::string data = wintest::allBytes(300000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string sent = local / ("sent-" + c.name);
        const std::string fetched = local / ("fetched-" + c.name);
        wintest::writeFile(sent, data);
        ASSERT_EQ(ftp_SetPassive(h_, c.passive), 0) << lastError();
        ASSERT_EQ(ftp_put(h_, sent.c_str(), c.name.c_str()), 0) << lastError();
        EXPECT_EQ(wintest::readFile(onServer(c.name)), data);
        ASSERT_EQ(ftp_get(h_, c.name.c_str(), fetched.c_str()), 0) << lastError();
        EXPECT_EQ(wintest::readFile(fetched), data);
    }
}

TEST_P(WindowsServerTest, WildcardPutSendsTheMatchingFilesOnly) {
    ASSERT_GT(login(), 0) << lastError();
    wintest::TempDir local;
    for (const char* name : {"a1.txt", "a2.txt", "b.txt"})
        wintest::writeFile(local / name, name);
    ASSERT_EQ(ftp_SetLocalPath(h_, (local / "").c_str()), 0) << lastError();
    ASSERT_EQ(ftp_mput(h_, "a*.txt", 0), 0) << lastError();
    EXPECT_EQ(wintest::readFile(onServer("a1.txt")), "a1.txt");
    EXPECT_EQ(wintest::readFile(onServer("a2.txt")), "a2.txt");
    EXPECT_FALSE(wintest::fileExists(onServer("b.txt")));
}

TEST_P(WindowsServerTest, HostNamesAreLookedUpAndRefusalsReported) {
    const std::string port = server_.host.substr(server_.host.rfind(':') + 1);
    const std::string byName = "localhost:" + port;
    h_ = ftp_login(byName.c_str(), server_.user.c_str(), server_.password.c_str(), "");
    ASSERT_GT(h_, 0) << lastError();
    EXPECT_NE(ftp_isconnected(h_), 0);
    // Port 1 on the loopback address: nothing listens there.
    EXPECT_EQ(ftp_login("127.0.0.1:1", "u", "p", ""), VARNIX_ECONNECT);
    EXPECT_NE(lastError().find("127.0.0.1:1"), std::string::npos) << lastError();
}

std::vector<std::string>* collected = nullptr;

int __cdecl Collect(uintptr_t, const char* text) {
    if (collected) collected->push_back(text);
    return 0;
}

TEST_P(WindowsServerTest, ScriptsRunThroughTheEngineAndStartPrograms) {
    wintest::TempDir local;
    const std::string data = wintest::allBytes(100000);
    wintest::writeFile(local / "report.bin", data);
    const std::string script =
        "echo on\n"
        "login ftp:" +
        server_.host + " " + server_.user + " '" + server_.password +
        "'\n"
        "binary\n"
        "put report.bin script.bin\n"
        "get script.bin fetched.bin\n"
        "$Exec('echo ran> exec.txt')\n"
        "quit\n";
    wintest::writeFile(local / "job.qv", script);
    // The script's local names are relative to the current folder.
    wchar_t before[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, before);
    std::filesystem::current_path(std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>((local / "").c_str()))));
    std::vector<std::string> lines;
    collected = &lines;
    const int result = Quarv_Execute2("job.qv", 0, Collect, Collect);
    collected = nullptr;
    ::SetCurrentDirectoryW(before);
    std::string shown;
    for (const auto& line : lines)
        shown += line;
    ASSERT_EQ(result, 0) << shown;
    EXPECT_EQ(wintest::readFile(onServer("script.bin")), data);
    EXPECT_EQ(wintest::readFile(local / "fetched.bin"), data);
    EXPECT_EQ(wintest::readFile(local / "exec.txt").substr(0, 3), "ran") << shown;
}

INSTANTIATE_TEST_SUITE_P(Servers, WindowsServerTest, ::testing::Values("pyftpdlib", "vsftpd"),
                         [](const auto& info) { return info.param; });

// ---- FTPS through SChannel ----

bool holds(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The library's trace in a file, the launcher's test CA trusted (varnix_settlsca), and
// unverified certificates refused.
class WindowsTlsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* ca = std::getenv("VARNIX_WIN_TLS_CA");
        if (!ca || !*ca) GTEST_SKIP() << "the launcher started no TLS server";
        ca_ = ca;
        ASSERT_EQ(varnix_enablelog(trace_.c_str(), 0), 0) << lastError();
        trust(true);
        varnix_setacceptunverified(0);
    }
    void TearDown() override {
        if (h_ > 0) ftp_quit(h_);
        varnix_disablelog();
        varnix_setacceptunverified(0);
        varnix_settlsca("");
    }
    void trust(bool on) { ASSERT_EQ(varnix_settlsca(on ? ca_.c_str() : ""), 0) << lastError(); }
    std::string trace() const { return wintest::readFile(trace_); }
    int login(const Server& server, const std::string& host) {
        h_ = ftp_login(host.c_str(), server.user.c_str(), server.password.c_str(), "");
        return h_;
    }
    void quit() {
        if (h_ > 0) ftp_quit(h_);
        h_ = 0;
    }

    wintest::TempDir local_;
    std::string trace_ = local_ / "trace.log";
    std::string ca_;
    int h_ = 0;
};

struct TlsServerCase {
    std::string kind;
    bool requiresResumption;  // takes only data connections that resume the TLS session
};

void PrintTo(const TlsServerCase& c, std::ostream* out) {
    *out << c.kind;
}

class WindowsTlsTransferTest : public WindowsTlsTest,
                               public ::testing::WithParamInterface<TlsServerCase> {};

// Explicit and implicit TLS, passive and active: the bytes arrive whole both ways. vsftpd
// takes an upload only when it ends with a close_notify (the launcher's strict_ssl_read_eof).
TEST_P(WindowsTlsTransferTest, TransfersKeepEveryByteInBothModes) {
    auto server = wintest::serverFromEnvironment(GetParam().kind);
    if (!server) GTEST_SKIP() << GetParam().kind << " was not started for this run";
    ASSERT_GT(login(*server, server->host), 0) << lastError();
    ASSERT_EQ(ftp_setbinary(h_), 0) << lastError();
    const std::string data = wintest::allBytes(300000);
    for (int passive : {1, 0}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        const std::string name = passive ? "tls-passive.bin" : "tls-active.bin";
        wintest::writeFile(local_ / name, data);
        ASSERT_EQ(ftp_SetPassive(h_, passive), 0) << lastError();
        int put = ftp_put(h_, (local_ / name).c_str(), name.c_str());
        if (put != 0 && GetParam().requiresResumption && !holds(trace(), "session resumed"))
            GTEST_SKIP() << "the server takes only data connections that resume the control "
                            "connection's TLS session, and the TLS provider resumed none (Wine's "
                            "SChannel cannot resume TLS sessions): "
                         << lastError();
        ASSERT_EQ(put, 0) << lastError() << "\n" << trace();
        EXPECT_EQ(wintest::readFile(server->root + "\\" + name), data);
        const std::string fetched = local_ / ("fetched-" + name);
        ASSERT_EQ(ftp_get(h_, name.c_str(), fetched.c_str()), 0) << lastError();
        EXPECT_EQ(wintest::readFile(fetched), data);
    }
}

INSTANTIATE_TEST_SUITE_P(TlsServers, WindowsTlsTransferTest,
                         ::testing::Values(TlsServerCase{"pyftpdlib_ftpes", false},
                                           TlsServerCase{"pyftpdlib_ftps", false},
                                           TlsServerCase{"vsftpd_ftpes", true},
                                           TlsServerCase{"vsftpd_ftpes_no_reuse", false}),
                         [](const auto& info) { return info.param.kind; });

// Each certificate that fails verification is refused with VARNIX_ETLS and its reason before
// anything of the login is sent, and accepted (data connections too) once the caller allows
// unverified certificates, which the trace records.
TEST_F(WindowsTlsTest, CertificatesThatFailVerificationAreRefusedBeforeTheLogin) {
    struct Case {
        std::string kind;
        bool byName;  // "localhost" in place of 127.0.0.1
        bool trusted;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"pyftpdlib_ftpes", false, false, "unable to get local issuer certificate"},
        {"pyftpdlib_ftps", false, false, "unable to get local issuer certificate"},
        {"pyftpdlib_ftpes_wrong_name", false, true, "IP address mismatch"},
        {"pyftpdlib_ftpes_wrong_name", true, true, "hostname mismatch"},
        {"pyftpdlib_ftpes_expired", false, true, "certificate has expired"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind + (c.byName ? " by name" : ""));
        auto server = wintest::serverFromEnvironment(c.kind);
        ASSERT_TRUE(server) << c.kind << " was not started";
        std::string host = server->host;
        const std::string port = host.substr(host.rfind(':') + 1);
        if (c.byName) host = host.substr(0, host.find(':') + 1) + "localhost:" + port;
        trust(c.trusted);
        wintest::writeFile(server->root + "\\unverified.txt", "unverified but encrypted");

        const std::size_t traced = trace().size();
        EXPECT_EQ(login(*server, host), VARNIX_ETLS);
        const std::string why = lastError();
        EXPECT_TRUE(holds(why, c.reason)) << why;
        EXPECT_TRUE(holds(why, port)) << why;
        const std::string ours = trace().substr(traced);
        EXPECT_FALSE(holds(ours, "> USER")) << ours;
        EXPECT_FALSE(holds(ours, "> PASS")) << ours;

        ASSERT_EQ(varnix_setacceptunverified(1), 0);
        ASSERT_GT(login(*server, host), 0) << lastError();
        const std::string fetched = local_ / "unverified.txt";
        EXPECT_EQ(ftp_get(h_, "unverified.txt", fetched.c_str()), 0) << lastError();
        EXPECT_EQ(wintest::readFile(fetched), "unverified but encrypted");
        quit();
        ASSERT_EQ(varnix_setacceptunverified(0), 0);
        EXPECT_TRUE(holds(trace(), "Accepted the unverified certificate of " +
                                       host.substr(host.find(':') + 1) + " (" + c.reason + ")"))
            << trace();
    }
}

// varnix_settlsca takes a PEM file of CAs or a folder of them, and refuses a missing file or
// one without a certificate, keeping the earlier setting (here: none, so the test CA's
// servers stay refused).
TEST_F(WindowsTlsTest, TrustedCaFilesAndFolders) {
    auto server = wintest::serverFromEnvironment("pyftpdlib_ftpes");
    ASSERT_TRUE(server);
    wintest::writeFile(local_ / "not-a-ca.pem", "no certificate here\n");
    std::filesystem::create_directory(std::filesystem::path(local_ / "cas"));
    wintest::writeFile(local_ / "cas" + "\\test-ca.pem", wintest::readFile(ca_));
    struct Case {
        std::string path;
        int code;
    };
    const std::vector<Case> cases = {
        {local_ / "missing.pem", VARNIX_ELOCAL},
        {local_ / "not-a-ca.pem", VARNIX_ETLS},
        {local_ / "cas", 0},
        {ca_, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        trust(false);
        EXPECT_EQ(varnix_settlsca(c.path.c_str()), c.code) << lastError();
        EXPECT_EQ(login(*server, server->host) > 0, c.code == 0) << lastError();
        quit();
    }
}

}  // namespace
