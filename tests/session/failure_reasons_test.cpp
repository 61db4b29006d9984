// SPDX-License-Identifier: MIT
// Failures say why and stop the job, and the small answers show what the server sent, with
// the engine on the real varnix32 against pyftpdlib.
#include <gtest/gtest.h>
#include <utime.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "files.h"
#include "job_support.h"
#include "manual_clock.h"
#include "servers.h"
#include "trace_log.h"

namespace {

namespace fs = std::filesystem;

bool StartsWith(const std::string& text, const std::string& start) {
    return text.rfind(start, 0) == 0;
}

class FailureReasons : public ::testing::Test {
  protected:
    void TearDown() override { CTraceLog::Instance().Close(); }
    std::string Login() const {
        return "login " + server_.host() + " " + server_.user() + " '" + server_.password() + "'";
    }
    int Run(const std::string& body, jobtest::Output& out) {
        return jobtest::RunScript(work_ / "job.qv", "echo on\n" + Login() + "\n" + body, out);
    }

    testfx::FtpServer server_{testfx::ServerKind::Pyftpdlib};
    testfx::TempDir work_{"quarv-reasons"};
};

// The line after a failed statement holds why it failed, never the login's older reply nor
// the reply to a QUIT after the refusal.
TEST_F(FailureReasons, AFailedStatementShowsWhyItFailed) {
    server_.put("keep.txt", "keep");
    const std::string missingLocal = (work_ / "missing.txt").string();
    const std::string noFolder = (work_ / "no" / "such" / "a.txt").string();
    struct Case {
        std::string statement;
        std::string shown;  // a part of the server line after it
    };
    const std::vector<Case> cases = {
        {"put '" + missingLocal + "'", missingLocal},
        {"get keep.txt '" + noFolder + "'", (work_ / "no" / "such").string()},
        {"get missing.txt", "550 "},
        {"login " + server_.host() + " " + server_.user() + " 'wrong'", "530 "},
    };
    for (const Case& c : cases) {
        jobtest::Output out;
        EXPECT_NE(Run(c.statement + "\n", out), 0) << c.statement;
        std::string echoed = "C> " + c.statement + "\r\n";
        if (StartsWith(c.statement, "login"))
            echoed = "C> login " + server_.host() + " " + server_.user() + " ****\r\n";
        // The last such line: the script's own login comes first.
        std::string line;
        for (std::size_t i = 0; i + 1 < out.lines.size(); ++i)
            if (out.lines[i] == echoed) line = out.lines[i + 1];
        EXPECT_TRUE(StartsWith(line, "S> ")) << out.All();
        EXPECT_NE(line.find(c.shown), std::string::npos) << out.All();
        EXPECT_FALSE(StartsWith(line, "S> 230") || StartsWith(line, "S> 221")) << line;
    }
}

// A failing get inside an if block ends the block: the delete after it never runs.
TEST_F(FailureReasons, AFailureInsideABlockStopsTheJob) {
    server_.put("keep.txt", "keep");
    jobtest::Output out;
    EXPECT_EQ(Run("if 1\nget missing.txt\ndelete keep.txt\nendif\n", out), -550) << out.All();
    EXPECT_TRUE(server_.exists("keep.txt"));
}

// A log file that cannot be written fails its statement and says so.
TEST_F(FailureReasons, AnUnwritableLogFileFailsItsStatement) {
    jobtest::Output out;
    const std::string log = (work_ / "no-such-folder" / "run.log").string();
    EXPECT_EQ(Run("logfile '" + log + "'\nget missing.txt\n", out), -5);
    EXPECT_EQ(out.After("C> logfile '" + log + "'\r\n"),
              "C> Cannot write the log file " + log + ": No such file or directory\r\n");
}

// A connection that was lost and could not be restored says so, with the reason.
TEST_F(FailureReasons, ALostSessionThatCannotBeRestoredSaysSo) {
    ManualClock clock(std::time(nullptr));
    ScopedEngineClock engineClock(clock);
    CSession session;
    ASSERT_EQ(session.Login(server_.host(), server_.user(), server_.password(), ""), 0);
    server_.stop();
    clock.Advance(std::chrono::seconds(121));
    jobtest::Output out;
    EXPECT_EQ(jobtest::RunOn(session, "cd /", out), -99);
    ASSERT_FALSE(out.lines.empty());
    const std::string lost =
        "C> The connection to " + server_.host() + " was lost and could not be restored: ";
    EXPECT_TRUE(StartsWith(out.lines.back(), lost)) << out.All();
    EXPECT_GT(out.lines.back().size(), lost.size() + 2) << "a reason follows";
}

// filesize of an empty file, exists on directories, quote's line ends, and filedatetime in
// the hour that a change to summer time skips.
TEST_F(FailureReasons, SmallAnswersShowWhatTheServerSent) {
    server_.put("empty.txt", "");
    server_.mkdir("emptydir");
    server_.mkdir("full");
    server_.put("full/x.txt", "x");
    server_.put("spring.txt", "x");
    const std::time_t skipped = 1711852200;  // 2024-03-31 02:30:00, skipped in Berlin
    const utimbuf times{skipped, skipped};
    ASSERT_EQ(::utime(server_.path("spring.txt").c_str(), &times), 0);
    const char* zone = std::getenv("TZ");
    const std::string previous = zone != nullptr ? zone : "";
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    jobtest::Output out;
    const int result =
        Run("filesize empty.txt\nif exists emptydir\nendif\nif exists full\nendif\n"
            "quote NOOP\nfiledatetime spring.txt\n",
            out);
    if (zone != nullptr)
        setenv("TZ", previous.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    EXPECT_EQ(result, 0) << out.All();
    EXPECT_EQ(out.After("C> filesize empty.txt\r\n"), "S> 0\r\n");
    // After the if line and the reply of exists: the block runs.
    for (const std::string directory : {"emptydir", "full"})
        EXPECT_EQ(out.After(out.After("C> if exists " + directory + "\r\n")),
                  "C> --> Perform THEN\r\n")
            << directory << "\n"
            << out.All();
    const std::string quoted = out.After("C> quote NOOP\r\n");
    EXPECT_TRUE(StartsWith(quoted, "200 ")) << quoted;
    EXPECT_EQ(quoted.substr(quoted.size() - 2), "\r\n");
    EXPECT_EQ(out.After("C> filedatetime spring.txt\r\n"), "S> 03/31/2024 02:30:00 GMT\r\n");
}

}  // namespace
