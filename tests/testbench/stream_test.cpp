// SPDX-License-Identifier: MIT
// Streamed listings and files, loop tests and Put List Files against real servers.
#include <regex>

#include "core/commands.h"
#include "core/library_text.h"
#include "server_suite.h"
#include "varnix32.h"

namespace {

using namespace brisel;
using benchtest::ServerSuite;

class StreamCommands : public ServerSuite {
  protected:
    void LoginBinary() {
        Login();
        bench.Run(cmd::Binary);
        ASSERT_EQ(bench.LastLine(), LastLibraryText().text);
    }
};

TEST_P(StreamCommands, ReadDirListLongAndShort) {
    Login();
    const std::string dir = Name("rdl");
    Server().mkdir(dir);
    Server().put(dir + "/one.txt", "1");
    Server().put(dir + "/two.txt", "22");
    const auto& shown = benchtest::ListThreeWays(bench, cmd::ReadDirList, dlg::ReadDirList, dir);
    ASSERT_EQ(shown.afterOk.size(), 3u);
    const std::string& names = shown.afterOk[0].at(ctl::Edit2);
    const std::string& longList = shown.afterOk[1].at(ctl::Edit2);
    EXPECT_NE(names.find("one.txt"), std::string::npos) << names;
    EXPECT_NE(names.find("two.txt"), std::string::npos);
    EXPECT_EQ(names.find("rw"), std::string::npos);
    EXPECT_NE(longList.find("two.txt"), std::string::npos);
    EXPECT_NE(longList.find("rw"), std::string::npos) << longList;
    // The failed open refilled nothing and logged the library's refusal.
    EXPECT_EQ(shown.afterOk[2].at(ctl::Edit2), longList);
    auto lines = bench.Lines();
    EXPECT_EQ(lines[lines.size() - 3], "Read directory completed successfully");
    EXPECT_EQ(lines[lines.size() - 2], "Read directory completed successfully");
    EXPECT_EQ(lines.back(), LastLibraryText().text);
}

TEST_P(StreamCommands, ReadGetCountsEveryByteAndGrowsChunkByChunk) {
    LoginBinary();
    std::string data = "head";
    data += '\0';
    data += "after the zero";
    data += testfx::allBytes(60000);
    const std::string file = Name("zeros.bin");
    Server().put(file, data);
    bench.ui.Expect(dlg::ReadGet).Set(ctl::Edit1, file).Ok().Cancel();
    bench.Run(cmd::ReadGet);
    EXPECT_EQ(bench.LastLine(), "ReadGet: bytes read: " + std::to_string(data.size()));
    const auto& shown = bench.ui.dialogs.back();
    const std::string& content = shown.afterOk.at(0).at(ctl::Edit2);
    EXPECT_EQ(content.rfind("head", 0), 0u);
    EXPECT_EQ(content.find('\0'), std::string::npos);
    EXPECT_LT(content.size(), data.size());
    // Opening, one refill per chunk of at most 1024 bytes, and the last one.
    EXPECT_GE(shown.refills, static_cast<int>(data.size() / 1024) + 2);

    bench.ui.Expect(dlg::ReadGet).Set(ctl::Edit1, Name("absent.bin")).Ok().Cancel();
    bench.Run(cmd::ReadGet);
    EXPECT_EQ(bench.LastLine(), LastLibraryText().text);
    EXPECT_TRUE(std::regex_search(bench.LastLine(), std::regex("^[45][0-9][0-9] ")))
        << bench.LastLine();
}

TEST_P(StreamCommands, WritePutWritesAndAppendsTheTypedText) {
    LoginBinary();
    const std::string file = Name("typed.txt");
    bench.ui.Expect(dlg::WritePut)
        .Set(ctl::Edit1, file)
        .Set(ctl::Edit2, "first line\r\nsecond")
        .Ok()
        .Cancel();
    bench.Run(cmd::WritePut);
    EXPECT_EQ(Server().get(file), "first line\r\nsecond");
    EXPECT_EQ(bench.LastLine(), LastLibraryText().text);
    bench.ui.Expect(dlg::WritePut)
        .Set(ctl::Edit1, file)
        .Set(ctl::LongListing, "1")
        .Set(ctl::Edit2, "\r\nthird")
        .Ok()
        .Set(ctl::Edit1, Name("empty.txt"))
        .Set(ctl::LongListing, "0")
        .Set(ctl::Edit2, "")
        .Ok()
        .Cancel();
    bench.Run(cmd::WritePut);
    EXPECT_EQ(Server().get(file), "first line\r\nsecond\r\nthird");
    EXPECT_TRUE(Server().exists(Name("empty.txt")));
    EXPECT_EQ(Server().get(Name("empty.txt")), "");
}

TEST_P(StreamCommands, LoopTestsWithAndWithoutRelogin) {
    LoginBinary();
    const int session = bench.Doc().m_hFtp;
    testfx::writeFile(Local("loop.bin"), testfx::allBytes(10000));
    const std::string remote = Name("loop.bin");
    bench.ui.Expect(dlg::LoopPut)
        .Set(ctl::Edit1, Local("loop.bin").string())
        .Set(ctl::Edit2, remote)
        .Set(ctl::Loops, "3")
        .Ok();
    bench.Run(cmd::LoopPut);
    const std::regex total("Total successful loops = ([0-9]+), in [0-9]+ ms\\.");
    std::smatch m;
    auto last = bench.LastLine();
    ASSERT_TRUE(std::regex_match(last, m, total)) << last;
    EXPECT_EQ(m[1], "3");
    EXPECT_EQ(Server().get(remote).size(), 10000u);

    bench.ui.Expect(dlg::LoopGet)
        .Set(ctl::Edit1, remote)
        .Set(ctl::Edit2, Local("back.bin").string())
        .Set(ctl::Edit3, "2")
        .Set(ctl::Relogin, "1")
        .Ok();
    bench.Run(cmd::LoopGet);
    last = bench.LastLine();
    ASSERT_TRUE(std::regex_match(last, m, total)) << last;
    EXPECT_EQ(m[1], "2");
    // The rounds ran on sessions of their own.
    EXPECT_EQ(bench.Doc().m_hFtp, session);
    EXPECT_TRUE(std::filesystem::exists(Local("back.bin")));
}

TEST_P(StreamCommands, PutListFilesPutsEveryListedName) {
    LoginBinary();
    const std::string dir = Name("listed");
    Server().mkdir(dir);
    bench.ui.Expect(dlg::Cwd).Set(ctl::Edit1, dir).Ok();
    bench.Run(cmd::Cwd);
    const std::string utf8 =
        "gr\xC3\xBC\xC3\x9F"
        "e.txt";
    testfx::writeFile(Local("a.txt"), "A");
    testfx::writeFile(Local("myfile.txt"), "spaced");
    testfx::writeFile(Local(utf8), "utf8");
    const std::string base = local_.path().string() + "/";
    testfx::writeFile(Local("list.txt"), base + "a.txt\r\n\n   \n" + base + "my file.txt\n" + base +
                                             utf8 + "\n\t\n" + base + "missing.txt\n" + base +
                                             "a.txt");
    bench.ui.Expect(dlg::PutList).Set(ctl::Edit1, Local("list.txt").string()).Ok();
    auto before = bench.Lines().size();
    bench.Run(cmd::PutListFiles);
    auto lines = bench.Lines();
    ASSERT_EQ(lines.size(), before + 6);
    EXPECT_EQ(lines[before], "Wait...putting " + base + "a.txt");
    EXPECT_EQ(lines[before + 1], "Wait...putting " + base + "myfile.txt");
    EXPECT_EQ(lines[before + 2], "Wait...putting " + base + utf8);
    EXPECT_EQ(lines[before + 3], "Wait...putting " + base + "missing.txt");
    EXPECT_EQ(lines.back(), LastLibraryText().text);
    EXPECT_EQ(Server().get(dir + "/a.txt"), "A");
    EXPECT_EQ(Server().get(dir + "/myfile.txt"), "spaced");
    EXPECT_EQ(Server().get(dir + "/" + utf8), "utf8");

    bench.ui.Expect(dlg::PutList).Set(ctl::Edit1, "").Ok();
    bench.Run(cmd::PutListFiles);
    EXPECT_EQ(bench.LastLine(), "Invalid file name");
    bench.ui.Expect(dlg::PutList).Set(ctl::Edit1, Local("no-such-list.txt").string()).Ok();
    bench.Run(cmd::PutListFiles);
    EXPECT_EQ(bench.LastLine(), "Cannot open file");
    // A directory opens here but cannot be read: refused the same way.
    bench.ui.Expect(dlg::PutList).Set(ctl::Edit1, local_.path().string()).Ok();
    bench.Run(cmd::PutListFiles);
    EXPECT_EQ(bench.LastLine(), "Cannot open file");
}

TEST_P(StreamCommands, EveryOptionLogsItsLine) {
    Login();
    auto library = [this](int command) {
        bench.Run(command);
        EXPECT_EQ(bench.LastLine(), LastLibraryText().text) << command;
        EXPECT_EQ(bench.LastLine().substr(0, 1), "2") << command << ": " << bench.LastLine();
    };
    library(cmd::Ascii);
    library(cmd::Binary);
    bench.Run(cmd::LocalUnique);
    EXPECT_EQ(bench.LastLine(), LastLibraryText().text);
    bench.Run(cmd::LocalUnique);
    bench.Run(cmd::StoreUnique);
    EXPECT_EQ(bench.LastLine(), LastLibraryText().text);
    bench.Run(cmd::StoreUnique);
    bench.Run(cmd::SetActive);
    EXPECT_EQ(bench.LastLine(), "Set FTP server active");
    // An active-mode transfer works on loopback.
    Server().put(Name("active.txt"), "active");
    bench.ui.Expect(dlg::Get)
        .Set(ctl::Edit1, Name("active.txt"))
        .Set(ctl::Edit2, Local("a.txt").string())
        .Ok();
    bench.Run(cmd::Get);
    EXPECT_EQ(testfx::readFile(Local("a.txt")), "active");
    bench.Run(cmd::SetPassive);
    EXPECT_EQ(bench.LastLine(), "Set FTP server passive");
    bench.Run(cmd::StatusBox);
    EXPECT_EQ(bench.LastLine(), "Status Box turned off");
    bench.Run(cmd::StatusBox);
    EXPECT_EQ(bench.LastLine(), "Status Box turned on");

    // The local path: relative local names land there until it is cleared.
    bench.ui.Expect(dlg::LocalPath).Set(ctl::Edit1, local_.path().string()).Ok();
    bench.Run(cmd::SetLocalPath);
    EXPECT_EQ(bench.LastLine(), LastLibraryText().text);
    bench.ui.Expect(dlg::Get)
        .Set(ctl::Edit1, Name("active.txt"))
        .Set(ctl::Edit2, "relative.txt")
        .Ok();
    bench.Run(cmd::Get);
    EXPECT_EQ(testfx::readFile(Local("relative.txt")), "active");
    bench.Run(cmd::ClearLocalPath);
    EXPECT_EQ(bench.LastLine(), "Cleared local path setting");

    // The library's trace: on into the chosen file, off again.
    const auto trace = Local("varnix.log");
    bench.ui.AnswerFileOpen(trace.string());
    bench.Run(cmd::TraceOn);
    bench.ui.Expect(dlg::Cwd).Set(ctl::Edit1, "/").Ok();
    bench.Run(cmd::Cwd);
    bench.Run(cmd::TraceOff);
    const std::string traced = testfx::readFile(trace);
    EXPECT_NE(traced.find("CWD /"), std::string::npos) << traced;
    bench.ui.Expect(dlg::Cwd).Set(ctl::Edit1, "/").Ok();
    bench.Run(cmd::Cwd);
    EXPECT_EQ(testfx::readFile(trace), traced);
}

INSTANTIATE_TEST_SUITE_P(Servers, StreamCommands, ::testing::ValuesIn(testfx::allServerKinds()),
                         benchtest::ServerKindParamName);

}  // namespace
