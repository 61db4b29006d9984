// SPDX-License-Identifier: MIT
// The quarv command, run in process: exit status, output printed once per line, --echo,
// --help, --version and usage errors; the operator's options (--env, --netrc-file, --report,
// --progress, -v, -q, --cacert, --insecure, reading the script from standard input).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "engine_test.h"
#include "json_report.h"
#include "netrc.h"
#include "quarv32_version.h"
#include "quarv_cli.h"
#include "windows_skips.h"

namespace {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

class CliTest : public EngineTest {
  protected:
    CliRun Quarv(std::vector<std::string> arguments, const std::string& input = "") {
        arguments.insert(arguments.begin(), "quarv");
        std::vector<const char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(argument.c_str());
        std::istringstream in(input);
        std::ostringstream out, err;
        const int status =
            RunQuarv(static_cast<int>(argv.size()), argv.data(), in, out, err, false);
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
        EXPECT_NE(entry.path().filename().string().rfind("quarv-copy-", 0), 0u) << entry.path();
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
    VARNIX_SKIP_ON_WINDOWS("its last step: opening a directory fails with \"Permission denied\"");
    run = Quarv({dir_.path().string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "quarv: cannot open " + dir_.path().string() + ": Is a directory\n");
}

TEST_F(CliTest, HelpAndVersion) {
    CliRun run = Quarv({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("--echo"), std::string::npos);
    EXPECT_NE(run.out.find("SCRIPT"), std::string::npos);
    EXPECT_NE(run.out.find("man quarv"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("script-language.md"), std::string::npos) << run.out;
    fake().SetResult("varnix_version", 205);
    run = Quarv({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "quarv " QUARV32_RELEASE " (varnix32 2.05)\n");
}

TEST_F(CliTest, CommandLineErrorsCarryTheCommandsName) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--no-such-option", "x"},
          {"-q", "-v", "x"},
          {"--progress", "--no-progress", "x"},
          {"--netrc", "--netrc-file", "f", "x"}}) {
        const CliRun run = Quarv(arguments);
        EXPECT_EQ(run.status, 2) << arguments[0];
        EXPECT_EQ(run.err.rfind("quarv: ", 0), 0u) << run.err;
    }
}

// --env: a password that holds "//" (which a script line cannot) reaches the login, and no
// line shown holds it; an unset variable stops the job before anything connects.
TEST_F(CliTest, EnvFillsLinesAndHidesThePasswordsItBrings) {
    AcceptLogin();
    setenv("QUARV_TEST_USER", "alice", 1);
    setenv("QUARV_TEST_PASS", "pa//ss", 1);
    testfx::writeFile(PathOf("job.qv"),
                      "login host ${QUARV_TEST_USER} ${QUARV_TEST_PASS}\n// $Date ${NOT_SET}\n");
    CliRun run = Quarv({"--env", "--echo", "--report", PathOf("report.jsonl"), PathOf("job.qv")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(fake().CallsTo("ftp_relogin"),
              (CallList{R"(ftp_relogin(3, "alice", "pa//ss", ""))"}));
    EXPECT_EQ(run.out, "C> login host alice ****\nS> 230 Logged in.\n");
    const std::string report = testfx::readFile(PathOf("report.jsonl"));
    EXPECT_NE(report.find(R"("statement":"login host alice ****")"), std::string::npos) << report;
    EXPECT_EQ(report.find("pa//ss"), std::string::npos) << report;
    fake().Reset();
    testfx::writeFile(PathOf("job.qv"), "echo on\nlogin host ${QUARV_TEST_USER} ${NOT_SET_X}\n");
    run = Quarv({"--env", PathOf("job.qv")});
    unsetenv("QUARV_TEST_USER");
    unsetenv("QUARV_TEST_PASS");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "quarv: " + PathOf("job.qv") +
                           ":2: ${NOT_SET_X}: the environment variable NOT_SET_X is not set\n");
    EXPECT_EQ(fake().CallsExcept({"varnix_version"}), CallList{});
}

TEST(Netrc, FindsTheEntryOfTheMachineAndLogin) {
    const Netrc netrc = Netrc::Parse(
        "machine files.example login bob password b1 account acct\n"
        "machine files.example login carol password \"c \\\"2\"\n"
        "macdef init\ncd /x\nmachine evil.example password no\n\n"
        "default login anonymous password guest@\n");
    struct Case {
        const char* host;
        const char* login;
        const char* password;  // nullptr: no entry
        const char* account;
    };
    for (const Case& c :
         {Case{"files.example", "", "b1", "acct"},
          Case{"ftpes://FILES.example:2121", "carol", "c \"2", ""},
          Case{"ftp:files.example", "dave", nullptr, ""}, Case{"other.example", "", "guest@", ""},
          Case{"evil.example", "", "guest@", ""}, Case{"[::1]:21", "anonymous", "guest@", ""}}) {
        const NetrcEntry* entry = netrc.Find(c.host, c.login);
        if (c.password == nullptr) {
            EXPECT_EQ(entry, nullptr) << c.host;
            continue;
        }
        ASSERT_NE(entry, nullptr) << c.host;
        EXPECT_EQ(entry->password, c.password) << c.host;
        EXPECT_EQ(entry->account, c.account) << c.host;
    }
}

// A login without password takes it from the netrc file; the file must be the owner's alone.
TEST_F(CliTest, NetrcGivesThePasswordOfALoginWithoutOne) {
    VARNIX_SKIP_ON_WINDOWS("the netrc file's permission check needs POSIX file modes");
    AcceptLogin();
    testfx::writeFile(PathOf("netrc"), "machine host login alice password s3cret\n");
    std::filesystem::permissions(
        PathOf("netrc"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    testfx::writeFile(PathOf("job.qv"), "login host alice\n#2 login host alice given\n");
    CliRun run = Quarv({"--netrc-file", PathOf("netrc"), PathOf("job.qv")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(fake().CallsTo("ftp_relogin"), (CallList{R"(ftp_relogin(3, "alice", "s3cret", ""))",
                                                       R"(ftp_relogin(3, "alice", "given", ""))"}));

    fake().Reset();
    std::filesystem::permissions(PathOf("netrc"), std::filesystem::perms::group_read,
                                 std::filesystem::perm_options::add);
    run = Quarv({"--netrc-file", PathOf("netrc"), PathOf("job.qv")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "quarv: netrc " + PathOf("netrc") +
                           ": refused, other users may read or change it (chmod 600 " +
                           PathOf("netrc") + ")\n");
    EXPECT_EQ(fake().CallsExcept({"varnix_version"}), CallList{});
}

// `quarv -` runs the script from standard input; the report tells each statement's line,
// session and result, and the run's outcome, one JSON object a line.
TEST_F(CliTest, ScriptFromStandardInputWithAReport) {
    AcceptLogin();
    const CliRun run =
        Quarv({"--report", PathOf("r.jsonl"), "-q", "-"}, "\n// remark\nlogin host u p\n#2 pwd\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "quarv: <stdin>:4: #2 pwd: Session not login yet, check your syntax. (result -99)\n");
    const std::vector<std::string> lines = LinesOf("r.jsonl");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind(R"({"record":"statement","script":"<stdin>","line":3,)"
                             R"("statement":"login host u ****","session":"#0","result":0,)"
                             R"("reply":"230 Logged in.","bytes":0,"seconds":)",
                             0),
              0u)
        << lines[0];
    EXPECT_EQ(lines[1].rfind(R"({"record":"statement","script":"<stdin>","line":4,)"
                             R"("statement":"#2 pwd","session":"#2","result":-99,)"
                             R"("reply":"Session not login yet, check your syntax.",)",
                             0),
              0u)
        << lines[1];
    EXPECT_EQ(lines[2].rfind(R"({"record":"run","script":"<stdin>","result":-99,"exit":1,)"
                             R"("statements":2,"failed":1,"bytes":0,)",
                             0),
              0u)
        << lines[2];
}

TEST(JsonReport, StringsAreValidJson) {
    struct Case {
        std::string text;
        std::string json;
    };
    for (const Case& c : {Case{"plain", R"("plain")"}, Case{"a\"b\\c", R"("a\"b\\c")"},
                          Case{"tab\tcr\r\n", R"("tab\tcr\r\n")"},
                          Case{std::string("nul\0x", 5), R"("nul\u0000x")"},
                          Case{"\xc3\xa9t\xc3\xa9", "\"\xc3\xa9t\xc3\xa9\""},
                          Case{"bad\xff\xc3", R"("bad\ufffd\ufffd")"},
                          Case{"\xed\xa0\x80", R"("\ufffd\ufffd\ufffd")"}})
        EXPECT_EQ(JsonString(c.text), c.json) << c.json;
}

// --cacert and --insecure set the library's trust for the run and take it back after it.
TEST_F(CliTest, TlsTrustFromTheCommandLine) {
    testfx::writeFile(PathOf("job.qv"), "");
    CliRun run = Quarv({"--cacert", PathOf("ca.pem"), "--insecure", PathOf("job.qv")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "quarv: warning: --insecure: server certificates are not verified\n");
    EXPECT_EQ(fake().CallsExcept({"ftp_lasterror", "varnix_version"}),
              (CallList{R"(varnix_settlsca(")" + PathOf("ca.pem") + R"("))",
                        "varnix_setacceptunverified(1)", "varnix_setacceptunverified(0)",
                        R"(varnix_settlsca(""))"}));
    fake().Reset();
    fake().SetResult("varnix_settlsca", -1);
    fake().SetText("ftp_lasterror", "no such file");
    run = Quarv({"--cacert", PathOf("ca.pem"), "-q", "--insecure", PathOf("job.qv")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "quarv: --cacert " + PathOf("ca.pem") + ": no such file\n");
}

}  // namespace
