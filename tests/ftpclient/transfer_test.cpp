// SPDX-License-Identifier: MIT
// Gets, puts, resumes, unique modes, groups of files, progress, abort and server-to-server
// copies against real servers.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "ftp_test_support.h"
#include "windows_skips.h"

namespace {

using ftptest::lastError;
using testfx::FtpServer;
using testfx::ServerKind;

class TransferTest : public ftptest::ServerTest {
  protected:
    void SetUp() override {
        ServerTest::SetUp();
        if (IsSkipped()) return;
        ASSERT_EQ(ftp_setbinary(h), 0) << lastError();
    }
};

TEST_P(TransferTest, BinaryRoundTripsOfEveryByteValue) {
    for (int passive : {1, 0}) {
        ASSERT_EQ(ftp_SetPassive(h, passive), 0);
        for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{256},
                                 std::size_t{(256 << 10) + 7}, std::size_t{3 << 20}}) {
            std::string data = testfx::allBytes(size);
            std::string name = "rt" + std::to_string(passive) + "_" + std::to_string(size);
            testfx::writeFile(local / name, data);
            ASSERT_EQ(ftp_put(h, localPath(name).c_str(), name.c_str()), 0)
                << name << ": " << lastError();
            EXPECT_EQ(testfx::sha256(server().get(name)), testfx::sha256(data)) << name;
            ASSERT_EQ(ftp_get(h, name.c_str(), localPath(name + ".back").c_str()), 0)
                << name << ": " << lastError();
            EXPECT_EQ(testfx::sha256File(local / (name + ".back")), testfx::sha256(data)) << name;
            EXPECT_NE(lastError().find("226"), std::string::npos) << lastError();
        }
    }
}

TEST_P(TransferTest, AsciiTypeConvertsLineEnds) {
    ASSERT_EQ(ftp_setascii(h), 0);
    // A text as the server keeps it: vsftpd stores the wire form, pyftpdlib local line ends.
    server().put("native.txt", isVsftpd() ? "one\r\ntwo\r\n" : "one\ntwo\n");
    ASSERT_EQ(ftp_get(h, "native.txt", localPath("native.txt").c_str()), 0) << lastError();
    EXPECT_EQ(testfx::readFile(local / "native.txt"), "one\ntwo\n");

    testfx::writeFile(local / "up.txt", "a\nb\n");
    ASSERT_EQ(ftp_put(h, localPath("up.txt").c_str(), "up.txt"), 0) << lastError();
    EXPECT_EQ(server().get("up.txt"), isVsftpd() ? "a\r\nb\r\n" : "a\nb\n");

    // A put and a get in ASCII give back the same bytes, lone CRs and all other bytes kept.
    std::string odd = "x\ny\rz\n\n" + testfx::allBytes(600);
    testfx::writeFile(local / "odd.txt", odd);
    ASSERT_EQ(ftp_put(h, localPath("odd.txt").c_str(), "odd.txt"), 0) << lastError();
    ASSERT_EQ(ftp_get(h, "odd.txt", localPath("odd.back").c_str()), 0) << lastError();
    EXPECT_EQ(testfx::sha256File(local / "odd.back"), testfx::sha256(odd));
}

TEST_P(TransferTest, FailuresLeaveLocalFilesAlone) {
    testfx::writeFile(local / "keep.txt", "precious");
    EXPECT_EQ(ftp_get(h, "missing.bin", localPath("keep.txt").c_str()), -550);
    EXPECT_NE(lastError().find("550"), std::string::npos);
    EXPECT_EQ(testfx::readFile(local / "keep.txt"), "precious");
    EXPECT_EQ(ftp_put(h, localPath("no-such-file").c_str(), "x"), VARNIX_ELOCAL);
    EXPECT_NE(lastError().find("no-such-file"), std::string::npos) << lastError();
    EXPECT_FALSE(server().exists("x"));
    server().put("here.txt", "x");
    EXPECT_EQ(ftp_get(h, "here.txt", (local / "no-dir" / "f").c_str()), VARNIX_ELOCAL);
    EXPECT_EQ(ftp_get(h, "here.txt", localPath("ok.txt").c_str()), 0) << lastError();
    // A named pipe nobody reads fails at once instead of waiting for a reader.
    VARNIX_SKIP_ON_WINDOWS("its last step needs a named pipe (mkfifo)");
#ifndef _WIN32
    ASSERT_EQ(::mkfifo(localPath("pipe").c_str(), 0600), 0);
    EXPECT_EQ(ftp_get(h, "here.txt", localPath("pipe").c_str()), VARNIX_ELOCAL);
#endif
}

