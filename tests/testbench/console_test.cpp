// SPDX-License-Identifier: MIT
// The console front end end to end: "brisel32 --console" runs a scripted session against a real
// server and prints the log lines, message boxes and dialog texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "servers.h"

#ifndef BRISEL32_PATH
#error "BRISEL32_PATH must name the brisel32 program"
#endif

namespace {

// Runs a shell command and returns what it printed (all of it: the script ends by itself), and
// in `status` how it ended.
std::string Capture(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    int ended = ::pclose(pipe);
    if (status) *status = ended;
    return out;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0, end;
    while ((end = text.find('\n', start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Every expected line appears, in this order (other lines may come between); with `prefix`,
// a line need only begin with the expected text.
void ExpectInOrder(const std::string& output, const std::vector<std::string>& expected,
                   bool prefix = false) {
    auto lines = SplitLines(output);
    std::size_t at = 0;
    for (const auto& want : expected) {
        auto matches = [&](const std::string& line) {
            return prefix ? line.rfind(want, 0) == 0 : line == want;
        };
        while (at < lines.size() && !matches(lines[at]))
            ++at;
        ASSERT_LT(at, lines.size()) << "missing, or out of order: " << want << "\n" << output;
        ++at;
    }
}

TEST(Console, ScriptedSessionAgainstAServer) {
    testfx::FtpServer server(testfx::ServerKind::Pyftpdlib);
    server.put("hello.txt", "hello, world\n");
    testfx::TempDir dir("bench-console");
    testfx::writeFile(dir / "up.txt", "uploaded\n");
    const std::string host = server.host();
    const std::string script =
        "# a test-bench session\n"
        "IsConnected\n"
        "Login " +
        host + " " + server.user() + " \"" + server.password() +
        "\"\n"
        "Put \"" +
        (dir / "up.txt").string() +
        "\" up.txt\n"
        "Get hello.txt \"" +
        (dir / "hello.txt").string() +
        "\" 0\n"
        "PWD\n"
        "DirList \"\" 0\n"
        "Quote SYST\n"
        "File Size hello.txt\n"
        "LoginPort 127.0.0.1 u p nonsense :cancel\n"
        "New Window\n"
        "Abort\n"
        "window 1\n"
        "Logout\n"
        "Save As \"" +
        (dir / "saved.log").string() +
        "\"\n"
        "Exit\n"
        "Abort\n";
    testfx::writeFile(dir / "session.txt", script);
    std::string out = Capture(std::string(BRISEL32_PATH) + " --console " +
                              (dir / "session.txt").string() + " 2>&1");
    const std::string win = "[" + host + "] ";
    ExpectInOrder(out, {
                           "[Dovrel1] Please connect to server first...",
                           "> IsConnected",
                           "** Is Connected?: FTP session is disconnected.",
                           win + "Connected to " + host,
                           win + "Wait...putting " + (dir / "up.txt").string(),
                           win + "Wait...getting hello.txt",
                           "{PWD} Working Path: /",
                           "{Directory Listing}",
                           "| hello.txt",
                           "{FTP Quote}",
                           "** File Size: File size of hello.txt = 13",
                           "** brisel32: Please enter an integer.",
                           "[" + host + ":2] Abort submitted....",
                           "[" + host + ":1] Disconnected",
                           "[" + host + ":2] Disconnected",
                       });
    EXPECT_EQ(out.find("> Abort\n", out.find("> Exit")), std::string::npos) << "ran past Exit";
    EXPECT_EQ(server.get("up.txt"), "uploaded\n");
    EXPECT_EQ(testfx::readFile(dir / "hello.txt"), "hello, world\n");
    std::string saved = testfx::readFile(dir / "saved.log");
    EXPECT_EQ(saved.rfind("Please connect to server first...\n", 0), 0u) << saved;
    EXPECT_NE(saved.find("Disconnected\n"), std::string::npos) << saved;
}

TEST(Console, StreamsLoopsRemoteCopyAndOptions) {
    testfx::FtpServer server(testfx::ServerKind::Pyftpdlib);
    server.put("hello.txt", "hello, world\n");
    testfx::TempDir dir("bench-console");
    testfx::writeFile(dir / "up.txt", "uploaded\n");
    testfx::writeFile(dir / "list.txt", (dir / "up.txt").string() + "\n\n");
    const std::string host = server.host();
    const std::string login =
        "Login " + host + " " + server.user() + " \"" + server.password() + "\"\n";
    const std::string script = login +
                               "Binary\n"
                               "WritePut typed.txt 0 \"one\\r\\ntwo\"\n"
                               "ReadGet typed.txt\n"
                               "ReadDirList \"\" 0\n"
                               "Loop Tests Put \"" +
                               (dir / "up.txt").string() +
                               "\" loop.txt 2 0\n"
                               "Put List Files \"" +
                               (dir / "list.txt").string() +
                               "\"\n"
                               "Status Box\n"
                               "SetActive\n"
                               "New\n" +
                               login +
                               "RemoteToRemotePut 1 0 hello.txt copy.txt 0\n"
                               "Test Web 127.0.0.1:1 \"GET / HTTP/1.0\"\n";
    testfx::writeFile(dir / "session.txt", script);
    std::string out = Capture(std::string(BRISEL32_PATH) + " --console " +
                              (dir / "session.txt").string() + " 2>&1");
    const std::string win = "[" + host + "] ";
    ExpectInOrder(out,
                  {
                      win + "Connected to " + host,
                      win + "ReadGet: bytes read: 8",
                      "{Read Remote File}",
                      "| one",
                      "| two",
                      win + "Read directory completed successfully",
                      "{Directory Listing}",
                      win + "Wait...putting " + (dir / "up.txt").string(),
                      win + "Total successful loops = 2, in ",
                      win + "Wait...putting " + (dir / "up.txt").string(),
                      win + "Status Box turned off",
                      win + "Set FTP server active",
                      "[Dovrel2] Please connect to server first...",
                      "{Select the FROM ftp server:} 1: " + host + ":" + server.user(),
                      win + "Wait...putting hello.txt",
                      "{Test WWW Function} {Received Data:}",
                      "| Error connecting to 127.0.0.1:1",
                  },
                  true);
    EXPECT_EQ(server.get("typed.txt"), "one\r\ntwo");
    EXPECT_EQ(server.get("loop.txt"), "uploaded\n");
    EXPECT_EQ(server.get("up.txt"), "uploaded\n");
    EXPECT_EQ(server.get("copy.txt"), "hello, world\n");
}

TEST(Console, ReadsStandardInputAndSurvivesBadLines) {
    testfx::TempDir dir("bench-console");
    testfx::writeFile(dir / "in.txt", "Frobnicate now\nPut a b\nOpen \"" +
                                          (dir / "none.log").string() + "\"\nOpen \"" +
                                          dir.path().string() + "\"\nAbort\n");
    std::string out = Capture("cat " + (dir / "in.txt").string() + " | " +
                              std::string(BRISEL32_PATH) + " --console 2>&1");
    ExpectInOrder(out,
                  {"** brisel32: Unknown command: Frobnicate", "[Dovrel1] Server not connected yet",
                   "** brisel32: Failed to open document.", "** brisel32: Failed to open document.",
                   "[Dovrel1] No FTP connection."});
}

// What a session keeps in its output: no password in clear, and each command's progress lines
// before its result line, also when the server announces no size (the last report of a
// transfer then falls between two printed steps).
TEST(Console, EchoMasksPasswordsAndProgressComesBeforeTheResult) {
    testfx::FtpServer server(testfx::ServerKind::Pyftpdlib);
    const std::size_t size = 3 << 19;  // 1.5 MiB: its last report is not a step of its own
    // In ASCII mode the server answers no SIZE; a text without line ends keeps its size.
    server.put("big.txt", std::string(size, 'x'));
    testfx::TempDir dir("bench-console");
    const std::string host = server.host();
    const std::string& password = server.password();
    const std::string script = "Login " + host + " " + server.user() + " \"" + password +
                               "\"\n"
                               "ReLogin " +
                               server.user() + " " + password +
                               "\n"
                               "Ascii\n"
                               "Get big.txt \"" +
                               (dir / "big.txt").string() + "\" 0\n";
    testfx::writeFile(dir / "session.txt", script);
    std::string out = Capture(std::string(BRISEL32_PATH) + " --console " +
                              (dir / "session.txt").string() + " 2>&1");
    EXPECT_EQ(out.find(password), std::string::npos) << out;
    const std::string win = "[" + host + "] ";
    ExpectInOrder(out, {"> Login " + host + " " + server.user() + " ****",
                        win + "Connected to " + host, "> ReLogin " + server.user() + " ****",
                        win + "User " + server.user() + " logged in"});
    // The Get: "Wait...getting", progress lines up to the whole size, then the result.
    auto lines = SplitLines(out);
    auto get = std::find(lines.begin(), lines.end(), win + "Wait...getting big.txt");
    ASSERT_NE(get, lines.end()) << out;
    std::vector<std::string> after(get + 1, lines.end());
    ASSERT_GE(after.size(), 2u) << out;
    EXPECT_EQ(after.back().rfind(win, 0), 0u) << "the result comes last:\n" << out;
    EXPECT_EQ(after[after.size() - 2], "Progress: " + std::to_string(size) + " bytes") << out;
    EXPECT_EQ(std::filesystem::file_size(dir / "big.txt"), size);
}

// Help and version need no display, and the help names the options of both front ends.
TEST(CommandLine, HelpAndVersionWithoutADisplay) {
    const std::string program =
        "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + std::string(BRISEL32_PATH);
    int status = -1;
    std::string help = Capture(program + " --help 2>&1", &status);
    EXPECT_EQ(status, 0) << help;
    for (const char* part : {"Usage: ", "--console", "FILE", "-platform", "--version"})
        EXPECT_NE(help.find(part), std::string::npos) << part << "\n" << help;
    std::string version = Capture(program + " --version 2>&1", &status);
    EXPECT_EQ(status, 0) << version;
    EXPECT_EQ(version.rfind("brisel32 Version 3.50\nVarnix32.dll version ", 0), 0u) << version;
    std::string wrong = Capture(program + " --console --frobnicate 2>&1", &status);
    EXPECT_NE(status, 0) << wrong;
    EXPECT_NE(wrong.find("frobnicate"), std::string::npos) << wrong;
}

}  // namespace
