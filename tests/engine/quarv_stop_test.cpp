// SPDX-License-Identifier: MIT
// quarv on SIGINT and SIGTERM: the script stops even while it waits to retry, its session
// quits, its log is complete, and quarv exits with 128 + the signal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include "files.h"
#include "scripted_peer.h"
#include "servers.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Runs quarv on a script in a folder, output to files there; the child's pid.
pid_t StartQuarv(const fs::path& folder, const std::string& script) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, (folder / "stdout.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, (folder / "stderr.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string path = (folder / script).string();
    char* argv[] = {const_cast<char*>(QUARV_BINARY), const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, QUARV_BINARY, &actions, nullptr, argv, environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The quarv child of a test: killed and reaped when the test leaves it behind.
class Child {
  public:
    explicit Child(pid_t pid) : pid_(pid) {}
    ~Child() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    pid_t pid() const { return pid_; }
    // Waits up to the limit for the child to end; its wait status, or -1 when it runs on.
    int WaitFor(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return status;
            }
            std::this_thread::sleep_for(20ms);
        }
        return -1;
    }

  private:
    pid_t pid_;
};

// Polls a file until it holds the text, up to the limit.
bool WaitForText(const fs::path& file, const std::string& text, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (fs::exists(file) && testfx::readFile(file).find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

TEST(QuarvStop, SignalsStopAScriptThatWaitsToRetryForever) {
    testfx::FtpServer server(testfx::ServerKind::Pyftpdlib);
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        testfx::TempDir work("quarv-stop");
        testfx::writeFile(work / "job.qv", "logfile '" + (work / "job.log").string() +
                                               "'\non failed retry forever sleep 600\nlogin " +
                                               server.host() + " " + server.user() + " '" +
                                               server.password() + "'\nget missing.txt '" +
                                               (work / "missing.txt").string() + "'\necho on\n");
        const std::size_t quitsBefore = Count(server.log(), "QUIT");
        Child quarv(StartQuarv(work.path(), "job.qv"));
        ASSERT_GT(quarv.pid(), 0);
        // The first attempt failed and the wait before the first retry has begun.
        ASSERT_TRUE(WaitForText(work / "job.log", "Sleeping for 600 seconds", 30s))
            << testfx::readFile(work / "stderr.txt");
        ::kill(quarv.pid(), signal);
        const int status = quarv.WaitFor(30s);
        ASSERT_NE(status, -1) << "quarv did not stop";
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
        EXPECT_EQ(testfx::readFile(work / "stderr.txt"),
                  "quarv: " + (work / "job.qv").string() + " stopped on request (result -6)\n");
        const std::string log = testfx::readFile(work / "job.log");
        EXPECT_EQ(log.find("Retry # 1"), std::string::npos) << "no retry after the stop";
        EXPECT_NE(log.find("C> Stopped on request.\n"), std::string::npos) << log;
        EXPECT_NE(log.find("QUARV32 Log End.\n"), std::string::npos) << log;
        EXPECT_EQ(log.find("C> echo on"), std::string::npos) << "no statement after the stop";
        // The script's session said goodbye to the server.
        EXPECT_GT(Count(server.log(), "QUIT"), quitsBefore) << server.log();
    }
}

TEST(QuarvStop, ASignalAbortsATransferThatStalls) {
    // The peer opens the data connection of the download and then sends nothing.
    ftptest::ScriptedPeer peer(
        "220 Ready.\r\n", [](const std::string& line, ftptest::ScriptedPeer& p) {
            using Action = ftptest::ScriptedPeer::Action;
            if (auto step = ftptest::ScriptedPeer::loginStep(line)) return *step;
            if (line == "EPSV") return Action::say(ftptest::ScriptedPeer::epsvReply(p.dataPort()));
            if (line.starts_with("RETR ")) return Action::stall("150 Sending, slowly.\r\n");
            return Action::say("502 Not here.\r\n");
        });
    testfx::TempDir work("quarv-stop");
    // Without the abort quarv would wait ten minutes for the next byte.
    testfx::writeFile(work / "job.qv", "logfile '" + (work / "job.log").string() + "'\nlogin " +
                                           peer.host() +
                                           " user secret\nreceivetimeout 600\nbinary\n"
                                           "on failed restart forever\nget big.bin '" +
                                           (work / "big.bin").string() + "'\n");
    Child quarv(StartQuarv(work.path(), "job.qv"));
    ASSERT_GT(quarv.pid(), 0);
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!peer.receivedAny("RETR") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(peer.receivedAny("RETR"));
    ::kill(quarv.pid(), SIGINT);
    const int status = quarv.WaitFor(30s);
    ASSERT_NE(status, -1) << "quarv did not stop";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    const std::string log = testfx::readFile(work / "job.log");
    EXPECT_EQ(log.find("Retry #"), std::string::npos) << log;
    EXPECT_NE(log.find("C> Stopped on request.\n"), std::string::npos) << log;
    EXPECT_TRUE(peer.receivedAny("QUIT"));
}

}  // namespace