TEST_P(TransferTest, PipeWhoseReaderLeavesFailsTheGetWithoutKillingTheProcess) {
    VARNIX_SKIP_ON_WINDOWS("named pipes (mkfifo) and SIGPIPE are POSIX");
#ifndef _WIN32
    server().put("big.bin", testfx::allBytes(2 << 20));
    auto fifo = localPath("reader-leaves");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    // The reader takes a first chunk, then goes: the next write into the pipe raises SIGPIPE.
    std::thread leaving([reader] {
        pollfd p{reader, POLLIN, 0};
        char some[4096];
        if (::poll(&p, 1, 10000) == 1) (void)!::read(reader, some, sizeof some);
        ::close(reader);
    });
    EXPECT_EQ(ftp_get(h, "big.bin", fifo.c_str()), VARNIX_ELOCAL);
    leaving.join();
    EXPECT_NE(lastError().find("Broken pipe"), std::string::npos) << lastError();
#endif
}

TEST_P(TransferTest, DefaultNamesAndLocalPath) {
    server().mkdir("deep");
    server().put("deep/leaf.bin", "leaf");
    ASSERT_EQ(ftp_SetLocalPath(h, local.path().c_str()), 0) << lastError();
    ASSERT_EQ(ftp_get(h, "deep/leaf.bin", ""), 0) << lastError();  // the remote's last part
    EXPECT_EQ(testfx::readFile(local / "leaf.bin"), "leaf");
    ASSERT_EQ(ftp_put(h, "leaf.bin", ""), 0) << lastError();  // relative to the local path
    EXPECT_EQ(server().get("leaf.bin"), "leaf");
    EXPECT_EQ(ftp_SetLocalPath(h, localPath("missing-dir").c_str()), VARNIX_ELOCAL);

    ASSERT_EQ(ftp_ClearLocalPath(h), 0);
    auto here = std::filesystem::current_path();
    testfx::TempDir other;
    ASSERT_EQ(ftp_lcd(other.path().c_str()), 0) << lastError();
    EXPECT_EQ(ftp_get(h, "deep/leaf.bin", "relative.bin"), 0) << lastError();
    std::filesystem::current_path(here);
    EXPECT_EQ(testfx::readFile(other / "relative.bin"), "leaf");
    EXPECT_EQ(ftp_lcd(localPath("missing-dir").c_str()), VARNIX_ELOCAL);
}

TEST_P(TransferTest, ResumeAtOffsets) {
    std::string data = testfx::allBytes(300000);
    server().put("whole.bin", data);
    // Get: where the local file ends, and at an offset that drops a wrong tail.
    testfx::writeFile(local / "part.bin", data.substr(0, 123457));
    ASSERT_EQ(ftp_RestartGet(h, "whole.bin", localPath("part.bin").c_str()), 0) << lastError();
    EXPECT_EQ(testfx::sha256File(local / "part.bin"), testfx::sha256(data));
    testfx::writeFile(local / "tail.bin", data.substr(0, 1000) + "garbage after the offset");
    ASSERT_EQ(ftp_RestartGetAt(h, "whole.bin", localPath("tail.bin").c_str(), 1000), 0)
        << lastError();
    EXPECT_EQ(testfx::sha256File(local / "tail.bin"), testfx::sha256(data));
    EXPECT_EQ(ftp_RestartGetAt(h, "whole.bin", localPath("tail.bin").c_str(), 999999),
              VARNIX_ELOCAL);  // the local file is shorter than the offset
    EXPECT_EQ(ftp_RestartGetAt(h, "whole.bin", localPath("tail.bin").c_str(), -1), VARNIX_EINVAL);

    // Put: where the remote file ends, at an offset, and appended from an offset.
    testfx::writeFile(local / "full.bin", data);
    server().put("rp.bin", data.substr(0, 99999));
    ASSERT_EQ(ftp_RestartPut(h, localPath("full.bin").c_str(), "rp.bin"), 0) << lastError();
    EXPECT_EQ(testfx::sha256(server().get("rp.bin")), testfx::sha256(data));
    ASSERT_EQ(ftp_RestartPut(h, localPath("full.bin").c_str(), "fresh.bin"), 0) << lastError();
    EXPECT_EQ(testfx::sha256(server().get("fresh.bin")), testfx::sha256(data));
    server().put("at.bin", data.substr(0, 5000));
    ASSERT_EQ(ftp_RestartPutAt(h, localPath("full.bin").c_str(), "at.bin", 5000), 0) << lastError();
    EXPECT_EQ(testfx::sha256(server().get("at.bin")), testfx::sha256(data));
    server().put("ap.bin", data.substr(0, 7));
    ASSERT_EQ(ftp_RestartAppendAt(h, localPath("full.bin").c_str(), "ap.bin", 7), 0) << lastError();
    EXPECT_EQ(testfx::sha256(server().get("ap.bin")), testfx::sha256(data));
    if (!isVsftpd()) {
        // pyftpdlib refuses REST in ASCII type; the rest of the file is appended instead.
        ASSERT_EQ(ftp_setascii(h), 0);
        server().put("lines.txt", "line1\n");
        testfx::writeFile(local / "lines.txt", "line1\nline2\n");
        ASSERT_EQ(ftp_RestartPut(h, localPath("lines.txt").c_str(), "lines.txt"), 0) << lastError();
        EXPECT_EQ(server().get("lines.txt"), "line1\nline2\n");
        ASSERT_EQ(ftp_setbinary(h), 0);
    }
    server().put("cat.txt", "abc");
    testfx::writeFile(local / "def.txt", "def");
    ASSERT_EQ(ftp_append(h, localPath("def.txt").c_str(), "cat.txt"), 0) << lastError();
    EXPECT_EQ(server().get("cat.txt"), "abcdef");
}

