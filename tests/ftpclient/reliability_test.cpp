// SPDX-License-Identifier: MIT
// What no correct server sends: silence, garbled and endless replies, hostile names, short
// transfers, foreign passive addresses; and commands with CR/LF inside, which must never
// reach a server.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "ftp_test_support.h"
#include "scripted_peer.h"

namespace {

using Action = ftptest::ScriptedPeer::Action;
using ftptest::lastError;
using ftptest::ScriptedPeer;

const std::string kGreeting = "220 Scripted peer ready.\r\n";

// A peer that logs in and answers every other command with `reply`.
ScriptedPeer::Script answering(std::string reply) {
    return [reply](const std::string& line, ScriptedPeer&) {
        if (auto step = ScriptedPeer::loginStep(line)) return *step;
        return Action::say(reply);
    };
}

int loginTo(const ScriptedPeer& peer) {
    int h = ftp_login(peer.host().c_str(), "user", "secret", "");
    EXPECT_GT(h, 0) << lastError();
    return h;
}

class Reliability : public ::testing::Test {
  protected:
    void SetUp() override { varnix_setdefaulttimeout(2); }
    void TearDown() override { varnix_setdefaulttimeout(60); }
};

TEST_F(Reliability, SilentServerTimesOut) {
    ScriptedPeer mute("", answering(""));  // accepts, then never says a word
    EXPECT_EQ(ftp_open(mute.host().c_str()), VARNIX_ETIMEOUT);
    EXPECT_NE(lastError().find("No reply"), std::string::npos) << lastError();

    ScriptedPeer laterMute(kGreeting, answering(""));
    int h = loginTo(laterMute);
    ASSERT_GT(h, 0);
    ASSERT_EQ(ftp_setreceivetimeout(h, 1), 0);
    EXPECT_EQ(ftp_cd(h, "/"), VARNIX_ETIMEOUT);
    EXPECT_EQ(ftp_isconnected(h), 0);  // a silent connection counts as lost
    ftp_quit(h);
}

TEST_F(Reliability, MalformedAndOversizedReplies) {
    ScriptedPeer garbled("HELLO THERE\r\n", answering(""));
    EXPECT_EQ(ftp_open(garbled.host().c_str()), VARNIX_EPROTOCOL);
    EXPECT_NE(lastError().find("Malformed"), std::string::npos) << lastError();

    std::string endless = "220-Welcome\r\n";
    for (int i = 0; i < 1000; ++i)
        endless += " " + std::string(100, 'x') + "\r\n";
    ScriptedPeer longGreeting(endless, answering(""));
    EXPECT_EQ(ftp_open(longGreeting.host().c_str()), VARNIX_EPROTOCOL);

    ScriptedPeer oneLongLine("220 " + std::string(VARNIX_MAX_REPLY + 10, 'y'), answering(""));
    EXPECT_EQ(ftp_open(oneLongLine.host().c_str()), VARNIX_EPROTOCOL);

    ScriptedPeer wrongCode(kGreeting, answering("999 What?\r\n"));
    int h = loginTo(wrongCode);
    EXPECT_EQ(ftp_cd(h, "x"), VARNIX_EPROTOCOL);
    EXPECT_EQ(ftp_cd(h, "x"), VARNIX_EHANDLE);  // a garbled connection is dropped
    ftp_quit(h);
}

TEST_F(Reliability, MultiLineGreetingAndClosingServer) {
    ScriptedPeer peer("220-First line\r\n second line\r\n220 Last line\r\n",
                      answering("421 Closing down, sorry.\r\n"));
    int h = loginTo(peer);
    ASSERT_GT(h, 0);
    EXPECT_EQ(ftp_cd(h, "x"), -421);
    EXPECT_EQ(ftp_cd(h, "x"), VARNIX_EHANDLE);                          // 421 ends the connection
    ASSERT_EQ(ftp_relogin(h, "user", "secret", ""), 0) << lastError();  // connects again
    EXPECT_EQ(ftptest::lastReply(h), "230 Logged in.");
    ftp_quit(h);
    ScriptedPeer greeting("220-First line\r\n second line\r\n220 Last line\r\n", answering(""));
    int o = ftp_open(greeting.host().c_str());
    ASSERT_GT(o, 0);
    EXPECT_EQ(ftptest::lastReply(o), "220-First line\n second line\n220 Last line");
    ftp_quit(o);
}

TEST_F(Reliability, RepliesCutShortOrHoldingNulBytes) {
    using namespace std::string_literals;
    ScriptedPeer peer(kGreeting, [](const std::string& line, ScriptedPeer& p) {
        if (auto step = ScriptedPeer::loginStep(line)) return *step;
        if (line == "EPSV") return Action::say(ScriptedPeer::epsvReply(p.dataPort()));
        if (line == "CWD nul") return Action::say("250 in\0side\r\n"s);
        if (line == "CWD cut") return Action::sayAndClose("250-Part one\r\n 250 not the en");
        Action a = Action::transfer("150 Sending.\r\n", "data", "226-Done, but\r\n");
        a.close = true;  // the final reply breaks off after its first line
        return a;
    });
    int h = loginTo(peer);
    ASSERT_GT(h, 0);
    EXPECT_EQ(ftp_cd(h, "nul"), 0) << lastError();
    EXPECT_EQ(ftptest::lastReply(h), "250 in?side");  // not cut at the NUL
    // The end of the connection is noticed at once, not after the timeout.
    EXPECT_EQ(ftp_cd(h, "cut"), VARNIX_ENETWORK) << lastError();
    EXPECT_EQ(ftp_isconnected(h), 0);
    ASSERT_EQ(ftp_relogin(h, "user", "secret", ""), 0) << lastError();
    testfx::TempDir local;
    EXPECT_EQ(ftp_get(h, "f", (local / "f").c_str()), VARNIX_ENETWORK) << lastError();
    EXPECT_EQ(ftp_isconnected(h), 0);
    ftp_quit(h);
}

TEST_F(Reliability, CrLfInjectionIsRefusedBeforeSending) {
    ScriptedPeer peer(kGreeting, answering("250 OK\r\n"));
    int h = loginTo(peer);
    ASSERT_GT(h, 0);
    const char* evil = "x\r\nDELE victim";
    const char* lf = "x\nDELE victim";
    char buffer[256];
    EXPECT_EQ(ftp_cd(h, evil), VARNIX_EINVAL);
    EXPECT_NE(lastError().find("CR or LF"), std::string::npos) << lastError();
    EXPECT_EQ(ftp_cd(h, lf), VARNIX_EINVAL);
    EXPECT_EQ(ftp_mkdir(h, evil), VARNIX_EINVAL);
    EXPECT_EQ(ftp_rmdir(h, evil), VARNIX_EINVAL);
    EXPECT_EQ(ftp_delete(h, evil), VARNIX_EINVAL);
    EXPECT_EQ(ftp_rename(h, "a", evil), VARNIX_EINVAL);
    EXPECT_EQ(ftp_rename(h, evil, "b"), VARNIX_EINVAL);
    EXPECT_EQ(ftp_site(h, evil), VARNIX_EINVAL);
    EXPECT_EQ(ftp_quote(h, evil, buffer, sizeof buffer), VARNIX_EINVAL);
    EXPECT_EQ(ftp_get(h, evil, "local"), VARNIX_EINVAL);
    EXPECT_EQ(ftp_put(h, "/etc/hostname", evil), VARNIX_EINVAL);
    EXPECT_EQ(ftp_Exists(h, evil), 0);
    EXPECT_EQ(ftp_GetFileSize(h, evil), VARNIX_EINVAL);
    EXPECT_EQ(ftp_GetFileDateTime(h, evil, buffer, sizeof buffer, ""), VARNIX_EINVAL);
    EXPECT_EQ(ftp_dir(h, evil, "/dev/null"), VARNIX_EINVAL);
    EXPECT_EQ(ftp_openreadforget(h, evil), VARNIX_EINVAL);
    EXPECT_EQ(ftp_openwriteforput(h, evil, 0), VARNIX_EINVAL);
    EXPECT_EQ(ftp_mget(h, evil), VARNIX_EINVAL);
    EXPECT_EQ(ftp_RemotePut(h, h, evil, "x", 1, 0), VARNIX_EINVAL);
    EXPECT_EQ(ftp_relogin(h, "user", evil, ""), VARNIX_EINVAL);
    EXPECT_EQ(ftp_gatelogin(h, evil, "u", "p", ""), VARNIX_EINVAL);
    EXPECT_EQ(ftp_login(peer.host().c_str(), evil, "p", ""), VARNIX_EINVAL);
    EXPECT_EQ(ftp_cd(h, "fine"), 0);
    ftp_quit(h);
    EXPECT_FALSE(peer.receivedAny("DELE"));
    EXPECT_FALSE(peer.receivedAny("victim"));
    EXPECT_TRUE(peer.receivedAny("CWD fine"));
}

// A peer that serves NLST and RETR over its data listener.
ScriptedPeer::Script serving(std::string names) {
    return [names](const std::string& line, ScriptedPeer& peer) {
        if (auto step = ScriptedPeer::loginStep(line)) return *step;
        if (line == "EPSV") return Action::say(ScriptedPeer::epsvReply(peer.dataPort()));
        if (line.starts_with("NLST"))
            return Action::transfer("150 Here it comes.\r\n", names, "226 Done.\r\n");
        if (line.starts_with("RETR "))
            return Action::transfer("150 Sending.\r\n", "content of " + line.substr(5),
                                    "226 Done.\r\n");
        return Action::say("502 Not here.\r\n");
    };
}

TEST_F(Reliability, HostileNamesStayInTheLocalDirectory) {
    ScriptedPeer peer(kGreeting, serving("../escape.txt\r\n/etc/absolute.txt\r\n..\r\n.\r\n\r\n"
                                         "sub/ok.txt\r\nwin\\..\\..\\back.txt\r\nplain.txt\r\n"));
    testfx::TempDir parent;
    auto inside = parent / "inside";
    std::filesystem::create_directory(inside);
    int h = loginTo(peer);
    ASSERT_GT(h, 0);
    ASSERT_EQ(ftp_SetLocalPath(h, inside.c_str()), 0);
    ASSERT_EQ(ftp_mget(h, "*"), 0) << lastError();
    ftp_quit(h);
    std::vector<std::string> made;
    for (const auto& e : std::filesystem::recursive_directory_iterator(parent.path()))
        made.push_back(std::filesystem::relative(e.path(), parent.path()).generic_string());
    std::sort(made.begin(), made.end());
    EXPECT_EQ(made,
              (std::vector<std::string>{"inside", "inside/absolute.txt", "inside/back.txt",
                                        "inside/escape.txt", "inside/ok.txt", "inside/plain.txt"}));
    EXPECT_EQ(testfx::readFile(inside / "escape.txt"), "content of ../escape.txt");
}

TEST_F(Reliability, PassiveAddressFromTheReplyIsIgnored) {
    // EPSV refused; PASV names a foreign host, the port is the peer's own.
    ScriptedPeer peer(kGreeting, [](const std::string& line, ScriptedPeer& p) {
        if (auto step = ScriptedPeer::loginStep(line)) return *step;
        if (line == "EPSV") return Action::say("500 EPSV not understood.\r\n");
        if (line == "PASV") {
            int port = p.dataPort();
            return Action::say("227 Entering Passive Mode (10,99,98,97," +
                               std::to_string(port / 256) + "," + std::to_string(port % 256) +
                               ").\r\n");
        }
        if (line.starts_with("RETR"))
            return Action::transfer("150 Sending.\r\n", "payload", "226 Done.\r\n");
        return Action::say("502 Not here.\r\n");
    });
    testfx::TempDir local;
    int h = loginTo(peer);
    ASSERT_GT(h, 0);
    ASSERT_EQ(ftp_get(h, "f", (local / "f").c_str()), 0) << lastError();
    EXPECT_EQ(testfx::readFile(local / "f"), "payload");
    ftp_quit(h);
}

TEST_F(Reliability, ShortOrGarbledTransfersFail) {
    auto epsvCount = std::make_shared<int>(0);
    ScriptedPeer peer(kGreeting, [epsvCount](const std::string& line, ScriptedPeer& p) {
        if (auto step = ScriptedPeer::loginStep(line)) return *step;
        if (line == "EPSV" && ++*epsvCount == 1)
            return Action::say(ScriptedPeer::epsvReply(p.dataPort()));
        if (line == "EPSV") return Action::say("229 Entering Extended Passive Mode (|||abc|)\r\n");
        if (line == "RETR short")
            return Action::transfer("150 Opening BINARY mode data connection (1000 bytes).\r\n",
                                    "only ten!!", "226 Done.\r\n");
        return Action::say("502 Not here.\r\n");
    });
    testfx::TempDir local;
    int h = loginTo(peer);
    ASSERT_GT(h, 0);
    ASSERT_EQ(ftp_setbinary(h), 0);
    EXPECT_EQ(ftp_get(h, "short", (local / "short").c_str()), VARNIX_ENETWORK);
    EXPECT_NE(lastError().find("10 of 1000"), std::string::npos) << lastError();
    EXPECT_EQ(testfx::readFile(local / "short"), "only ten!!");  // kept for a resume
    EXPECT_EQ(ftp_get(h, "other", (local / "other").c_str()), VARNIX_EPROTOCOL);  // bad EPSV
    EXPECT_NE(lastError().find("abc"), std::string::npos) << lastError();
    EXPECT_FALSE(std::filesystem::exists(local / "other"));
    ftp_quit(h);
}

TEST_F(Reliability, StalledOrCutDataConnections) {
    ScriptedPeer peer(kGreeting, [](const std::string& line, ScriptedPeer& p) {
        if (auto step = ScriptedPeer::loginStep(line)) return *step;
        if (line == "EPSV") return Action::say(ScriptedPeer::epsvReply(p.dataPort()));
        if (line == "RETR stall") return Action::stall("150 Sending soon.\r\n");
        if (line.find("ABOR") != std::string::npos)
            return Action::say("426 Transfer aborted.\r\n226 ABOR done.\r\n");
        if (line == "RETR cut") {
            Action a = Action::transfer("150 Sending.\r\n", "partial", "");
            a.close = true;  // the server goes away in the middle
            return a;
        }
        return Action::say("250 OK.\r\n");
    });
    testfx::TempDir local;
    int h = loginTo(peer);
    ASSERT_GT(h, 0);
    ASSERT_EQ(ftp_setreceivetimeout(h, 1), 0);
    EXPECT_EQ(ftp_get(h, "stall", (local / "stall").c_str()), VARNIX_ETIMEOUT);
    EXPECT_EQ(ftp_cd(h, "x"), 0) << lastError();  // ABOR and NOOP brought it back in step
    EXPECT_TRUE(peer.receivedAny("ABOR"));

    EXPECT_EQ(ftp_get(h, "cut", (local / "cut").c_str()), VARNIX_ENETWORK);
    EXPECT_EQ(testfx::readFile(local / "cut"), "partial");  // kept for a resume
    EXPECT_EQ(ftp_isconnected(h), 0);
    EXPECT_EQ(ftp_relogin(h, "user", "secret", ""), 0) << lastError();
    EXPECT_EQ(ftp_cd(h, "x"), 0);
    ftp_quit(h);
}

TEST_F(Reliability, DataConnectionClosedDuringAPut) {
    ScriptedPeer peer(kGreeting, [](const std::string& line, ScriptedPeer& p) {
        if (auto step = ScriptedPeer::loginStep(line)) return *step;
        if (line == "EPSV") return Action::say(ScriptedPeer::epsvReply(p.dataPort()));
        if (line.starts_with("STOR"))  // takes the connection and drops it at once
            return Action::transfer("150 Go ahead.\r\n", "", "426 Connection closed.\r\n");
        return Action::say("225 Nothing to abort.\r\n");
    });
    testfx::TempDir local;
    testfx::writeFile(local / "big.bin", testfx::allBytes(32 << 20));
    int h = loginTo(peer);
    ASSERT_GT(h, 0);
    ASSERT_EQ(ftp_setbinary(h), 0);
    for (int i = 0; i < 3; ++i)  // the process survives writing into a closed connection
        EXPECT_LT(ftp_put(h, (local / "big.bin").c_str(), "big.bin"), 0);
    EXPECT_NE(ftp_isconnected(h), 0);
    ftp_quit(h);
}

TEST(BadInput, NullPointersInvalidHandlesAndBuffers) {
    char buffer[8] = "guard";
    EXPECT_EQ(ftp_open(nullptr), VARNIX_EINVAL);
    EXPECT_EQ(ftp_login(nullptr, "u", "p", ""), VARNIX_EINVAL);
    EXPECT_EQ(ftp_login("127.0.0.1", nullptr, "p", ""), VARNIX_EINVAL);
    EXPECT_EQ(ftp_cd(0, "/"), VARNIX_EHANDLE);
    EXPECT_EQ(ftp_cd(-5, "/"), VARNIX_EHANDLE);
    EXPECT_EQ(ftp_cd(123456, "/"), VARNIX_EHANDLE);
    EXPECT_NE(lastError().find("123456"), std::string::npos);
    EXPECT_EQ(ftp_pwd(0, buffer, sizeof buffer), VARNIX_EHANDLE);
    EXPECT_EQ(std::string(buffer), "");  // an empty text on failure
    EXPECT_EQ(ftp_quit(0), VARNIX_EHANDLE);
    EXPECT_EQ(ftp_isconnected(0), 0);
    EXPECT_EQ(ftp_Exists(0, "x"), 0);
    EXPECT_EQ(ftp_GetFileSize(0, "x"), VARNIX_EHANDLE);
    EXPECT_EQ(ftp_readdata(0, buffer, sizeof buffer), VARNIX_EHANDLE);
    EXPECT_EQ(ftp_ClearLocalPath(0), VARNIX_EHANDLE);
    EXPECT_EQ(ftp_abort(0), VARNIX_EHANDLE);
    EXPECT_EQ(ftp_RemotePut(0, 0, "a", "b", 1, 0), VARNIX_EHANDLE);
    EXPECT_EQ(www_SendData(0, "x", 1), VARNIX_EHANDLE);
    EXPECT_EQ(varnix_enablelog(nullptr, 0), VARNIX_EINVAL);
    EXPECT_EQ(ftp_lcd(nullptr), VARNIX_EINVAL);
    EXPECT_EQ(f_copyfile(nullptr, "x"), 0);
    EXPECT_EQ(f_deletefile(nullptr), 0);

    // ftp_lasterror fills within the size given and always terminates.
    ftp_cd(0, "/");
    std::string full = lastError();
    char two[2] = {'a', 'b'};
    EXPECT_EQ(ftp_lasterror(two, 2), 1);
    EXPECT_EQ(two[0], full[0]);
    EXPECT_EQ(two[1], '\0');
    char none[1] = {'z'};
    EXPECT_EQ(ftp_lasterror(none, 0), 0);
    EXPECT_EQ(none[0], 'z');  // size 0: nothing written
    EXPECT_EQ(ftp_lasterror(nullptr, 100), 0);
    EXPECT_EQ(varnix_version(), VARNIX_VERSION_NUMBER);  // the project's major * 100 + minor
    EXPECT_EQ(varnix_setdefaulttimeout(0), 1);           // at least one second
    EXPECT_EQ(varnix_setdefaulttimeout(60), 60);
}

}  // namespace
