// SPDX-License-Identifier: MIT
// FTPS beyond what the session and transfer suites run over TLS: every refusal (and that
// nothing of the login reached the server then), the trust and accept-unverified switches,
// host names in certificates, data connections that stay plain, timeouts, the reconnect, a
// gateway, and server-to-server copies between TLS servers.
#include <gtest/gtest.h>

#include <filesystem>

#include "ftp_test_support.h"
#include "scripted_peer.h"

namespace {

using Action = ftptest::ScriptedPeer::Action;
using ftptest::lastError;
using ftptest::ScriptedPeer;
using testfx::FtpServer;
using testfx::ServerKind;
using testfx::ServerOptions;

ServerOptions tlsOptions(const std::string& tls, const std::filesystem::path& cert = {}) {
    ServerOptions options;
    options.tls = tls;
    options.cert = cert;
    return options;
}

bool holds(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The test CA trusted, unverified certificates refused, and the library's trace in a file.
class Tls : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(varnix_settlsca(testfx::tlsCaFile().c_str()), 0) << lastError();
        varnix_setacceptunverified(0);
        ASSERT_EQ(varnix_enablelog((local / "trace.log").c_str(), 0), 0);
    }
    void TearDown() override {
        varnix_disablelog();
        varnix_setacceptunverified(0);
        varnix_setdefaulttimeout(60);
    }
    std::string trace() const { return testfx::readFile(local / "trace.log"); }
    int login(const FtpServer& server, const std::string& host) const {
        return ftp_login(host.c_str(), server.user().c_str(), server.password().c_str(), "");
    }
    // A login to host refused with VARNIX_ETLS and a text that names the reason and the
    // server's port, and neither user nor password on the wire: not in our trace, not in
    // the server's log (which did see the connection's first command, when there was one).
    void expectRefusedLogin(const FtpServer& server, const std::string& host,
                            const std::string& reason, bool firstCommandLogged = true) const {
        SCOPED_TRACE(host + " " + reason);
        std::size_t traced = trace().size(), logged = server.log().size();
        EXPECT_EQ(login(server, host), VARNIX_ETLS);
        std::string why = lastError();
        EXPECT_TRUE(holds(why, reason)) << why;
        EXPECT_TRUE(holds(why, std::to_string(server.port()))) << why;
        std::string ours = trace().substr(traced), theirs = server.log().substr(logged);
        EXPECT_FALSE(holds(ours, "> USER")) << ours;
        EXPECT_FALSE(holds(ours, "> PASS")) << ours;
        if (firstCommandLogged) {
            EXPECT_TRUE(holds(theirs, "AUTH TLS")) << theirs;
        }
        EXPECT_FALSE(holds(theirs, server.user())) << theirs;
        EXPECT_FALSE(holds(theirs, server.password())) << theirs;
    }

    testfx::TempDir local{"varnix-tls"};
};

TEST_F(Tls, CertificatesThatFailVerificationAreRefusedBeforeTheLogin) {
    const auto& pki = testfx::testPki();
    struct Case {
        std::filesystem::path cert;
        std::string tls;
        std::string reason;
    } cases[] = {
        {pki.wrongName, "explicit", "IP address mismatch"},
        {pki.expired, "explicit", "certificate has expired"},
        {pki.selfSigned, "explicit", "self-signed certificate"},
        {pki.wrongName, "implicit", "IP address mismatch"},
    };
    for (const auto& c : cases) {
        FtpServer server(ServerKind::Pyftpdlib, tlsOptions(c.tls, c.cert));
        expectRefusedLogin(server, server.host(), c.reason, c.tls == "explicit");
    }
    // The right certificate from a CA nobody trusts.
    FtpServer server(ServerKind::Pyftpdlib, tlsOptions("explicit"));
    ASSERT_EQ(varnix_settlsca(""), 0);
    expectRefusedLogin(server, server.host(), "unable to get local issuer certificate");
    ASSERT_EQ(varnix_settlsca(testfx::tlsCaFile().c_str()), 0);
    int h = login(server, server.host());
    EXPECT_GT(h, 0) << lastError();
    ftp_quit(h);
}