TEST_P(TransferTest, LocalUniqueNeverOverwrites) {
    server().put("u.txt", "server copy");
    testfx::writeFile(local / "u.txt", "local original");
    ASSERT_EQ(ftp_localunique(h), 0);
    ASSERT_EQ(ftp_get(h, "u.txt", localPath("u.txt").c_str()), 0) << lastError();
    ASSERT_EQ(ftp_get(h, "u.txt", localPath("u.txt").c_str()), 0) << lastError();
    EXPECT_NE(lastError().find("u.txt.2"), std::string::npos) << lastError();
    EXPECT_EQ(testfx::readFile(local / "u.txt"), "local original");
    EXPECT_EQ(testfx::readFile(local / "u.txt.1"), "server copy");
    EXPECT_EQ(testfx::readFile(local / "u.txt.2"), "server copy");
    ASSERT_EQ(ftp_localunique(h), 0);  // toggled off again: overwrites
    ASSERT_EQ(ftp_get(h, "u.txt", localPath("u.txt").c_str()), 0) << lastError();
    EXPECT_EQ(testfx::readFile(local / "u.txt"), "server copy");
    EXPECT_FALSE(std::filesystem::exists(local / "u.txt.3"));
}

TEST_P(TransferTest, StoreUniqueKeepsTheRemoteFile) {
    server().put("s.txt", "first");
    testfx::writeFile(local / "s.txt", "second");
    ASSERT_EQ(ftp_storeunique(h), 0);
    ASSERT_EQ(ftp_put(h, localPath("s.txt").c_str(), "s.txt"), 0) << lastError();
    EXPECT_EQ(server().get("s.txt"), "first");
    int copies = 0;
    for (const auto& e : std::filesystem::directory_iterator(server().root()))
        if (e.path().filename().string().starts_with("s.txt") &&
            testfx::readFile(e.path()) == "second")
            ++copies;
    EXPECT_EQ(copies, 1);
    ASSERT_EQ(ftp_storeunique(h), 0);
    ASSERT_EQ(ftp_put(h, localPath("s.txt").c_str(), "s.txt"), 0) << lastError();
    EXPECT_EQ(server().get("s.txt"), "second");
}

TEST_P(TransferTest, GroupsOfFiles) {
    server().mkdir("grp");
    server().put("grp/a.txt", "A");
    server().put("grp/b.txt", "B");
    server().put("grp/c.bin", "C");
    ASSERT_EQ(ftp_SetLocalPath(h, local.path().c_str()), 0);
    ASSERT_EQ(ftp_mget(h, "grp/*.txt"), 0) << lastError();
    EXPECT_EQ(testfx::readFile(local / "a.txt"), "A");
    EXPECT_EQ(testfx::readFile(local / "b.txt"), "B");
    EXPECT_FALSE(std::filesystem::exists(local / "c.bin"));
    EXPECT_EQ(ftp_mget(h, "grp/*.none"), -550);

    testfx::TempDir out;
    testfx::writeFile(out / "x.dat", "X");
    testfx::writeFile(out / "y.dat", "Y");
    testfx::writeFile(out / "z.txt", "Z");
    ASSERT_EQ(ftp_cd(h, "grp"), 0);
    ASSERT_EQ(ftp_SetLocalPath(h, out.path().c_str()), 0);
    ASSERT_EQ(ftp_mput(h, "*.dat", 0), 0) << lastError();
    EXPECT_EQ(server().get("grp/x.dat"), "X");
    EXPECT_EQ(server().get("grp/y.dat"), "Y");
    EXPECT_FALSE(server().exists("grp/z.txt"));
    EXPECT_EQ(ftp_mput(h, "*.none", 0), VARNIX_ELOCAL);
}

