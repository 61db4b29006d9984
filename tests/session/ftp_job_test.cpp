// SPDX-License-Identifier: MIT
// A whole FTP job from one script against real servers: two sessions (#0 and #2, one on
// pyftpdlib and one on vsftpd, both ways round), every command of the language that talks
// to a server, the transferred files compared by hash, and the output and log checked.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <utility>

#include "files.h"
#include "job_support.h"
#include "servers.h"
#include "windows_skips.h"

namespace {

namespace fs = std::filesystem;
using testfx::FtpServer;
using testfx::ServerKind;

struct ServerPair {
    ServerKind first;   // session #0
    ServerKind second;  // session #2
};

std::vector<ServerPair> ServerPairs() {
    if (!testfx::vsftpdAvailable()) return {{ServerKind::Pyftpdlib, ServerKind::Pyftpdlib}};
    return {{ServerKind::Pyftpdlib, ServerKind::Vsftpd},
            {ServerKind::Vsftpd, ServerKind::Pyftpdlib}};
}

std::string LoginLine(const FtpServer& server) {
    return "login " + server.host() + " " + server.user() + " '" + server.password() + "'";
}

// A server's modification time as the digits it sends (UTC), in the form shown.
std::string ModificationTime(const fs::path& file, const char* pattern) {
    struct stat info {};
    if (::stat(file.string().c_str(), &info) != 0) return "no such file";
    std::tm fields{};
    gmtime_r(&info.st_mtime, &fields);
    char text[64];
    return std::string(text, std::strftime(text, sizeof text, pattern, &fields));
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class FtpJob : public ::testing::TestWithParam<ServerPair> {
  protected:
    FtpJob() : one_(GetParam().first), two_(GetParam().second) {
        fs::create_directories(local_);
        fs::create_directories(fetched_);
    }

    FtpServer one_;
    FtpServer two_;
    testfx::TempDir work_{"quarv-job"};
    fs::path local_ = work_ / "local";
    fs::path fetched_ = work_ / "fetched";
};

TEST_P(FtpJob, RunsEveryCommandOnTwoServersAndTransfersExactly) {
    const std::string data = testfx::allBytes(100000);
    const std::string tail = testfx::allBytes(3000).substr(1000);
    testfx::writeFile(local_ / "data.bin", data);
    testfx::writeFile(local_ / "tail.bin", tail);
    // Kept up to the offset, written from there on.
    testfx::writeFile(local_ / "part.bin", data.substr(0, 1000) + std::string(5000, 'x'));
    // Resumed where it ends.
    testfx::writeFile(local_ / "resumed.bin", data.substr(0, 40000));
    testfx::writeFile(local_ / "notes1.txt", "first notes\r\n");
    testfx::writeFile(local_ / "notes2.txt", "second notes\r\n");

    const std::string script =
        "// Two servers, every command.\n"
        "echo on\n"
        "logfile '" +
        (work_ / "job.log").string() + "' clear\n" + LoginLine(one_) +
        "\n"
        "#2 " +
        LoginLine(two_) +
        "\n"
        "binary\n"
        "#2 binary\n"
        "localpath '" +
        local_.string() +
        "'\n"
        "mkdir incoming\n"
        "cd incoming\n"
        "pwd\n"
        "put data.bin\n"
        "put data.bin copy.bin\n"
        "append tail.bin copy.bin\n"
        "get copy.bin fetched.bin\n"
        "get data.bin part.bin @ 1000\n"
        "restart get data.bin resumed.bin\n"
        "mput *.txt\n"
        "localpath '" +
        fetched_.string() +
        "'\n"
        "mget *.txt\n"
        "localpath '" +
        local_.string() +
        "'\n"
        "dir . listing.txt\n"
        "dir\n"
        "rename copy.bin renamed.bin\n"
        "exists renamed.bin\n"
        "filesize renamed.bin\n"
        "filedate data.bin\n"
        "filedatetime data.bin\n"
        "quote NOOP\n"
        "site CHMOD 600 data.bin\n"
        "remote put #0 #2 data.bin remote.bin\n"
        "#2 filesize remote.bin\n"
        "delete renamed.bin\n"
        "mkdir empty\n"
        "rmdir empty\n"
        "cdup\n"
        "quit\n"
        "#2 quit\n"
        "logfile\n";
    jobtest::Output out;
    const int result = jobtest::RunScript(work_ / "job.qv", script, out);
    const std::string log = testfx::readFile(work_ / "job.log");
    ASSERT_EQ(result, 0) << out.All() << "\n" << log;

    // Every transfer byte for byte.
    EXPECT_EQ(testfx::sha256File(one_.path("incoming/data.bin")), testfx::sha256(data));
    EXPECT_EQ(testfx::sha256File(local_ / "fetched.bin"), testfx::sha256(data + tail));
    EXPECT_EQ(testfx::sha256File(local_ / "part.bin"), testfx::sha256(data));
    EXPECT_EQ(testfx::sha256File(local_ / "resumed.bin"), testfx::sha256(data));
    EXPECT_EQ(testfx::sha256File(two_.path("remote.bin")), testfx::sha256(data));
    for (const char* notes : {"notes1.txt", "notes2.txt"}) {
        EXPECT_EQ(one_.get(std::string("incoming/") + notes), testfx::readFile(local_ / notes));
        EXPECT_EQ(testfx::readFile(fetched_ / notes), testfx::readFile(local_ / notes));
    }
    // What the file and directory commands left.
    EXPECT_FALSE(one_.exists("incoming/copy.bin"));
    EXPECT_FALSE(one_.exists("incoming/renamed.bin"));
    EXPECT_FALSE(one_.exists("incoming/empty"));
#ifndef _WIN32  // Wine shows a Linux file's permissions only as read-only or not
    EXPECT_EQ(fs::status(one_.path("incoming/data.bin")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
#endif
    EXPECT_TRUE(Contains(testfx::readFile(local_ / "listing.txt"), "data.bin"));

    // What the job showed.
    const std::string host0 = "C> login " + one_.host() + " " + one_.user() + " ****\r\n";
    EXPECT_TRUE(Contains(out.All(), host0));
    EXPECT_EQ(out.After(host0).substr(0, 6), "S> 230");
    EXPECT_EQ(out.After("C> pwd\r\n"), "S> /incoming\r\n");
    EXPECT_EQ(out.After("C> filesize renamed.bin\r\n"), "S> 102000\r\n");
    EXPECT_EQ(out.After("C> #2 filesize remote.bin\r\n"), "S> 100000\r\n");
    EXPECT_EQ(out.After("C> filedate data.bin\r\n"),
              "S> " + ModificationTime(one_.path("incoming/data.bin"), "%m/%d/%Y GMT\r\n"));
    EXPECT_EQ(
        out.After("C> filedatetime data.bin\r\n"),
        "S> " + ModificationTime(one_.path("incoming/data.bin"), "%m/%d/%Y %H:%M:%S GMT\r\n"));
    EXPECT_EQ(out.After("C> quote NOOP\r\n").substr(0, 3), "200");
    EXPECT_EQ(out.After("C> dir\r\n"), "S>\r\n");
    EXPECT_TRUE(Contains(out.All(), "notes2.txt")) << "the listing streamed onto the output";
    EXPECT_EQ(out.After("C> remote put #0 #2 data.bin remote.bin\r\n"), "C> --> Remote\r\n");
    EXPECT_FALSE(Contains(out.All(), one_.password()));

    // The log: statements, replies and the listing, with one line end each.
    EXPECT_EQ(log.find('\r'), std::string::npos);
    EXPECT_FALSE(Contains(log, one_.password()));
    EXPECT_TRUE(Contains(log, " QUARV32 version 1.003: Log Begin.\n"));
    EXPECT_TRUE(Contains(log, "\nC> #2 login " + two_.host() + " " + two_.user() + " ****\n"));
    EXPECT_TRUE(Contains(log, "\nC> mget *.txt\nS> 2"));
    EXPECT_TRUE(Contains(log, "\nC> #2 filesize remote.bin\nS> 100000\nS> 2"));
    EXPECT_TRUE(Contains(log, "\nC> logfile\n"));
    EXPECT_EQ(log.substr(log.size() - 18), " QUARV32 Log End.\n");
    // Both sessions ended with QUIT before the script did.
    EXPECT_TRUE(Contains(one_.log(), "QUIT")) << one_.log();
    EXPECT_TRUE(Contains(two_.log(), "QUIT")) << two_.log();
    VARNIX_SKIP_ON_WINDOWS(
        "its check of the file mode set by chmod: Wine shows a Linux "
        "file's mode only as read-only or not");
}

// examples/ftp-job.qv, as scripts/demo runs it.
TEST(ExampleJob, SendsChecksFetchesAndArchivesItsFiles) {
    FtpServer server(ServerKind::Pyftpdlib);
    testfx::TempDir job("quarv-example");
    const std::string report = testfx::allBytes(300000);
    testfx::writeFile(job / "report.bin", report);
    testfx::writeFile(job / "resumed.bin", report.substr(0, 120000));
    testfx::writeFile(job / "notes-1.txt", "first notes\n");
    testfx::writeFile(job / "notes-2.txt", "second notes\n");
    std::string script = testfx::readFile(fs::path(QUARV_EXAMPLES) / "ftp-job.qv");
    for (const auto& [placeholder, value] :
         {std::pair<std::string, std::string>{"HOST", server.host()},
          {"USER", server.user()},
          {"PASSWORD", server.password()}})
        for (std::size_t at; (at = script.find(placeholder)) != std::string::npos;)
            script.replace(at, placeholder.size(), value);

    jobtest::Output out;
    int result = 0;
    {
        jobtest::InFolder inside(job.path());
        result = jobtest::RunScript(job / "ftp-job.qv", script, out);
    }
    ASSERT_EQ(result, 0) << out.All();
    EXPECT_EQ(testfx::sha256File(job / "fetched.bin"), testfx::sha256(report));
    EXPECT_EQ(testfx::sha256File(job / "resumed.bin"), testfx::sha256(report));
    EXPECT_EQ(testfx::sha256File(server.path("archive/report-2024.bin")), testfx::sha256(report));
    EXPECT_EQ(testfx::readFile(job / "all-notes.txt"), "second notes\nfirst notes\n");
    EXPECT_FALSE(server.exists("outgoing/all-notes.txt"));
    EXPECT_EQ(out.After("C> filesize report.bin\r\n"), "S> 300000\r\n");
    EXPECT_TRUE(Contains(testfx::readFile(job / "ftp-job.log"), " QUARV32 Log End.\n"));
}

// A server's names may carry terminal escape sequences (title change, clear screen): a
// listing shown on the screen or copied into the log shows them escaped; a listing into a
// local file keeps the bytes as sent.
TEST(ListingJob, ShowsControlCharactersEscapedAndKeepsThemInListingFiles) {
    FtpServer server(ServerKind::Pyftpdlib);
    const std::string name = "\x1b]0;owned\x07\x1b[2J\x01name\x7f\tx.txt";
    server.put(name, "x");
    testfx::TempDir job("quarv-listing");
    const fs::path log = job / "run.log";
    jobtest::Output out;
    int result = 0;
    {
        jobtest::InFolder inside(job.path());
        result = jobtest::RunScript(job / "ls.qv",
                                    "echo on\nlogfile '" + log.string() + "'\n" +
                                        LoginLine(server) + "\nls\ndir\nls '' names.txt\nlogfile\n",
                                    out);
    }
    ASSERT_EQ(result, 0) << out.All();
    const std::string escaped = "\\x1B]0;owned\\x07\\x1B[2J\\x01name\\x7F\tx.txt";
    for (const std::string& shown : {out.All(), testfx::readFile(log)}) {
        for (char control : {'\x1b', '\x07', '\x01', '\x7f'})
            EXPECT_FALSE(Contains(shown, std::string(1, control))) << shown;
        std::size_t listed = 0;
        for (std::size_t at = 0; (at = shown.find(escaped, at)) != std::string::npos; ++at)
            ++listed;
        EXPECT_EQ(listed, 2u) << "ls and dir:\n" << shown;
    }
    EXPECT_TRUE(Contains(testfx::readFile(job / "names.txt"), name));
}

INSTANTIATE_TEST_SUITE_P(Servers, FtpJob, ::testing::ValuesIn(ServerPairs()), [](const auto& info) {
    return testfx::serverKindName(info.param.first) + "_and_" +
           testfx::serverKindName(info.param.second);
});

}  // namespace
