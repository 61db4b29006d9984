// SPDX-License-Identifier: MIT
// The failure policy end to end: the engine on the real varnix32 against pyftpdlib, whose
// data connections are cut part-way for the first transfers. The engine's clock is a test
// clock, so the retries' sleeps are recorded instead of waited for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "files.h"
#include "manual_clock.h"
#include "quarv32.h"
#include "servers.h"
#include "trace_log.h"
#include "varnix32.h"

namespace {

using namespace std::chrono_literals;

constexpr std::size_t kFileSize = 3 * 1024 * 1024 + 17;
constexpr long kCutAfter = 512 * 1024;

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// A server that cuts its first `times` data connections after kCutAfter bytes.
testfx::ServerOptions CuttingServer(int times) {
    testfx::ServerOptions options;
    options.cutAfter = kCutAfter;
    options.cutTimes = times;
    return options;
}

class PolicyEndToEnd : public ::testing::Test {
  protected:
    void TearDown() override {
        CTraceLog::Instance().SetLevel(0);
        CTraceLog::Instance().Close();
    }
    // Runs a script in the work folder after a login to the server; the result.
    int Run(const testfx::FtpServer& server, const std::string& body) {
        const std::string script = "logfile '" + (work_ / "run.log").string() + "' clear\nlogin " +
                                   server.host() + " " + server.user() + " '" + server.password() +
                                   "'\nbinary\n" + body + "logfile\n";
        testfx::writeFile(work_ / "job.qv", script);
        return Quarv_Execute2((work_ / "job.qv").c_str(), 0, Discard, Discard);
    }
    // The lines of the log that the retries wrote.
    std::vector<std::string> RetryLines() const {
        std::vector<std::string> lines;
        const std::string log = testfx::readFile(work_ / "run.log");
        static const std::regex retry("^(Sleeping for \\d+ seconds|Retry # \\d+)$");
        std::size_t start = 0;
        for (std::size_t end; (end = log.find('\n', start)) != std::string::npos; start = end + 1) {
            const std::string line = log.substr(start, end - start);
            if (std::regex_match(line, retry)) lines.push_back(line);
        }
        return lines;
    }
    static int Discard(uintptr_t, const char*) { return 0; }
    // The files in a folder, by name.
    static std::vector<std::string> FilesIn(const std::filesystem::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // The local file of the transfers, quoted for a script line.
    std::string Local() const { return "'" + (work_ / "big.bin").string() + "'"; }

    ManualClock clock_{std::time(nullptr)};
    ScopedEngineClock installed_{clock_};
    testfx::TempDir work_{"quarv-policy-e2e"};
    const std::string data_ = testfx::allBytes(kFileSize);
};

const std::vector<std::string> kTwoResumedAttempts = {"Sleeping for 1 seconds", "Retry # 1",
                                                      "Sleeping for 1 seconds", "Retry # 2"};

TEST_F(PolicyEndToEnd, ACutDownloadResumesUntilItIsWhole) {
    testfx::FtpServer server(testfx::ServerKind::Pyftpdlib, CuttingServer(2));
    server.put("big.bin", data_);
    EXPECT_EQ(Run(server, "on failed restart 5 sleep 1\nget big.bin " + Local() + "\n"), 0);
    EXPECT_EQ(testfx::sha256File(work_ / "big.bin"), testfx::sha256(data_));
    EXPECT_EQ(RetryLines(), kTwoResumedAttempts);
    EXPECT_EQ(clock_.Sleeps(), (std::vector<std::chrono::milliseconds>{1s, 1s}));
    // Each cut was answered at once (no wait for a reply that never comes), and the retries
    // asked the server to go on where the local file ended.
    EXPECT_EQ(Count(server.log(), "-> 426 Data connection cut"), 2u) << server.log();
    EXPECT_NE(server.log().find("REST " + std::to_string(kCutAfter)), std::string::npos)
        << server.log();
}

TEST_F(PolicyEndToEnd, ACutUploadResumesUntilItIsWhole) {
    testfx::FtpServer server(testfx::ServerKind::Pyftpdlib, CuttingServer(2));
    testfx::writeFile(work_ / "big.bin", data_);
    EXPECT_EQ(Run(server, "on failed restart 5 sleep 1\nput " + Local() + " big.bin\n"), 0);
    EXPECT_EQ(testfx::sha256(server.get("big.bin")), testfx::sha256(data_));
    EXPECT_EQ(RetryLines(), kTwoResumedAttempts);
    EXPECT_EQ(clock_.Sleeps(), (std::vector<std::chrono::milliseconds>{1s, 1s}));
    // The retries went on where the server's copy ended.
    const std::string log = server.log();
    EXPECT_EQ(Count(log, "<- REST "), 2u) << log;
    EXPECT_EQ(Count(log, "STOR big.bin") + Count(log, "APPE big.bin"), 3u) << log;
}

TEST_F(PolicyEndToEnd, TooFewRetriesLeaveTheTransferFailed) {
    testfx::FtpServer server(testfx::ServerKind::Pyftpdlib, CuttingServer(3));
    server.put("big.bin", data_);
    EXPECT_NE(Run(server, "on failed restart 1\nget big.bin " + Local() + "\n"), 0);
    EXPECT_EQ(RetryLines(), std::vector<std::string>{"Retry # 1"});
    EXPECT_TRUE(clock_.Sleeps().empty());
    // Retrying without restart starts over, and also ends with the whole file.
    EXPECT_EQ(Run(server, "on failed retry 3\nget big.bin " + Local() + "\n"), 0);
    EXPECT_EQ(RetryLines(), std::vector<std::string>{"Retry # 1"});
    EXPECT_EQ(testfx::sha256File(work_ / "big.bin"), testfx::sha256(data_));
}

// Retries resume only what the same statement wrote. Each case: a stale file of the same
// name where the transfer goes, a first attempt that writes nothing (the connection was
// dropped behind the session's back) or is cut part-way, and the retry policy. The target
// must end byte for byte equal to the source, the stale file untouched where a unique mode
// chose another name, and no other file left behind.
TEST_F(PolicyEndToEnd, RetriesResumeOnlyWhatTheStatementWrote) {
    const std::string stale = "yesterday's file, not this one";
    struct Case {
        const char* name;
        int cuts;                        // data connections the server cuts
        std::string script;              // after the login; LOCAL is the local big.bin
        bool download;                   // the target is local (else remote)
        std::vector<std::string> files;  // the target's folder afterwards
        std::string target;  // the file that must hold the source ("" : the one new file)
    };
    const std::vector<Case> cases = {
        {"get, nothing written before the retry",
         0,
         "on failed restart 3\ntest quit\nget big.bin LOCAL\n",
         true,
         {"big.bin"},
         "big.bin"},
        {"put, nothing written before the retry",
         0,
         "on failed restart 3\ntest quit\nput LOCAL big.bin\n",
         false,
         {"big.bin"},
         "big.bin"},
        {"get, local unique, resumed",
         1,
         "local unique on\non failed restart 3\nget big.bin LOCAL\n",
         true,
         {"big.bin", "big.bin.1"},
         "big.bin.1"},
        {"get, local unique, retried whole",
         2,
         "local unique on\non failed retry 3\nget big.bin LOCAL\n",
         true,
         {"big.bin", "big.bin.1"},
         "big.bin.1"},
        {"put, store unique, resumed",
         1,
         "store unique on\non failed restart 3\nput LOCAL big.bin\n",
         false,
         {},
         ""},
        {"put, store unique, retried whole",
         2,
         "store unique on\non failed retry 3\nput LOCAL big.bin\n",
         false,
         {},
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testfx::FtpServer server(testfx::ServerKind::Pyftpdlib, CuttingServer(c.cuts));
        testfx::TempDir local("quarv-integrity");
        const std::string localName = "'" + (local / "big.bin").string() + "'";
        if (c.download) {
            server.put("big.bin", data_);
            testfx::writeFile(local / "big.bin", stale);
        } else {
            server.put("big.bin", stale);
            testfx::writeFile(local / "big.bin", data_);
        }
        std::string script = c.script;
        script.replace(script.find("LOCAL"), 5, localName);
        EXPECT_EQ(Run(server, script), 0) << testfx::readFile(work_ / "run.log");
        if (c.download) {
            EXPECT_EQ(FilesIn(local.path()), c.files);
            EXPECT_EQ(testfx::sha256File(local / c.target), testfx::sha256(data_));
            if (c.target != "big.bin") {
                EXPECT_EQ(testfx::readFile(local / "big.bin"), stale);
            }
            continue;
        }
        std::vector<std::string> remote = FilesIn(server.root());
        if (c.target.empty()) {
            // A unique name of the server's: the stale file and exactly one new one.
            ASSERT_EQ(remote.size(), 2u) << server.log();
            EXPECT_EQ(server.get("big.bin"), stale);
            const std::string given = remote[0] == "big.bin" ? remote[1] : remote[0];
            EXPECT_EQ(testfx::sha256(server.get(given)), testfx::sha256(data_)) << given;
        } else {
            EXPECT_EQ(remote, c.files);
            EXPECT_EQ(testfx::sha256(server.get(c.target)), testfx::sha256(data_));
        }
    }
}

// A cut append is retried with only what the server has not received; an append whose
// arrival cannot be measured is not repeated.
TEST_F(PolicyEndToEnd, ARetriedAppendAppendsOnlyTheRest) {
    testfx::FtpServer server(testfx::ServerKind::Pyftpdlib, CuttingServer(2));
    const std::string head = "the log so far\n";
    server.put("log.bin", head);
    testfx::writeFile(work_ / "big.bin", data_);
    EXPECT_EQ(Run(server, "on failed retry 3\nappend " + Local() + " log.bin\n"), 0);
    EXPECT_EQ(testfx::sha256(server.get("log.bin")), testfx::sha256(head + data_));
    EXPECT_EQ(RetryLines(), (std::vector<std::string>{"Retry # 1", "Retry # 2"}));
}

// A resumed binary transfer that leaves the two files of different sizes fails: here the
// server keeps the longer old end of the remote file behind what was stored at the offset.
TEST_F(PolicyEndToEnd, AResumedTransferWhoseSizesDifferFails) {
    testfx::FtpServer server(testfx::ServerKind::Pyftpdlib);
    server.put("big.bin", data_ + "an older, longer end");
    testfx::writeFile(work_ / "big.bin", data_);
    EXPECT_EQ(Run(server, "restart put " + Local() + " big.bin @ 1000\n"), VARNIX_ENETWORK);
    const std::string log = testfx::readFile(work_ / "run.log");
    EXPECT_NE(log.find("S> After the resumed transfer the local file "), std::string::npos) << log;
}

}  // namespace
