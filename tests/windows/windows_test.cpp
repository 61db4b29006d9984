// SPDX-License-Identifier: MIT
// The Windows build against real servers (pyftpdlib, vsftpd) on 127.0.0.1: transfers in both
// connection modes with names outside ASCII, wildcards, name lookup and connect failures,
// FTPS refused with a clear code, and a script run through quarv32 that also starts a program.
#include <gtest/gtest.h>
#include <windows.h>

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

TEST_P(WindowsServerTest, FtpsHostsAreRefusedBeforeTheLogin) {
    for (const std::string scheme : {"ftpes:", "ftps:"}) {
        SCOPED_TRACE(scheme);
        const std::string host = scheme + server_.host;
        EXPECT_EQ(ftp_login(host.c_str(), server_.user.c_str(), server_.password.c_str(), ""),
                  VARNIX_ETLS);
        EXPECT_NE(lastError().find("FTPS is not available in this Windows build"),
                  std::string::npos)
            << lastError();
    }
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

}  // namespace
