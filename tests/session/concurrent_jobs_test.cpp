// SPDX-License-Identifier: MIT
// Eight scripts at once in one process, each on its own thread and its own connections to
// one real server, all writing one shared log file: every transfer intact, every log line
// whole, and no line lost.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "files.h"
#include "quarv32.h"
#include "servers.h"

namespace {

using testfx::FtpServer;
using testfx::ServerKind;

constexpr int kThreads = 8;

TEST(ConcurrentJobs, EightScriptsShareOneLogFileWithEveryLineWhole) {
    FtpServer server(ServerKind::Pyftpdlib);
    testfx::TempDir work("quarv-concurrent");
    const std::string log = (work / "shared.log").string();
    const std::string logfile = "logfile '" + log + "'";
    // After the logfile line, each job's statements carry a session prefix of their own, so
    // every line tells whose it is.
    std::vector<std::vector<std::string>> statements(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        const std::string n = std::to_string(t);
        const std::string session = "#job" + n + " ";
        const std::string local = (work / ("local-" + n + ".bin")).string();
        testfx::writeFile(local, testfx::allBytes(200000 + t * 997));
        const std::string login = session + "login " + server.host() + " " + server.user();
        statements[t] = {
            login + " ****",
            session + "binary",
            session + "put '" + local + "' remote-" + n + ".bin",
            session + "get remote-" + n + ".bin '" + (work / ("back-" + n + ".bin")).string() + "'",
            session + "filesize remote-" + n + ".bin",
            session + "quit"};
        std::string script = logfile + "\n" + login + " '" + server.password() + "'\n";
        for (std::size_t i = 1; i < statements[t].size(); ++i)
            script += statements[t][i] + "\n";
        testfx::writeFile(work / ("job-" + n + ".qv"), script);
    }

    // The log is open before the jobs start, so each job's logfile line is logged too.
    testfx::writeFile(work / "open.qv", logfile + "\n");
    testfx::writeFile(work / "close.qv", "logfile\n");
    ASSERT_EQ(Quarv_Execute((work / "open.qv").c_str()), 0);
    std::vector<int> results(kThreads, -12345);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            results[t] = Quarv_Execute((work / ("job-" + std::to_string(t) + ".qv")).c_str());
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(Quarv_Execute((work / "close.qv").c_str()), 0);  // the end line; logging stops

    for (int t = 0; t < kThreads; ++t) {
        const std::string n = std::to_string(t);
        EXPECT_EQ(results[t], 0) << "job " << n;
        EXPECT_EQ(testfx::sha256File(work / ("back-" + n + ".bin")),
                  testfx::sha256File(work / ("local-" + n + ".bin")))
            << "job " << n;
    }
    // Each job's statements appear once each, in their order; every other line is a whole
    // log line or a whole server reply line.
    const std::regex whole(
        R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d QUARV32 (version \S+: Log Begin\.|Log End\.)|)"
        R"(S> (\d{3}[ -].*|\d+)?|\d{3}[ -].*)");
    std::vector<std::size_t> next(kThreads, 0);
    std::size_t logfileLines = 0;
    std::istringstream lines(testfx::readFile(log));
    std::size_t count = 0;
    for (std::string line; std::getline(lines, line) && count < 100000; ++count) {
        if (line == "C> " + logfile || line == "C> logfile") {
            ++logfileLines;
        } else if (line.rfind("C> ", 0) == 0) {
            bool known = false;
            for (int t = 0; t < kThreads && !known; ++t) {
                if (next[t] < statements[t].size() && line == "C> " + statements[t][next[t]]) {
                    ++next[t];
                    known = true;
                }
            }
            EXPECT_TRUE(known) << "a statement line torn or out of order: " << line;
        } else {
            EXPECT_TRUE(std::regex_match(line, whole)) << "a torn line: " << line;
        }
    }
    EXPECT_EQ(logfileLines, static_cast<std::size_t>(kThreads + 1)) << "with the closing one";
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(next[t], statements[t].size()) << "lines of job " << t << " lost";
}

}  // namespace