std::atomic<int> progressCalls{0};
std::atomic<long long> progressDone{0};
std::atomic<long long> progressTotal{0};

void countProgress(int, long long done, long long total, void*) {
    ++progressCalls;
    progressDone = done;
    progressTotal = total;
}

TEST_P(TransferTest, ProgressIsReportedWhenTheStatusBoxIsOn) {
    testfx::writeFile(local / "p.bin", testfx::allBytes(1 << 20));
    varnix_setprogresshandler(countProgress, nullptr);
    progressCalls = 0;
    ASSERT_EQ(ftp_put(h, localPath("p.bin").c_str(), "p.bin"), 0);
    EXPECT_EQ(progressCalls, 0);
    ASSERT_EQ(ftp_statusbox(h, 1), 0);
    ASSERT_EQ(ftp_put(h, localPath("p.bin").c_str(), "p.bin"), 0) << lastError();
    EXPECT_GT(progressCalls, 1);
    EXPECT_EQ(progressDone, 1 << 20);
    progressCalls = 0;
    ASSERT_EQ(ftp_get(h, "p.bin", localPath("p.back").c_str()), 0) << lastError();
    EXPECT_GT(progressCalls, 1);
    EXPECT_EQ(progressDone, 1 << 20);
    EXPECT_EQ(progressTotal, 1 << 20);  // known, also where the server announces nothing
    varnix_setprogresshandler(nullptr, nullptr);
}

std::atomic<bool> transferRunning{false};