TEST_F(Tls, VsftpdImplicitAndRefused) {
    if (!testfx::vsftpdAvailable()) GTEST_SKIP() << "vsftpd needs root";
    FtpServer implicit(ServerKind::Vsftpd, tlsOptions("implicit"));
    std::string data = testfx::allBytes(300000);
    implicit.put("in.bin", data);
    int h = login(implicit, implicit.host());
    ASSERT_GT(h, 0) << lastError();
    ASSERT_EQ(ftp_setbinary(h), 0);
    ASSERT_EQ(ftp_get(h, "in.bin", (local / "in.bin").c_str()), 0) << lastError();
    EXPECT_EQ(testfx::sha256File(local / "in.bin"), testfx::sha256(data));
    ASSERT_EQ(ftp_put(h, (local / "in.bin").c_str(), "out.bin"), 0) << lastError();
    EXPECT_EQ(testfx::sha256(implicit.get("out.bin")), testfx::sha256(data));
    ftp_quit(h);

    FtpServer expired(ServerKind::Vsftpd, tlsOptions("explicit", testfx::testPki().expired));
    expectRefusedLogin(expired, expired.host(), "certificate has expired");
}

TEST_F(Tls, AcceptingAnUnverifiedCertificateIsAChoiceTheTraceRecords) {
    FtpServer server(ServerKind::Pyftpdlib, tlsOptions("explicit", testfx::testPki().selfSigned));
    server.put("f.txt", "unverified but encrypted");
    EXPECT_EQ(login(server, server.host()), VARNIX_ETLS);
    EXPECT_FALSE(holds(trace(), "Accepted the unverified"));
    ASSERT_EQ(varnix_setacceptunverified(1), 0);
    int h = login(server, server.host());
    ASSERT_GT(h, 0) << lastError();
    EXPECT_EQ(ftp_get(h, "f.txt", (local / "f.txt").c_str()), 0) << lastError();
    EXPECT_EQ(testfx::readFile(local / "f.txt"), "unverified but encrypted");
    ftp_quit(h);
    EXPECT_TRUE(holds(trace(), "Accepted the unverified certificate of " + server.address() + ":" +
                                   std::to_string(server.port()) + " (self-signed certificate)"))
        << trace();
    ASSERT_EQ(varnix_setacceptunverified(0), 0);
    EXPECT_EQ(login(server, server.host()), VARNIX_ETLS);
}

TEST_F(Tls, NamesAndAddressesOfTheCertificate) {
    FtpServer server(ServerKind::Pyftpdlib, tlsOptions("explicit"));
    std::string port = std::to_string(server.port());
    int byName = login(server, "ftpes:localhost:" + port);  // its DNS entry
    EXPECT_GT(byName, 0) << lastError();
    ftp_quit(byName);
    int byUrl = login(server, "ftpes://127.0.0.1:" + port);  // its IP entry
    EXPECT_GT(byUrl, 0) << lastError();
    ftp_quit(byUrl);

    ServerOptions six = tlsOptions("explicit");
    six.ipv6 = true;
    FtpServer v6(ServerKind::Pyftpdlib, six);
    int h = login(v6, v6.host());
    EXPECT_GT(h, 0) << v6.host() << ": " << lastError();
    EXPECT_EQ(ftp_dir(h, "", (local / "list.txt").c_str()), 0) << lastError();
    ftp_quit(h);

    FtpServer wrong(ServerKind::Pyftpdlib, tlsOptions("explicit", testfx::testPki().wrongName));
    expectRefusedLogin(wrong, "ftpes:localhost:" + std::to_string(wrong.port()),
                       "hostname mismatch");
}

TEST_F(Tls, TrustedCaFileOrDirectory) {
    EXPECT_EQ(varnix_settlsca((local / "missing.pem").c_str()), VARNIX_ELOCAL);
    testfx::writeFile(local / "junk.pem", "not a certificate");
    EXPECT_EQ(varnix_settlsca((local / "junk.pem").c_str()), VARNIX_ETLS);
    auto dir = local / "cas";
    std::filesystem::create_directory(dir);
    std::filesystem::copy_file(testfx::tlsCaFile(), dir / "ca.pem");
    ASSERT_EQ(testfx::runCommand("openssl rehash '" + dir.string() + "'"), 0);
    ASSERT_EQ(varnix_settlsca(dir.c_str()), 0) << lastError();
    FtpServer server(ServerKind::Pyftpdlib, tlsOptions("explicit"));
    int h = login(server, server.host());
    EXPECT_GT(h, 0) << lastError();
    ftp_quit(h);
}

