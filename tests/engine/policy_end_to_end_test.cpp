// The failure policy end to end: the engine on the real varnix32 against pyftpdlib, whose
// data connections are cut part-way for the first transfers. The engine's clock is a test
// clock, so the retries' sleeps are recorded instead of waited for.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <regex>
#include <string>
#include <vector>

#include "files.h"
#include "manual_clock.h"
#include "quarv32.h"
#include "servers.h"
#include "trace_log.h"

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

}  // namespace
