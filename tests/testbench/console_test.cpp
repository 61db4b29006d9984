// The console front end end to end: "brisel32 --console" runs a scripted session against a real
// server and prints the log lines, message boxes and dialog texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "servers.h"

#ifndef BRISEL32_PATH
#error "BRISEL32_PATH must name the brisel32 program"
#endif

namespace {

// Runs a shell command and returns what it printed (all of it: the script ends by itself).
std::string Capture(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    ::pclose(pipe);
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

}  // namespace