void slowProgress(int, long long, long long, void*) {
    transferRunning = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

TEST_P(TransferTest, AbortFromAnotherThread) {
    server().put("long.bin", testfx::allBytes(64 << 20));
    varnix_setprogresshandler(slowProgress, nullptr);
    ASSERT_EQ(ftp_statusbox(h, 1), 0);
    for (int passive : {1, 0}) {
        ASSERT_EQ(ftp_SetPassive(h, passive), 0);
        transferRunning = false;
        std::thread stopper([this] {
            for (int i = 0; i < 500 && !transferRunning; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            ftp_abort(h);
        });
        int result = ftp_get(h, "long.bin", localPath("long.bin").c_str());
        stopper.join();
        EXPECT_EQ(result, VARNIX_EABORTED) << lastError();
        EXPECT_LT(std::filesystem::file_size(local / "long.bin"), 64u << 20);
        char dir[64];
        EXPECT_EQ(ftp_pwd(h, dir, sizeof dir), 0) << lastError();  // still usable
    }
    varnix_setprogresshandler(nullptr, nullptr);
    EXPECT_EQ(ftp_abort(h), 0);  // nothing running: ABOR goes to the server
}

TEST_P(TransferTest, HandlesOnSeveralThreadsAtOnce) {
    std::string data = testfx::allBytes(2 << 20);
    server().put("shared.bin", data);
    std::vector<std::thread> threads;
    std::atomic<int> good{0};
    EXPECT_EQ(ftp_cd(h, "main-thread-missing"), -550);
    std::string mine = lastError();
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&, t] {
            int own = ftp_login(server().host().c_str(), server().user().c_str(),
                                server().password().c_str(), "");
            if (own <= 0 || ftp_setbinary(own) != 0) return;
            std::string name = localPath("thread" + std::to_string(t));
            if (t == 0) ftp_cd(own, "no-such-dir");  // this thread's text stays its own
            if (ftp_get(own, "shared.bin", name.c_str()) == 0 &&
                testfx::sha256File(name) == testfx::sha256(data) &&
                lastError().find("226") != std::string::npos)
                ++good;
            ftp_quit(own);
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(good, 3);
    EXPECT_EQ(lastError(), mine);  // the other threads' texts are their own
}

VARNIX_SERVER_SUITE(TransferTest);

// pyftpdlib cuts the first data connections part-way: resume after a cut transfer.
TEST(CutTransfer, GetAndPutResumeAfterACut) {
    testfx::ServerOptions options;
    options.cutAfter = 100000;
    options.cutTimes = 1;
    FtpServer server(ServerKind::Pyftpdlib, options);
    testfx::TempDir local;
    std::string data = testfx::allBytes(1 << 20);
    server.put("cut.bin", data);
    int h = ftptest::login(server);
    ASSERT_GT(h, 0);
    ASSERT_EQ(ftp_setbinary(h), 0);
    auto file = local / "cut.bin";
    int cut = ftp_get(h, "cut.bin", file.c_str());
    EXPECT_LT(cut, 0) << "a cut transfer is a failure";
    ASSERT_TRUE(std::filesystem::exists(file));
    auto partial = std::filesystem::file_size(file);
    EXPECT_GT(partial, 0u);
    EXPECT_LT(partial, data.size());
    ASSERT_EQ(ftp_RestartGet(h, "cut.bin", file.c_str()), 0) << lastError();
    EXPECT_EQ(testfx::sha256File(file), testfx::sha256(data));

    server.restart();  // cuts the next data connection again
    ASSERT_EQ(ftp_relogin(h, server.user().c_str(), server.password().c_str(), ""), 0);
    EXPECT_LT(ftp_put(h, file.c_str(), "up.bin"), 0);
    EXPECT_LT(server.get("up.bin").size(), data.size());
    ASSERT_EQ(ftp_RestartPut(h, file.c_str(), "up.bin"), 0) << lastError();
    EXPECT_EQ(testfx::sha256(server.get("up.bin")), testfx::sha256(data));
    ftp_quit(h);
}

// Copies between two servers: each kind as source and as target.
TEST(RemoteCopy, BetweenTwoServers) {
    [[maybe_unused]] bool lockedLeftOut = false;
    for (ServerKind fromKind : testfx::allServerKinds()) {
        for (ServerKind toKind : testfx::allServerKinds()) {
            FtpServer source(fromKind);
            FtpServer target(toKind);
            std::string what = source.kindName() + std::string(" -> ") + target.kindName();
            std::string data = testfx::allBytes(500000);
            source.put("src.bin", data);
            int from = ftptest::login(source);
            int to = ftptest::login(target);
            ASSERT_GT(from, 0);
            ASSERT_GT(to, 0);
            ASSERT_EQ(ftp_RemotePut(from, to, "src.bin", "dst.bin", 1, 0), 0)
                << what << ": " << lastError();
            EXPECT_EQ(testfx::sha256(target.get("dst.bin")), testfx::sha256(data)) << what;
            ASSERT_EQ(ftp_RemotePut(from, to, "src.bin", "", 1, 0), 0) << what << lastError();
            EXPECT_EQ(testfx::sha256(target.get("src.bin")), testfx::sha256(data)) << what;

            target.put("resume.bin", data.substr(0, 4321));
            ASSERT_EQ(ftp_RemotePut(from, to, "src.bin", "resume.bin", 1, 1), 0)
                << what << ": " << lastError();
            EXPECT_EQ(testfx::sha256(target.get("resume.bin")), testfx::sha256(data)) << what;
            target.put("at.bin", data.substr(0, 1000));
            ASSERT_EQ(ftp_RestartRemotePutAt(from, to, "src.bin", "at.bin", 1000, 1), 0)
                << what << ": " << lastError();
            EXPECT_EQ(testfx::sha256(target.get("at.bin")), testfx::sha256(data)) << what;

            target.put("log.txt", "head;");
            source.put("more.txt", "tail");
            ASSERT_EQ(ftp_RemoteAppend(from, to, "more.txt", "log.txt", 1), 0)
                << what << ": " << lastError();
            EXPECT_EQ(target.get("log.txt"), "head;tail");
            ASSERT_EQ(ftp_RestartRemoteAppendAt(from, to, "more.txt", "log.txt", 2, 1), 0)
                << what << ": " << lastError();
            EXPECT_EQ(target.get("log.txt"), "head;tailil");

            EXPECT_EQ(ftp_RemotePut(from, to, "missing.bin", "m.bin", 1, 0), -550) << what;
            if (fromKind == ServerKind::Vsftpd) {
                // Found only by RETR (vsftpd runs as its user): the target is freed again.
#ifdef _WIN32
                lockedLeftOut = true;
#else
                source.put("locked.bin", "secret");
                std::filesystem::permissions(source.path("locked.bin"),
                                             std::filesystem::perms::none);
                EXPECT_EQ(ftp_RemotePut(from, to, "locked.bin", "l.bin", 1, 0), -550) << what;
#endif
            }
            EXPECT_EQ(ftp_RemotePut(from, from, "src.bin", "x.bin", 1, 0), VARNIX_EINVAL);
            EXPECT_EQ(ftp_RemotePut(from, to, "src.bin", "again.bin", 1, 0), 0)
                << what << ": " << lastError();  // both still in step after the failure
            ftp_quit(from);
            ftp_quit(to);
        }
    }
    if (lockedLeftOut)
        VARNIX_SKIP_ON_WINDOWS(
            "its unreadable-source step: Wine cannot take a Linux file's "
            "permissions away");
}

}  // namespace
