// The quarv command, run in process: exit status, output printed once per line, --echo,
// --help, --version and usage errors.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "engine_test.h"
#include "quarv_cli.h"

namespace {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

class CliTest : public EngineTest {
  protected:
    CliRun Quarv(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "quarv");
        std::vector<const char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(argument.c_str());
        std::ostringstream out, err;
        const int status = RunQuarv(static_cast<int>(argv.size()), argv.data(), out, err);
        return {status, out.str(), err.str()};
    }
};

TEST_F(CliTest, PrintsEachLineOnceAndExitsZero) {
    fake().SetResult("ftp_open", 3);
    fake().SetText("ftp_copyreplystr", "230-Welcome\r\n230 Logged in.\r\n");
    testfx::writeFile(PathOf("job.qv"), "echo on\nlogin host user secret\n");
    const CliRun run = Quarv({PathOf("job.qv")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "C> login host user ****\nS> 230-Welcome\n230 Logged in.\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(CliTest, FailedScriptExitsOneWithItsResult) {
    testfx::writeFile(PathOf("job.qv"), "get a.txt\n");
    const CliRun run = Quarv({PathOf("job.qv")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "quarv: " + PathOf("job.qv") +
                  ":1: get a.txt: Session not login yet, check your syntax. (result -99)\n");
}

TEST_F(CliTest, EchoShowsStatementsFromTheFirstLine) {
    const char* previous = std::getenv("TMPDIR");
    const std::string keep = previous != nullptr ? previous : "";
    setenv("TMPDIR", dir_.path().c_str(), 1);
    testfx::writeFile(PathOf("job.qv"), "frobnicate\n");
    const CliRun run = Quarv({"--echo", PathOf("job.qv")});
    // An empty script runs as well, to nothing.
    testfx::writeFile(PathOf("empty.qv"), "");
    const CliRun empty = Quarv({"--echo", PathOf("empty.qv")});
    if (previous != nullptr)
        setenv("TMPDIR", keep.c_str(), 1);
    else
        unsetenv("TMPDIR");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "C> frobnicate\nC> Session not login yet, check your syntax.\n");
    EXPECT_EQ(run.err,
              "quarv: " + PathOf("job.qv") +
                  ":1: frobnicate: Session not login yet, check your syntax. (result -99)\n");
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_EQ(empty.out, "");
    EXPECT_EQ(empty.err, "");
    // The copies that carry the echo are gone.
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
        EXPECT_NE(entry.path().filename().string().rfind("quarv-echo-", 0), 0u) << entry.path();
}

TEST_F(CliTest, UsageErrorsAndUnopenableScriptsExitTwo) {
    CliRun run = Quarv({});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("SCRIPT"), std::string::npos) << run.err;
    EXPECT_EQ(Quarv({"--no-such-option", "x"}).status, 2);
    EXPECT_EQ(Quarv({"a.qv", "b.qv"}).status, 2);

    run = Quarv({PathOf("missing.qv")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "quarv: cannot open " + PathOf("missing.qv") + ": No such file or directory\n");
    run = Quarv({dir_.path().string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "quarv: cannot open " + dir_.path().string() + ": Is a directory\n");
}

TEST_F(CliTest, HelpAndVersion) {
    CliRun run = Quarv({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("--echo"), std::string::npos);
    EXPECT_NE(run.out.find("SCRIPT"), std::string::npos);
    fake().SetResult("varnix_version", 100);
    run = Quarv({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "quarv 1.003 (varnix32 1.00)\n");
}

}  // namespace
