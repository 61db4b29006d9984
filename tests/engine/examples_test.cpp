// SPDX-License-Identifier: MIT
// The example jobs of examples/, run against local pyftpdlib servers with their addresses
// and logins in place of the placeholders. The engine's clock is a test clock: the waits of
// their failure policies are recorded, not waited for.
#include <gtest/gtest.h>
#include <utime.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "files.h"
#include "manual_clock.h"
#include "quarv32.h"
#include "servers.h"
#include "trace_log.h"
#include "windows_skips.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Runs a test with a folder as the current directory, as quarv runs a job in its folder.
class InFolder {
  public:
    explicit InFolder(const fs::path& folder) : previous_(fs::current_path()) {
        fs::current_path(folder);
    }
    ~InFolder() { fs::current_path(previous_); }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

  private:
    fs::path previous_;
};

struct Lines {
    std::string text;
    static int Add(uintptr_t user, const char* line) {
        reinterpret_cast<Lines*>(user)->text += line;
        return 0;
    }
};

class ExampleJob : public ::testing::Test {
  protected:
    ExampleJob() {
        // Server dates are read as local dates: one zone for both sides.
        setenv("TZ", "UTC", 1);
        tzset();
    }
    ~ExampleJob() override {
        CTraceLog::Instance().SetLevel(0);
        CTraceLog::Instance().Close();
    }
    // Runs an example in the job folder with the placeholders replaced, longest first.
    int Run(const std::string& example, std::map<std::string, std::string> values) {
        std::string script = testfx::readFile(fs::path(QUARV_EXAMPLES) / example);
        std::vector<std::pair<std::string, std::string>> ordered(values.begin(), values.end());
        std::sort(ordered.begin(), ordered.end(),
                  [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
        for (const auto& [placeholder, value] : ordered)
            for (std::size_t at; (at = script.find(placeholder)) != std::string::npos;)
                script.replace(at, placeholder.size(), value);
        testfx::writeFile(job_ / example, script);
        InFolder inside(job_.path());
        output_.text.clear();
        const int result = Quarv_Execute2(example.c_str(), reinterpret_cast<uintptr_t>(&output_),
                                          Lines::Add, Lines::Add);
        CTraceLog::Instance().Close();  // the log's name is relative to the folder
        return result;
    }
    static std::map<std::string, std::string> LoginOf(const testfx::FtpServer& server) {
        return {{"HOST", server.host()}, {"USER", server.user()}, {"PASSWORD", server.password()}};
    }

    ManualClock clock_{std::time(nullptr)};
    ScopedEngineClock installed_{clock_};
    testfx::TempDir job_{"quarv-example"};
    Lines output_;
};

testfx::ServerOptions CutsFirst(int times) {
    testfx::ServerOptions options;
    options.cutAfter = 64 * 1024;
    options.cutTimes = times;
    return options;
}

TEST_F(ExampleJob, NightlyDownloadFetchesTodaysReportAndResumesItWhenCut) {
    VARNIX_SKIP_ON_WINDOWS("the example's $Exec command is a POSIX shell command (cp, date)");
    testfx::FtpServer server(testfx::ServerKind::Pyftpdlib, CutsFirst(1));
    const std::string report = testfx::allBytes(400000);
    server.mkdir("reports");
    server.put("reports/daily.csv", report);
    ASSERT_EQ(Run("nightly-download.qv", LoginOf(server)), 0) << output_.text;
    EXPECT_EQ(testfx::sha256File(job_ / "daily.csv"), testfx::sha256(report));
    char today[16];
    const std::time_t now = std::time(nullptr);
    std::strftime(today, sizeof today, "%Y%m%d", std::localtime(&now));
    EXPECT_EQ(testfx::sha256File(job_ / ("daily-" + std::string(today) + ".csv")),
              testfx::sha256(report));
    const std::string log = testfx::readFile(job_ / "nightly.log");
    EXPECT_TRUE(Contains(log, "\nSleeping for 60 seconds\nRetry # 1\n")) << log;
    EXPECT_EQ(clock_.Sleeps(), std::vector<std::chrono::milliseconds>{60s});
    EXPECT_TRUE(Contains(output_.text, "C> --> Perform THEN\r\n")) << output_.text;

    // A report the server has had since yesterday is not fetched again.
    fs::remove(job_ / "daily.csv");
    const utimbuf yesterday{now - 2 * 86400, now - 2 * 86400};
    ASSERT_EQ(::utime(server.path("reports/daily.csv").c_str(), &yesterday), 0);
    ASSERT_EQ(Run("nightly-download.qv", LoginOf(server)), 0) << output_.text;
    EXPECT_FALSE(fs::exists(job_ / "daily.csv"));
    EXPECT_TRUE(Contains(output_.text, "C> --> ENDIF\r\n")) << output_.text;
}

TEST_F(ExampleJob, TwoServerCopyCopiesFromServerToServer) {
    testfx::FtpServer source(testfx::ServerKind::Pyftpdlib);
    testfx::FtpServer target(testfx::ServerKind::Pyftpdlib);
    const std::string archive = testfx::allBytes(250000);
    source.put("archive.zip", archive);
    ASSERT_EQ(Run("two-server-copy.qv", {{"SOURCE", source.host()},
                                         {"SOURCE_USER", source.user()},
                                         {"SOURCE_PASSWORD", source.password()},
                                         {"TARGET", target.host()},
                                         {"TARGET_USER", target.user()},
                                         {"TARGET_PASSWORD", target.password()}}),
              0)
        << output_.text;
    EXPECT_EQ(testfx::sha256(target.get("archive.zip")), testfx::sha256(archive));
    // Both sizes were asked for, and they agreed: the copy stays.
    EXPECT_TRUE(Contains(output_.text, "S> 250000\r\nS> 2")) << output_.text;
    EXPECT_TRUE(Contains(output_.text, "C> --> ENDIF\r\n")) << output_.text;
    EXPECT_TRUE(Contains(testfx::readFile(job_ / "copy.log"), " QUARV32 Log End.\n"));
}

TEST_F(ExampleJob, ResumableUploadSendsTodaysBackupUnderItsNameOnlyWhenWhole) {
    testfx::FtpServer server(testfx::ServerKind::Pyftpdlib, CutsFirst(2));
    const std::string backup = testfx::allBytes(500000);
    testfx::writeFile(job_ / "backup.tar.gz", backup);
    ASSERT_EQ(Run("resumable-upload.qv", LoginOf(server)), 0) << output_.text;
    EXPECT_EQ(testfx::sha256(server.get("backup.tar.gz")), testfx::sha256(backup));
    EXPECT_FALSE(server.exists("backup.tar.gz.part"));
    const std::string log = testfx::readFile(job_ / "upload.log");
    EXPECT_TRUE(Contains(log, "\nRetry # 2\n")) << log;
    EXPECT_EQ(clock_.Sleeps(), (std::vector<std::chrono::milliseconds>{30s, 30s}));
    EXPECT_TRUE(Contains(server.log(), "<- REST ")) << server.log();
}

}  // namespace