TEST_F(Tls, NoFallBackToPlainText) {
    // A server without TLS refuses AUTH TLS; one that speaks plain text where the handshake
    // is due fails it. Both leave the login unsent.
    FtpServer plain(ServerKind::Pyftpdlib);
    std::string address = plain.address() + ":" + std::to_string(plain.port());
    expectRefusedLogin(plain, "ftpes:" + address, "refused AUTH TLS");
    expectRefusedLogin(plain, "ftps:" + address, "TLS handshake with", false);
    if (testfx::vsftpdAvailable()) {
        FtpServer vsftpd(ServerKind::Vsftpd);
        expectRefusedLogin(vsftpd, "ftpes:" + vsftpd.host(), "refused AUTH TLS");
    }

    ScriptedPeer downgrade("220 Ready.\r\n", [](const std::string& line, ScriptedPeer&) {
        if (line.starts_with("AUTH")) return Action::say("234 Go ahead.\r\n220 Plain again.\r\n");
        return Action::say("230 Whatever you say.\r\n");
    });
    EXPECT_EQ(ftp_login(("ftpes:" + downgrade.host()).c_str(), "user", "secret", ""), VARNIX_ETLS);
    EXPECT_TRUE(holds(lastError(), "plain text after accepting AUTH TLS")) << lastError();
    EXPECT_FALSE(downgrade.receivedAny("USER"));
    EXPECT_FALSE(downgrade.receivedAny("secret"));
}

TEST_F(Tls, AStalledHandshakeTimesOut) {
    varnix_setdefaulttimeout(1);
    ScriptedPeer silent("220 Ready.\r\n", [](const std::string& line, ScriptedPeer&) {
        return Action::say(line.starts_with("AUTH") ? "234 Go ahead.\r\n" : "");
    });
    EXPECT_EQ(ftp_login(("ftpes:" + silent.host()).c_str(), "user", "secret", ""), VARNIX_ETIMEOUT);
    EXPECT_TRUE(holds(lastError(), "TLS handshake")) << lastError();
    EXPECT_FALSE(silent.receivedAny("USER"));
}

TEST_F(Tls, DataConnectionsThatStayPlainAreRefused) {
    ServerOptions options = tlsOptions("explicit");
    options.plainDataUnderProt = true;
    FtpServer server(ServerKind::Pyftpdlib, options);
    server.put("secret.txt", "must not travel in clear");
    int h = login(server, server.host());
    ASSERT_GT(h, 0) << lastError();
    EXPECT_EQ(ftp_get(h, "secret.txt", (local / "secret.txt").c_str()), VARNIX_ETLS);
    EXPECT_TRUE(holds(lastError(), "Encrypted data connection")) << lastError();
    EXPECT_FALSE(std::filesystem::exists(local / "secret.txt"));
    EXPECT_EQ(ftp_ls(h, "", (local / "names.txt").c_str()), VARNIX_ETLS);
    char dir[64];
    EXPECT_EQ(ftp_pwd(h, dir, sizeof dir), 0) << lastError();  // still in step
    ftp_quit(h);
}

TEST_F(Tls, ReloginRepeatsTheTlsSetUp) {
    FtpServer server(ServerKind::Pyftpdlib, tlsOptions("explicit"));
    server.put("a.txt", "after the reconnect");
    int h = login(server, server.host());
    ASSERT_GT(h, 0) << lastError();
    server.restart();
    EXPECT_EQ(ftp_isconnected(h), 0);
    ASSERT_EQ(ftp_relogin(h, server.user().c_str(), server.password().c_str(), ""), 0)
        << lastError();
    EXPECT_EQ(ftp_get(h, "a.txt", (local / "a.txt").c_str()), 0) << lastError();
    EXPECT_EQ(testfx::readFile(local / "a.txt"), "after the reconnect");
    ftp_quit(h);
    std::string text = trace();
    int secured = 0;
    for (auto at = text.find("> PROT P"); at != std::string::npos;
         at = text.find("> PROT P", at + 1))
        ++secured;
    EXPECT_EQ(secured, 2) << text;
    // Each time the control connection was encrypted before the user was named.
    EXPECT_LT(text.find("> AUTH TLS"), text.find("> USER"));
    EXPECT_LT(text.rfind("> AUTH TLS"), text.rfind("> USER"));
}

