// SPDX-License-Identifier: MIT
// Local files (f_copyfile, f_deletefile) and the plain TCP connections of the www_
// functions, against Python's own HTTP server.
#include <gtest/gtest.h>

#include <filesystem>

#include "ftp_test_support.h"
#include "windows_skips.h"

namespace {

using ftptest::lastError;

TEST(LocalFiles, CopyAndDelete) {
    testfx::TempDir dir;
    std::string data = testfx::allBytes(700000);
    testfx::writeFile(dir / "from.bin", data);
    EXPECT_NE(f_copyfile((dir / "from.bin").c_str(), (dir / "to.bin").c_str()), 0) << lastError();
    EXPECT_EQ(testfx::sha256File(dir / "to.bin"), testfx::sha256(data));
    testfx::writeFile(dir / "small.bin", "x");
    EXPECT_NE(f_copyfile((dir / "small.bin").c_str(), (dir / "to.bin").c_str()), 0);
    EXPECT_EQ(testfx::readFile(dir / "to.bin"), "x");  // an existing target is replaced
    EXPECT_EQ(f_copyfile((dir / "missing").c_str(), (dir / "x").c_str()), 0);
    EXPECT_NE(lastError().find("missing"), std::string::npos) << lastError();
    EXPECT_EQ(f_copyfile((dir / "from.bin").c_str(), (dir / "from.bin").c_str()), 0);
    EXPECT_EQ(testfx::sha256File(dir / "from.bin"), testfx::sha256(data));  // not emptied
    EXPECT_EQ(f_copyfile((dir / "from.bin").c_str(), (dir / "no-dir" / "x").c_str()), 0);

    EXPECT_NE(f_deletefile((dir / "to.bin").c_str()), 0) << lastError();
    EXPECT_FALSE(std::filesystem::exists(dir / "to.bin"));
    EXPECT_EQ(f_deletefile((dir / "to.bin").c_str()), 0);
    EXPECT_EQ(f_deletefile(dir.path().c_str()), 0);  // not a directory
}

class WebTest : public ::testing::Test {
  protected:
    void SetUp() override {
        VARNIX_SKIP_ON_WINDOWS("its web server is a Linux program (python3 -m http.server)");
        testfx::writeFile(root / "hello.txt", "hello from the web server\n");
        port = testfx::freePort();
        server = testfx::Process({"/usr/bin/python3", "-m", "http.server", "--bind", "127.0.0.1",
                                  std::to_string(port), "--directory", root.path().string()},
                                 logs / "http.log");
        ASSERT_TRUE(testfx::waitForPort("127.0.0.1", port, std::chrono::seconds(15)));
    }
    std::string site() const { return "127.0.0.1:" + std::to_string(port); }

    testfx::TempDir root;
    testfx::TempDir logs;
    int port = 0;
    testfx::Process server;
};

TEST_F(WebTest, RequestAndResponse) {
    int w = www_Open(site().c_str());
    ASSERT_GT(w, 0) << lastError();
    EXPECT_EQ(lastError(), "");  // no text on success
    std::string request = "GET /hello.txt HTTP/1.0\r\n\r\n";
    EXPECT_EQ(www_SendData(w, request.c_str(), static_cast<int>(request.size())),
              static_cast<int>(request.size()));
    std::string response;
    char buffer[1024];
    for (int n, i = 0; i < 1000 && (n = www_ReceiveData(w, buffer, sizeof buffer, 30)) > 0; ++i)
        response.append(buffer, n);
    EXPECT_EQ(response.substr(0, 12), "HTTP/1.0 200") << response;
    EXPECT_NE(response.find("hello from the web server"), std::string::npos);
    EXPECT_EQ(lastError(), "");  // the end of the data is no failure
    EXPECT_EQ(www_Close(w), 0);
    EXPECT_EQ(www_ReceiveData(w, buffer, sizeof buffer, 1), VARNIX_EHANDLE);
    EXPECT_NE(lastError(), "");
}

TEST_F(WebTest, SilenceAndRefusal) {
    int w = www_Open(("http://" + site() + "/ignored/path").c_str());
    ASSERT_GT(w, 0) << lastError();
    char buffer[64];
    EXPECT_EQ(www_ReceiveData(w, buffer, sizeof buffer, 1), VARNIX_ETIMEOUT);  // nothing asked
    EXPECT_NE(lastError().find("1 s"), std::string::npos) << lastError();
    EXPECT_EQ(www_SendData(w, nullptr, 5), VARNIX_EINVAL);
    EXPECT_EQ(www_Close(w), 0);
    EXPECT_EQ(www_Open(("127.0.0.1:" + std::to_string(testfx::freePort())).c_str()),
              VARNIX_ECONNECT);
    EXPECT_NE(lastError(), "");
    EXPECT_EQ(www_Open(""), VARNIX_EINVAL);
}

}  // namespace
