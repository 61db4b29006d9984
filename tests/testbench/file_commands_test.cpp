// SPDX-License-Identifier: MIT
// The Command menu's dialogs against real servers: transfers (also resumed), multiple
// transfers, directories, listings, raw commands, existence, size and date queries.
#include <regex>
#include <set>

#include "core/commands.h"
#include "core/library_text.h"
#include "server_suite.h"
#include "varnix32.h"

namespace {

using namespace brisel;
using benchtest::ServerSuite;

class FileCommands : public ServerSuite {
  protected:
    // Byte-exact transfers (the library starts in ASCII mode).
    void LoginBinary() {
        Login();
        ASSERT_EQ(ftp_setbinary(bench.Doc().m_hFtp), 0);
    }
};

TEST_P(FileCommands, PutAndGetLogProgressAndTheLibraryText) {
    LoginBinary();
    const std::string data = testfx::allBytes(70000);
    testfx::writeFile(Local("up.bin"), data);
    const std::string remote = Name("up.bin");
    bench.ui.Expect(dlg::Put)
        .Set(ctl::Edit1, Local("up.bin").string())
        .Set(ctl::Edit2, remote)
        .Ok();
    bench.Run(cmd::Put);
    auto lines = bench.Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Wait...putting " + Local("up.bin").string());
    EXPECT_EQ(lines.back(), LastLibraryText().text);
    EXPECT_EQ(testfx::sha256(Server().get(remote)), testfx::sha256(data));

    bench.ui.Expect(dlg::Get)
        .Set(ctl::Edit1, remote)
        .Set(ctl::Edit2, Local("down.bin").string())
        .Ok();
    bench.Run(cmd::Get);
    lines = bench.Lines();
    EXPECT_EQ(lines[lines.size() - 2], "Wait...getting " + remote);
    EXPECT_EQ(testfx::sha256File(Local("down.bin")), testfx::sha256(data));
}

TEST_P(FileCommands, RestartedTransfersResumeWhereTheyStopped) {
    LoginBinary();
    const std::string data = testfx::allBytes(50000);
    const std::string remote = Name("resume.bin");
    testfx::writeFile(Local("full.bin"), data);
    Server().put(remote, data.substr(0, 20000));
    bench.ui.Expect(dlg::Put)
        .Set(ctl::Edit1, Local("full.bin").string())
        .Set(ctl::Edit2, remote)
        .Set(ctl::Restart, "1")
        .Ok();
    bench.Run(cmd::Put);
    auto lines = bench.Lines();
    EXPECT_EQ(lines[lines.size() - 2], "Wait...restarting..." + Local("full.bin").string());
    EXPECT_EQ(testfx::sha256(Server().get(remote)), testfx::sha256(data));

    testfx::writeFile(Local("part.bin"), data.substr(0, 12345));
    bench.ui.Expect(dlg::Get)
        .Set(ctl::Edit1, remote)
        .Set(ctl::Edit2, Local("part.bin").string())
        .Set(ctl::Restart, "1")
        .Ok();
    bench.Run(cmd::Get);
    lines = bench.Lines();
    EXPECT_EQ(lines[lines.size() - 2], "Wait...restarting " + remote);
    EXPECT_EQ(testfx::sha256File(Local("part.bin")), testfx::sha256(data));
}

TEST_P(FileCommands, MultipleTransfersWorkInTheLocalDirectory) {
    Login();
    const std::string dir = Name("multi");
    Server().mkdir(dir);
    Server().put(dir + "/a.txt", "alpha\n");
    Server().put(dir + "/b.txt", "beta\n");
    // ChangeLocalDir needs no session, and the library resolves local names against it.
    bench.ui.Expect(dlg::ChangeLocalDir).Set(ctl::Edit1, local_.path().string()).Ok();
    bench.Run(cmd::ChangeLocalDir);
    EXPECT_EQ(bench.LastLine(), LastLibraryText().text);
    bench.ui.Expect(dlg::Cwd).Set(ctl::Edit1, dir).Ok();
    bench.Run(cmd::Cwd);
    bench.ui.Expect(dlg::MGet).Set(ctl::Edit1, "*.txt").Ok();
    bench.Run(cmd::MGet);
    auto lines = bench.Lines();
    EXPECT_EQ(lines[lines.size() - 2], "Wait...getting *.txt");
    EXPECT_EQ(testfx::readFile(Local("a.txt")), "alpha\n");
    EXPECT_EQ(testfx::readFile(Local("b.txt")), "beta\n");

    testfx::writeFile(Local("c.dat"), "gamma");
    testfx::writeFile(Local("d.dat"), "delta");
    bench.ui.Expect(dlg::MPut).Set(ctl::Edit1, (local_.path() / "*.dat").string()).Ok();
    bench.Run(cmd::MPut);
    lines = bench.Lines();
    EXPECT_EQ(lines[lines.size() - 2], "Wait...putting " + (local_.path() / "*.dat").string());
    EXPECT_EQ(Server().get(dir + "/c.dat"), "gamma");
    EXPECT_EQ(Server().get(dir + "/d.dat"), "delta");
}

TEST_P(FileCommands, DirectoriesAndFilesOnTheServer) {
    Login();
    const std::string dir = Name("dir");
    auto run = [this](int command, int dialog, std::string first, std::string second = {}) {
        auto before = bench.Lines().size();
        bench.ui.Expect(dialog).Set(ctl::Edit1, first).Set(ctl::Edit2, second).Ok();
        bench.Run(command);
        EXPECT_EQ(bench.Lines().size(), before + 1) << command;
        EXPECT_EQ(bench.LastLine(), LastLibraryText().text) << command;
    };
    run(cmd::MkDir, dlg::MkDir, dir);
    EXPECT_TRUE(std::filesystem::is_directory(Server().path(dir)));
    run(cmd::Cwd, dlg::Cwd, dir);
    bench.ui.Expect(dlg::Pwd).Ok();
    bench.Run(cmd::Pwd);
    EXPECT_EQ(bench.ui.dialogs.back().opened.at(ctl::Edit1), "/" + dir);
    EXPECT_EQ(bench.LastLine(), LastLibraryText().text);
    Server().put(dir + "/old.txt", "x");
    run(cmd::RenameFile, dlg::Rename, "old.txt", "new.txt");
    EXPECT_TRUE(Server().exists(dir + "/new.txt"));
    run(cmd::DeleteFile, dlg::DeleteFile, "new.txt");
    EXPECT_FALSE(Server().exists(dir + "/new.txt"));
    run(cmd::Cwd, dlg::Cwd, "/");
    run(cmd::RmDir, dlg::RmDir, dir);
    EXPECT_FALSE(Server().exists(dir));
    // A refused command shows the server's refusal.
    run(cmd::RmDir, dlg::RmDir, dir);
    EXPECT_TRUE(std::regex_search(bench.LastLine(), std::regex("^5[0-9][0-9]")))
        << bench.LastLine();
}

TEST_P(FileCommands, DirListRunsRepeatedlyAndKeepsTheLastListingOnFailure) {
    Login();
    const std::string dir = Name("list");
    Server().mkdir(dir);
    Server().put(dir + "/first.txt", "1");
    Server().put(dir + "/second.txt", "22");
    std::set<std::filesystem::path> tempBefore;
    for (const auto& e :
         std::filesystem::directory_iterator(std::filesystem::temp_directory_path()))
        tempBefore.insert(e.path());
    const auto& shown = benchtest::ListThreeWays(bench, cmd::DirList, dlg::DirList, dir);
    ASSERT_EQ(shown.afterOk.size(), 3u);
    const std::string shortList = shown.afterOk[0].at(ctl::Edit2);
    const std::string longList = shown.afterOk[1].at(ctl::Edit2);
    EXPECT_NE(shortList.find("first.txt"), std::string::npos) << shortList;
    EXPECT_NE(shortList.find("second.txt"), std::string::npos);
    EXPECT_EQ(shortList.find("rw"), std::string::npos) << "short listing has no modes";
    EXPECT_NE(longList.find("second.txt"), std::string::npos);
    EXPECT_NE(longList.find("rw"), std::string::npos) << longList;
    EXPECT_EQ(shown.afterOk[2].at(ctl::Edit2), longList);
    EXPECT_FALSE(shown.accepted);
    auto lines = bench.Lines();
    EXPECT_EQ(lines.size(), 5u);  // first line, login, three listings
    EXPECT_EQ(lines.back(), LastLibraryText().text);
    // Every temporary listing file is gone again.
    for (const auto& e :
         std::filesystem::directory_iterator(std::filesystem::temp_directory_path())) {
        std::string name = e.path().filename().string();
        if (name.rfind("ftp", 0) == 0 && !tempBefore.count(e.path()))
            ADD_FAILURE() << "left behind: " << e.path();
    }
}

TEST_P(FileCommands, QuoteShowsTheReplyInTheDialogOnly) {
    Login();
    auto lines = bench.Lines();
    bench.ui.Expect(dlg::Quote).Set(ctl::Edit1, "SYST").Ok().Set(ctl::Edit1, "NOOP").Ok().Cancel();
    bench.Run(cmd::Quote);
    const auto& shown = bench.ui.dialogs.back();
    ASSERT_EQ(shown.afterOk.size(), 2u);
    EXPECT_EQ(shown.afterOk[0].at(ctl::Edit2).substr(0, 3), "215");
    EXPECT_EQ(shown.afterOk[1].at(ctl::Edit2).substr(0, 3), "200");
    EXPECT_EQ(bench.Lines(), lines);
}

TEST_P(FileCommands, ExistenceSizeAndDateQueries) {
    Login();
    const std::string file = Name("here.txt");
    const std::string empty = Name("empty.txt");
    Server().put(file, "twelve bytes");
    Server().put(empty, "");
    bench.ui.Expect(dlg::FileExist)
        .Set(ctl::Edit1, file)
        .Ok()
        .Set(ctl::Edit1, Name("absent.txt"))
        .Ok()
        .Cancel();
    bench.Run(cmd::FileExist);
    auto lines = bench.Lines();
    EXPECT_EQ(lines[lines.size() - 2], file + " exists");
    EXPECT_EQ(lines.back(), Name("absent.txt") + " does not exist");

    auto query = [this](int command, const std::string& name) {
        bench.ui.Expect(dlg::FileInfo).Set(ctl::Edit1, name).Ok();
        bench.Run(command);
        return bench.ui.messageBoxes.back();
    };
    using Box = std::pair<std::string, std::string>;
    EXPECT_EQ(query(cmd::FileSize, file), Box("File size of " + file + " = 12", "File Size"));
    EXPECT_EQ(query(cmd::FileSize, empty), Box("File size of " + empty + " = 0", "File Size"));
    EXPECT_EQ(
        query(cmd::FileSize, Name("absent.txt")),
        Box("File " + Name("absent.txt") + " does not exist or command not supported by server.",
            "File Size"));
    auto date = query(cmd::FileDateTime, file);
    EXPECT_EQ(date.second, "File Datetime");
    EXPECT_TRUE(std::regex_match(date.first,
                                 std::regex("File date time of " + file + " = (19|20)[0-9]{12}.*")))
        << date.first;
    EXPECT_EQ(query(cmd::FileDateTime, Name("absent.txt")).first,
              "File " + Name("absent.txt") + " does not exist or command not supported by server.");
    EXPECT_EQ(bench.Lines().size(), lines.size());
}

INSTANTIATE_TEST_SUITE_P(Servers, FileCommands, ::testing::ValuesIn(testfx::allServerKinds()),
                         benchtest::ServerKindParamName);

}  // namespace