TEST_F(Tls, GatewayTargetWithATlsScheme) {
    if (!testfx::gatewayAvailable()) GTEST_SKIP() << "ftp-proxy needs root";
    FtpServer server(ServerKind::Pyftpdlib);
    testfx::FtpGateway gateway;
    int h = ftp_open(gateway.host().c_str());
    ASSERT_GT(h, 0) << lastError();
    // ftp-proxy answers AUTH TLS with 500: the login is not sent in clear instead.
    EXPECT_EQ(ftp_gatelogin(h, ("ftpes:" + server.host()).c_str(), server.user().c_str(),
                            server.password().c_str(), ""),
              VARNIX_ETLS);
    EXPECT_TRUE(holds(lastError(), "refused AUTH TLS")) << lastError();
    EXPECT_FALSE(holds(trace(), "> USER")) << trace();
    // A plain scheme is not sent along.
    EXPECT_EQ(ftp_gatelogin(h, ("ftp:" + server.host()).c_str(), server.user().c_str(),
                            server.password().c_str(), ""),
              0)
        << lastError();
    EXPECT_TRUE(holds(trace(), "> USER " + server.user() + "@" + server.host())) << trace();
    ftp_quit(h);
}

TEST_F(Tls, ServerToServerCopies) {
    FtpServer source(ServerKind::Pyftpdlib, tlsOptions("explicit"));
    ServerOptions sscn = tlsOptions("explicit");
    sscn.sscn = true;
    FtpServer target(ServerKind::Pyftpdlib, sscn);
    FtpServer plain(ServerKind::Pyftpdlib);
    std::string data = testfx::allBytes(400000);
    source.put("src.bin", data);
    int from = login(source, source.host());
    int to = login(target, target.host());
    int clear = ftptest::login(plain);
    ASSERT_GT(from, 0);
    ASSERT_GT(to, 0);
    ASSERT_GT(clear, 0);

    // SSCN on the target: it makes the handshake as the client.
    ASSERT_EQ(ftp_RemotePut(from, to, "src.bin", "copy.bin", 1, 0), 0) << lastError();
    EXPECT_EQ(testfx::sha256(target.get("copy.bin")), testfx::sha256(data));
    EXPECT_TRUE(holds(trace(), "> SSCN ON")) << trace();
    // SSCN is off again: our own data connections still work.
    ASSERT_EQ(ftp_setbinary(to), 0);
    EXPECT_EQ(ftp_get(to, "copy.bin", (local / "copy.bin").c_str()), 0) << lastError();

    // Neither server offers SSCN or CPSV; a plain and an encrypted end cannot meet.
    FtpServer other(ServerKind::Pyftpdlib, tlsOptions("explicit"));
    int third = login(other, other.host());
    ASSERT_GT(third, 0) << lastError();
    EXPECT_EQ(ftp_RemotePut(from, third, "src.bin", "no.bin", 1, 0), VARNIX_ETLS);
    EXPECT_TRUE(holds(lastError(), "needs SSCN or CPSV")) << lastError();
    EXPECT_EQ(ftp_RemotePut(from, clear, "src.bin", "no.bin", 1, 0), VARNIX_ETLS);
    EXPECT_TRUE(holds(lastError(), "one connection is encrypted")) << lastError();
    EXPECT_EQ(ftp_RemoteAppend(clear, from, "x", "no.bin", 1), VARNIX_ETLS);
    EXPECT_FALSE(other.exists("no.bin"));
    EXPECT_FALSE(plain.exists("no.bin"));
    EXPECT_FALSE(holds(other.log(), "STOR")) << other.log();
    for (int h : {from, to, clear, third})
        ftp_quit(h);
}

}  // namespace
