// SPDX-License-Identifier: MIT
// Connections, logins and the single commands of the library against real servers.
#include <gtest/gtest.h>
#include <utime.h>

#include <ctime>
#include <fstream>

#include "ftp_test_support.h"

namespace {

using ftptest::lastError;
using ftptest::lastReply;
using testfx::FtpServer;
using testfx::ServerKind;

class SessionTest : public ftptest::ServerTest {};

TEST_P(SessionTest, LoginQuitAndHandleNumbers) {
    EXPECT_NE(lastReply(h).find("230"), std::string::npos) << lastReply(h);
    int second = ftptest::login(server());
    ASSERT_GT(second, h);
    EXPECT_EQ(ftp_quit(second), 0) << lastError();
    EXPECT_NE(lastError().find("221"), std::string::npos) << lastError();
    EXPECT_EQ(ftp_cd(second, "/"), VARNIX_EHANDLE);
    EXPECT_NE(lastError().find("Invalid handle"), std::string::npos);
    int third = ftptest::login(server());
    EXPECT_GT(third, second);  // a closed handle's number is not given out again
    ftp_quit(third);
}

TEST_P(SessionTest, WrongPasswordAndBadHostFail) {
    int bad = ftp_login(server().host().c_str(), server().user().c_str(), "wrong", "");
    EXPECT_EQ(bad, -530) << lastError();
    EXPECT_NE(lastError().find("530"), std::string::npos);
    EXPECT_EQ(ftp_open(("127.0.0.1:" + std::to_string(testfx::freePort())).c_str()),
              VARNIX_ECONNECT);
    EXPECT_NE(lastError().find("127.0.0.1"), std::string::npos) << lastError();
    EXPECT_EQ(ftp_open("bad host name"), VARNIX_EINVAL);
    EXPECT_EQ(ftp_openport("127.0.0.1", 0), VARNIX_EINVAL);
}

TEST_P(SessionTest, OpenPortThenRelogin) {
    int o = ftp_openport((server().scheme() + server().address()).c_str(), server().port());
    ASSERT_GT(o, 0) << lastError();
    EXPECT_NE(lastError().find("220"), std::string::npos);
    EXPECT_EQ(ftp_relogin(o, server().user().c_str(), server().password().c_str(), ""), 0)
        << lastError();
    char dir[256];
    EXPECT_EQ(ftp_pwd(o, dir, sizeof dir), 0);
    EXPECT_EQ(std::string(dir), "/");
    // Logged in already: a second login works too (vsftpd needs a new connection for it).
    EXPECT_EQ(ftp_relogin(o, server().user().c_str(), server().password().c_str(), ""), 0)
        << lastError();
    EXPECT_EQ(ftp_cd(o, "/"), 0);
    EXPECT_EQ(ftp_quit(o), 0);
    int p = ftp_openport(server().host().c_str(), 1);  // the port in the text wins
    EXPECT_GT(p, 0) << lastError();
    ftp_quit(p);
}

TEST_P(SessionTest, LogoutKeepsTheHandleForRelogin) {
    EXPECT_EQ(ftp_Logout(h), 0) << lastError();
    EXPECT_EQ(ftp_isconnected(h), 0);
    EXPECT_EQ(ftp_cd(h, "/"), VARNIX_EHANDLE);
    EXPECT_EQ(ftp_relogin(h, server().user().c_str(), server().password().c_str(), ""), 0)
        << lastError();
    EXPECT_NE(ftp_isconnected(h), 0);
    EXPECT_EQ(ftp_cd(h, "/"), 0);
    server().restart();  // gone without a word to us: the login connects anew
    EXPECT_EQ(ftp_relogin(h, server().user().c_str(), server().password().c_str(), ""), 0)
        << lastError();
    EXPECT_EQ(ftp_cd(h, "/"), 0);
}

TEST_P(SessionTest, LostConnectionIsNoticedAndReloginReconnects) {
    ASSERT_EQ(ftp_setbinary(h), 0);
    ASSERT_EQ(ftp_localunique(h), 0);
    server().restart();  // drops every session
    EXPECT_EQ(ftp_isconnected(h), 0);
    EXPECT_EQ(ftp_relogin(h, server().user().c_str(), server().password().c_str(), ""), 0)
        << lastError();
    EXPECT_NE(ftp_isconnected(h), 0);
    // The unique mode starts off on the new connection, so one toggle turns it on again.
    EXPECT_EQ(ftp_localunique(h), 0);
    EXPECT_EQ(lastError(), "Local unique mode on");
    // The binary type is kept and sent again before the next transfer.
    server().put("bin.dat", std::string("a\r\nb", 4));
    EXPECT_EQ(ftp_get(h, "bin.dat", localPath("bin.dat").c_str()), 0) << lastError();
    EXPECT_EQ(testfx::readFile(local / "bin.dat"), std::string("a\r\nb", 4));
}

TEST_P(SessionTest, DirectoryCommands) {
    char dir[512];
    EXPECT_EQ(ftp_mkdir(h, "work dir"), 0) << lastError();
    EXPECT_TRUE(server().exists("work dir"));
    EXPECT_EQ(ftp_cd(h, "work dir"), 0) << lastError();
    EXPECT_EQ(ftp_pwd(h, dir, sizeof dir), 0) << lastError();
    EXPECT_EQ(std::string(dir), "/work dir");
    EXPECT_NE(lastError().find("257"), std::string::npos);
    EXPECT_EQ(ftp_cdup(h), 0) << lastError();
    EXPECT_EQ(ftp_pwd(h, dir, 4), 0);
    EXPECT_EQ(std::string(dir), "/");
    char tiny[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(ftp_cd(h, "work dir"), 0);
    EXPECT_EQ(ftp_pwd(h, tiny, sizeof tiny), 0);
    EXPECT_EQ(std::string(tiny), "/wo");  // cut to fit, NUL-terminated
    EXPECT_EQ(ftp_cd(h, "/"), 0);
    EXPECT_EQ(ftp_rmdir(h, "work dir"), 0) << lastError();
    EXPECT_FALSE(server().exists("work dir"));
    EXPECT_EQ(ftp_cd(h, "no such dir"), -550);
    EXPECT_NE(lastError().find("550"), std::string::npos);
    EXPECT_LT(ftp_rmdir(h, "no such dir"), -399);
}

TEST_P(SessionTest, FileCommands) {
    server().put("old.txt", "content");
    EXPECT_EQ(ftp_rename(h, "old.txt", "new.txt"), 0) << lastError();
    EXPECT_TRUE(server().exists("new.txt"));
    EXPECT_FALSE(server().exists("old.txt"));
    EXPECT_EQ(ftp_rename(h, "old.txt", "x.txt"), -550);
    EXPECT_EQ(ftp_delete(h, "new.txt"), 0) << lastError();
    EXPECT_FALSE(server().exists("new.txt"));
    EXPECT_EQ(ftp_delete(h, "new.txt"), -550);
    EXPECT_EQ(ftp_site(h, "HELP"), 0) << lastError();
    EXPECT_LT(ftp_site(h, "NO-SUCH-SITE-COMMAND"), -499);
}

TEST_P(SessionTest, QuoteReturnsTheWholeReply) {
    char reply[1024];
    EXPECT_EQ(ftp_quote(h, "NOOP", reply, sizeof reply), 2);
    EXPECT_EQ(std::string(reply).substr(0, 3), "200");
    EXPECT_EQ(ftp_quote(h, "HELP", reply, sizeof reply), 2);
    std::string help = reply;
    EXPECT_EQ(help.substr(0, 4), "214-") << help;  // a multi-line reply, every line of it
    EXPECT_NE(help.find('\n'), std::string::npos);
    server().put("q.txt", "q");
    EXPECT_EQ(ftp_quote(h, "RNFR q.txt", reply, sizeof reply), 0);
    EXPECT_EQ(std::string(reply).substr(0, 3), "350");
    EXPECT_EQ(ftp_quote(h, "RNTO q2.txt", reply, sizeof reply), 2);
    EXPECT_TRUE(server().exists("q2.txt"));
    EXPECT_EQ(ftp_quote(h, "XYZZY", reply, sizeof reply), -500);
    EXPECT_EQ(std::string(reply).substr(0, 3), "500");
    char small[8];
    EXPECT_EQ(ftp_quote(h, "NOOP", small, sizeof small), 2);
    EXPECT_EQ(std::string(small).size(), 7u);  // cut to fit, NUL-terminated
    EXPECT_EQ(std::string(small).substr(0, 3), "200");
    // A TYPE sent by hand is noticed: the next binary get still gets TYPE I first.
    ASSERT_EQ(ftp_setbinary(h), 0);
    EXPECT_EQ(ftp_quote(h, "TYPE A", reply, sizeof reply), 2);
    server().put("raw.bin", "x\r\ny");
    ASSERT_EQ(ftp_get(h, "raw.bin", localPath("raw.bin").c_str()), 0) << lastError();
    EXPECT_EQ(testfx::readFile(local / "raw.bin"), "x\r\ny");
}

TEST_P(SessionTest, ExistsSizeAndDate) {
    server().put("sized.bin", testfx::allBytes(1234));
    server().mkdir("adir");
    server().put("adir/inside.txt", "x");
    utimbuf times{};
    times.modtime = 1706745599;  // 2024-01-31 23:59:59 UTC
    times.actime = times.modtime;
    ASSERT_EQ(::utime(server().path("sized.bin").c_str(), &times), 0);

    EXPECT_NE(ftp_Exists(h, "sized.bin"), 0) << lastError();
    EXPECT_EQ(ftp_Exists(h, "missing.bin"), 0);
    EXPECT_NE(ftp_Exists(h, "adir"), 0);  // a directory with something in it
    EXPECT_EQ(ftp_GetFileSize(h, "sized.bin"), 1234);
    ASSERT_EQ(ftp_setascii(h), 0);  // the size is the binary size, also in ASCII type
    EXPECT_EQ(ftp_GetFileSize(h, "sized.bin"), 1234);
    EXPECT_EQ(ftp_GetFileSize(h, "missing.bin"), -550);
    char when[32];
    EXPECT_EQ(ftp_GetFileDateTime(h, "sized.bin", when, sizeof when, ""), 0) << lastError();
    EXPECT_EQ(std::string(when).substr(0, 14), "20240131235959");
    EXPECT_EQ(ftp_GetFileDateTime(h, "missing.bin", when, sizeof when, ""), -550);
    EXPECT_EQ(std::string(when), "");
}

TEST_P(SessionTest, ListingsIntoLocalFiles) {
    server().mkdir("lst");
    server().put("lst/one.txt", "1");
    server().put("lst/two.txt", "22");
    ASSERT_EQ(ftp_cd(h, "lst"), 0);
    ASSERT_EQ(ftp_ls(h, "", localPath("short.txt").c_str()), 0) << lastError();
    std::string names = testfx::readFile(local / "short.txt");
    EXPECT_NE(names.find("one.txt\n"), std::string::npos) << names;
    EXPECT_NE(names.find("two.txt\n"), std::string::npos) << names;
    EXPECT_EQ(names.find('\r'), std::string::npos);  // a local text file: LF only
    ASSERT_EQ(ftp_dir(h, "", localPath("long.txt").c_str()), 0) << lastError();
    std::string lines = testfx::readFile(local / "long.txt");
    EXPECT_NE(lines.find("two.txt"), std::string::npos);
    EXPECT_NE(lines.find(" 2 "), std::string::npos) << lines;  // the size column
    ASSERT_EQ(ftp_dir(h, "one.txt", localPath("mask.txt").c_str()), 0) << lastError();
    EXPECT_EQ(testfx::readFile(local / "mask.txt").find("two.txt"), std::string::npos);
    EXPECT_EQ(ftp_dir(h, "", (local / "no-dir" / "x.txt").c_str()), VARNIX_ELOCAL);
    EXPECT_EQ(ftp_pwd(h, nullptr, 0), VARNIX_EINVAL);
    EXPECT_EQ(ftp_cd(h, "/"), 0);  // still in step after the failed listing
}

TEST_P(SessionTest, StreamedListingAndFile) {
    server().mkdir("st");
    server().put("st/a.txt", "a");
    server().put("st/data.bin", testfx::allBytes(100000));
    ASSERT_EQ(ftp_cd(h, "st"), 0);
    ASSERT_EQ(ftp_openreadforlist(h, ""), 0) << lastError();
    std::string listing;
    char buffer[512];
    for (int n, i = 0; i < 1000 && (n = ftp_readdata(h, buffer, sizeof buffer)) > 0; ++i)
        listing.append(buffer, n);
    EXPECT_EQ(ftp_closeread(h), 0) << lastError();
    EXPECT_NE(listing.find("a.txt\n"), std::string::npos) << listing;
    ASSERT_EQ(ftp_openreadfordir(h, "a.txt"), 0) << lastError();
    std::string longList;
    for (int n, i = 0; i < 1000 && (n = ftp_readdata(h, buffer, sizeof buffer)) > 0; ++i)
        longList.append(buffer, n);
    EXPECT_EQ(ftp_closeread(h), 0) << lastError();
    EXPECT_EQ(longList.substr(0, 1), "-") << longList;  // a long line for a plain file
    EXPECT_NE(longList.find(" a.txt\n"), std::string::npos) << longList;
    EXPECT_EQ(longList.find("data.bin"), std::string::npos);

    ASSERT_EQ(ftp_setbinary(h), 0);
    ASSERT_EQ(ftp_openreadforget(h, "data.bin"), 0) << lastError();
    EXPECT_EQ(ftp_cd(h, "/"), VARNIX_EBUSY);  // one data connection at a time
    std::string data;
    char big[1024];
    for (int n, i = 0; i < 1000 && (n = ftp_readdata(h, big, sizeof big)) > 0; ++i)
        data.append(big, n);
    EXPECT_EQ(ftp_closeread(h), 0) << lastError();
    EXPECT_EQ(testfx::sha256(data), testfx::sha256(testfx::allBytes(100000)));

    ASSERT_EQ(ftp_openwriteforput(h, "written.txt", 11), 0) << lastError();
    EXPECT_EQ(ftp_writedata(h, "hello ", 6), 6);
    EXPECT_EQ(ftp_writedata(h, "world", 5), 5);
    EXPECT_EQ(ftp_writedata(h, "", 0), 0);
    EXPECT_EQ(ftp_closewrite(h), 0) << lastError();
    EXPECT_EQ(server().get("st/written.txt"), "hello world");
    ASSERT_EQ(ftp_openwriteforappend(h, "written.txt", 0), 0) << lastError();
    EXPECT_EQ(ftp_writedata(h, "!", 1), 1);
    EXPECT_EQ(ftp_closewrite(h), 0) << lastError();
    EXPECT_EQ(server().get("st/written.txt"), "hello world!");
}

TEST_P(SessionTest, StreamsInAsciiAndClosedEarly) {
    server().put("text.txt", isVsftpd() ? "l1\r\nl2\r\n" : "l1\nl2\n");  // the server's own form
    ASSERT_EQ(ftp_setascii(h), 0);
    ASSERT_EQ(ftp_openreadforget(h, "text.txt"), 0) << lastError();
    std::string text;
    char one[1];
    for (int n, i = 0; i < 100 && (n = ftp_readdata(h, one, 1)) > 0; ++i)
        text.append(one, n);
    EXPECT_EQ(ftp_closeread(h), 0) << lastError();
    EXPECT_EQ(text, "l1\nl2\n");

    server().put("big.bin", testfx::allBytes(4 << 20));
    ASSERT_EQ(ftp_setbinary(h), 0);
    ASSERT_EQ(ftp_openreadforget(h, "big.bin"), 0) << lastError();
    char chunk[1024];
    EXPECT_EQ(ftp_readdata(h, chunk, sizeof chunk), 1024);
    EXPECT_NE(ftp_closeread(h), 0);  // closed before the end: not a whole transfer
    EXPECT_EQ(ftp_readdata(h, chunk, sizeof chunk), VARNIX_EINVAL);
    char dir[64];
    EXPECT_EQ(ftp_pwd(h, dir, sizeof dir), 0) << lastError();  // back in step
    EXPECT_EQ(ftp_openreadforget(h, "missing.bin"), -550);
    EXPECT_EQ(ftp_closeread(h), VARNIX_EINVAL);
}

TEST_P(SessionTest, TraceHidesThePassword) {
    auto log = local / "trace.log";
    ASSERT_EQ(varnix_enablelog(log.c_str(), 0), 0) << lastError();
    int t = ftptest::login(server());
    varnix_disablelog();
    ftp_quit(t);
    std::string text = testfx::readFile(log);
    EXPECT_NE(text.find("> USER " + server().user()), std::string::npos) << text;
    EXPECT_NE(text.find("> PASS ****"), std::string::npos) << text;
    EXPECT_NE(text.find("< 230"), std::string::npos) << text;
    EXPECT_EQ(text.find(server().password()), std::string::npos);
    EXPECT_EQ(text.find("QUIT"), std::string::npos);  // written after the trace was stopped
}

VARNIX_SERVER_SUITE(SessionTest);

TEST(Anonymous, EmptyUserLogsInAsAnonymous) {
    testfx::ServerOptions options;
    options.anonymous = true;
    FtpServer server(ServerKind::Pyftpdlib, options);
    server.put("pub.txt", "public");
    int h = ftp_login(server.host().c_str(), "", "", "");
    ASSERT_GT(h, 0) << lastError();
    EXPECT_EQ(ftp_GetFileSize(h, "pub.txt"), 6);
    ftp_quit(h);
}

TEST(Ipv6, PassiveAndActiveOverIpv6) {
    for (ServerKind kind : testfx::allServerKinds()) {
        testfx::ServerOptions options;
        options.ipv6 = true;
        FtpServer server(kind, options);
        testfx::TempDir local;
        server.put("six.bin", testfx::allBytes(70000));
        int h = ftptest::login(server);
        ASSERT_GT(h, 0);
        ASSERT_EQ(ftp_setbinary(h), 0);
        for (int passive : {1, 0}) {
            ASSERT_EQ(ftp_SetPassive(h, passive), 0);
            auto file = local / ("six" + std::to_string(passive));
            EXPECT_EQ(ftp_get(h, "six.bin", file.c_str()), 0) << server.kindName() << lastError();
            EXPECT_EQ(testfx::sha256File(file), testfx::sha256(testfx::allBytes(70000)));
            EXPECT_EQ(ftp_put(h, file.c_str(), ""), 0) << server.kindName() << lastError();
        }
        ftp_quit(h);
    }
}

TEST(Gateway, LoginThroughFtpProxy) {
    if (!testfx::gatewayAvailable()) GTEST_SKIP() << "ftp-proxy needs root";
    for (ServerKind kind : testfx::allServerKinds()) {
        FtpServer server(kind);
        testfx::FtpGateway gateway;
        testfx::TempDir local;
        server.put("via.txt", "through the gateway");
        int h = ftp_open(gateway.host().c_str());
        ASSERT_GT(h, 0) << lastError();
        ASSERT_EQ(ftp_gatelogin(h, server.host().c_str(), server.user().c_str(),
                                server.password().c_str(), ""),
                  0)
            << server.kindName() << ": " << lastError() << "\n"
            << gateway.log();
        // The proxy refuses EPSV and EPRT; the library falls back to PASV and PORT.
        EXPECT_EQ(ftp_get(h, "via.txt", (local / "via.txt").c_str()), 0) << lastError();
        EXPECT_EQ(testfx::readFile(local / "via.txt"), "through the gateway");
        ASSERT_EQ(ftp_SetPassive(h, 0), 0);
        EXPECT_EQ(ftp_put(h, (local / "via.txt").c_str(), "back.txt"), 0) << lastError();
        EXPECT_EQ(server.get("back.txt"), "through the gateway");
        ASSERT_EQ(ftp_SetPassive(h, 1), 0);
        EXPECT_EQ(ftp_gatelogin(h, server.host().c_str(), "nobody", "wrong", ""), -530)
            << lastError();
        ftp_quit(h);
    }
}

}  // namespace
