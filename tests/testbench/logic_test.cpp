// SPDX-License-Identifier: MIT
// The test bench's logic without a server: the log view, dialogs and their fields, refusals of
// commands on a document without a session, browse buttons, menus and console lines.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "console/line_reader.h"
#include "core/commands.h"
#include "core/headless_dialog.h"
#include "core/ids.h"
#include "core/library_text.h"
#include "core/list_file.h"
#include "core/menus.h"
#include "process.h"
#include "test_ui.h"
#include "varnix32.h"

namespace {

using namespace brisel;
using benchtest::CTestBench;
using benchtest::CTestWindow;

TEST(LogView, NewDocumentStartsWithPleaseConnectAndRefreshRepeatsTheLine) {
    CTestBench bench;
    bench.NewDocument();
    EXPECT_EQ(bench.Lines(), std::vector<std::string>{"Please connect to server first..."});
    EXPECT_TRUE(bench.Active().log.ReadOnly());
    bench.Doc().m_strMessage = "one";
    bench.Doc().RefreshViews();
    bench.Doc().RefreshViews();
    EXPECT_EQ(bench.Lines(),
              (std::vector<std::string>{"Please connect to server first...", "one", "one"}));
    EXPECT_EQ(bench.Active().log.Text(), bench.Active().view.m_strLog);
}

TEST(LogView, EveryViewGetsEachLineAndALaterViewStartsWithTheCurrentMessage) {
    CTestBench bench;
    CBrisel32Doc& doc = bench.NewDocument();
    CTestWindow& first = bench.Active();
    doc.m_strMessage = "early";
    doc.RefreshViews();
    CTestWindow& second = bench.NewWindow(doc);
    doc.m_strMessage = "late";
    doc.RefreshViews();
    EXPECT_EQ(first.Lines(),
              (std::vector<std::string>{"Please connect to server first...", "early", "late"}));
    EXPECT_EQ(second.Lines(), (std::vector<std::string>{"early", "late"}));
}

TEST(LogView, ScrollsToTheLastLineOnlyBeyondTenLines) {
    CTestBench bench;
    bench.NewDocument();
    // The control counts the empty line after the last line end, as an edit control does.
    for (int i = 2; i <= 9; ++i)
        bench.Doc().RefreshViews();
    EXPECT_EQ(bench.Active().log.GetLineCount(), 10);
    EXPECT_EQ(bench.Active().log.Scrolled(), 0);
    bench.Doc().RefreshViews();
    EXPECT_EQ(bench.Active().log.Scrolled(), 11);
}

TEST(LogView, LoadedTextStartsTheLogAndSavesWithLineFeeds) {
    CTestBench bench;
    CBrisel32Doc& doc = bench.NewDocument();
    benchtest::CRecordingLog log;
    CBrisel32View view(doc, log);
    view.LoadText("saved one\r\nsaved two");
    view.OnInitialUpdate();
    EXPECT_EQ(view.m_strLog, "saved one\r\nsaved two\r\nPlease connect to server first...\r\n");
    EXPECT_EQ(view.SavedText(), "saved one\nsaved two\nPlease connect to server first...\n");
}

TEST(About, ShowsTheLibraryVersionWithTwoDecimals) {
    EXPECT_EQ(LibraryVersionText(350), "Varnix32.dll version 3.50");
    EXPECT_EQ(LibraryVersionText(5), "Varnix32.dll version 0.05");
    benchtest::CTestUi ui;
    ui.Expect(dlg::About).Ok();
    ShowAbout(ui);
    ASSERT_EQ(ui.dialogs.size(), 1u);
    EXPECT_EQ(ui.dialogs[0].title, "About brisel32");
    EXPECT_EQ(ui.dialogs[0].opened.at(ctl::Edit1), LibraryVersionText(varnix_version()));
}

TEST(Dialogs, PasswordsAreMaskedInLoginAndLoginPortOnly) {
    EXPECT_EQ(DialogLayout(dlg::Login).Control(ctl::Edit3)->kind, ControlKind::Password);
    EXPECT_EQ(DialogLayout(dlg::LoginPort).Control(ctl::Edit3)->kind, ControlKind::Password);
    EXPECT_EQ(DialogLayout(dlg::ReLogin).Control(ctl::Edit2)->kind, ControlKind::Text);
    EXPECT_EQ(DialogLayout(dlg::GateLogin).Control(ctl::Edit3)->kind, ControlKind::Text);
    for (const CDialogLayout& layout : AllDialogLayouts()) {
        for (const CControlLayout& c : layout.controls) {
            if (c.kind == ControlKind::Browse) {
                EXPECT_NE(layout.Control(c.target), nullptr) << layout.id << " button " << c.id;
            }
        }
    }
}

TEST(Dialogs, IntegerFieldsRefuseOtherText) {
    EXPECT_EQ(ParseDialogInteger(" 42 "), 42);
    EXPECT_EQ(ParseDialogInteger("-7"), -7);
    EXPECT_EQ(ParseDialogInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseDialogInteger("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"", " ", "x", "12a", "2147483648", "99999999999999999999", "-"})
        EXPECT_FALSE(ParseDialogInteger(bad)) << bad;

    benchtest::CTestUi ui;
    CDialog dialog(dlg::LoginPort);
    dialog.fields.Number(ctl::Port) = 21;
    CHeadlessDialog host(dialog, ui);
    host.Open();
    EXPECT_EQ(host.Control(ctl::Port), "21");
    host.Control(ctl::Port) = "twenty";
    EXPECT_FALSE(host.PressOK());
    ASSERT_EQ(ui.messageBoxes.size(), 1u);
    EXPECT_EQ(ui.messageBoxes[0].first, "Please enter an integer.");
    host.Control(ctl::Port) = "2121";
    EXPECT_TRUE(host.PressOK());
    EXPECT_EQ(dialog.fields.Number(ctl::Port), 2121);
}

TEST(Dialogs, CaptionReplacesTheTitle) {
    EXPECT_EQ(CDialog(dlg::FileInfo, "Query File Size:").Title(), "Query File Size:");
    EXPECT_EQ(CDialog(dlg::Rename).Title(), "Rename File");
}

TEST(FreshDocument, ConnectionCommandsRefuseWithoutASession) {
    CTestBench bench;
    bench.NewDocument();
    bench.Run(cmd::ReLogin);
    EXPECT_EQ(bench.LastLine(), "You need to establish a connection first!");
    bench.Run(cmd::GateLogin);
    EXPECT_EQ(bench.LastLine(), "You need to connect to a gateway host first!");
    EXPECT_TRUE(bench.ui.dialogs.empty());
    bench.Run(cmd::Abort);
    EXPECT_EQ(bench.LastLine(), "No FTP connection.");
    auto lines = bench.Lines().size();
    bench.Run(cmd::Logout);
    EXPECT_EQ(bench.Lines().size(), lines);
    bench.Run(cmd::IsConnected);
    ASSERT_EQ(bench.ui.messageBoxes.size(), 1u);
    EXPECT_EQ(bench.ui.messageBoxes[0], std::make_pair(std::string("FTP session is disconnected."),
                                                       std::string("Is Connected?")));
    EXPECT_EQ(bench.Lines().size(), lines);
}

TEST(Logout, AFailedQuitStillLeavesTheDocumentNotConnected) {
    CTestBench bench;
    bench.NewDocument();
    bench.Doc().m_hFtp = 987654;  // a handle the library does not hold
    bench.Run(cmd::Logout);
    EXPECT_EQ(bench.LastLine(), "Quit failed, disconnect anyway");
    EXPECT_EQ(bench.Doc().m_hFtp, 0);
}

TEST(FreshDocument, PatternCommandsSayServerNotConnectedAfterTheirDialog) {
    const std::pair<int, int> commands[] = {
        {cmd::Put, dlg::Put},          {cmd::Get, dlg::Get},
        {cmd::MGet, dlg::MGet},        {cmd::MPut, dlg::MPut},
        {cmd::Cwd, dlg::Cwd},          {cmd::MkDir, dlg::MkDir},
        {cmd::RmDir, dlg::RmDir},      {cmd::DeleteFile, dlg::DeleteFile},
        {cmd::RenameFile, dlg::Rename}};
    for (auto [command, dialog] : commands) {
        CTestBench bench;
        bench.NewDocument();
        bench.ui.Expect(dialog).Set(ctl::Edit1, "a").Set(ctl::Edit2, "b").Ok();
        bench.Run(command);
        EXPECT_EQ(bench.Lines(), (std::vector<std::string>{"Please connect to server first...",
                                                           "Server not connected yet"}))
            << command;
        EXPECT_EQ(bench.ui.waitBegins, 1) << command;
        // Cancel: no line at all.
        bench.ui.Expect(dialog).Cancel();
        bench.Run(command);
        EXPECT_EQ(bench.Lines().size(), 2u) << command;
    }
}

TEST(FreshDocument, StayOpenDialogsDoNothingAndQueriesShowNothing) {
    CTestBench bench;
    bench.NewDocument();
    for (auto [command, dialog] :
         {std::pair{cmd::DirList, dlg::DirList}, std::pair{cmd::Quote, dlg::Quote},
          std::pair{cmd::FileExist, dlg::FileExist}}) {
        bench.ui.Expect(dialog).Set(ctl::Edit1, "x").Ok().Ok().Cancel();
        bench.Run(command);
        EXPECT_FALSE(bench.ui.dialogs.back().accepted);
        EXPECT_EQ(bench.ui.dialogs.back().afterOk.size(), 2u);
    }
    bench.ui.Expect(dlg::FileInfo).Set(ctl::Edit1, "x").Ok();
    bench.Run(cmd::FileSize);
    EXPECT_EQ(bench.ui.dialogs.back().title, "Query File Size:");
    bench.ui.Expect(dlg::FileInfo).Set(ctl::Edit1, "x").Ok();
    bench.Run(cmd::FileDateTime);
    EXPECT_EQ(bench.ui.dialogs.back().title, "Query File Datetime:");
    EXPECT_TRUE(bench.ui.messageBoxes.empty());
    EXPECT_EQ(bench.ui.repaints, 2);
    EXPECT_EQ(bench.Lines().size(), 1u);
}

TEST(FreshDocument, PwdAsksTheLibraryWithoutASession) {
    CTestBench bench;
    bench.NewDocument();
    bench.ui.Expect(dlg::Pwd).Ok();
    bench.Run(cmd::Pwd);
    ASSERT_EQ(bench.ui.dialogs.size(), 1u);
    // The library's answer for handle 0 is a failure: no path, and its text in the log.
    EXPECT_EQ(bench.ui.dialogs[0].opened.at(ctl::Edit1), "");
    EXPECT_EQ(bench.LastLine(), LastLibraryText().text);
    EXPECT_FALSE(bench.LastLine().empty());
}

TEST(FreshDocument, CopyFileNeedsNoSession) {
    auto dir =
        std::filesystem::temp_directory_path() / ("bench-copy-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "from.txt") << "copy me";
    CTestBench bench;
    bench.NewDocument();
    bench.ui.Expect(dlg::CopyFile)
        .Set(ctl::Edit1, (dir / "from.txt").string())
        .Set(ctl::Edit2, (dir / "to.txt").string())
        .Ok();
    bench.Run(cmd::CopyFile);
    bench.ui.Expect(dlg::CopyFile)
        .Set(ctl::Edit1, (dir / "missing.txt").string())
        .Set(ctl::Edit2, (dir / "to2.txt").string())
        .Ok();
    bench.Run(cmd::CopyFile);
    ASSERT_EQ(bench.ui.messageBoxes.size(), 2u);
    EXPECT_EQ(bench.ui.messageBoxes[0],
              std::make_pair(std::string("File copied."), std::string("Copy File")));
    EXPECT_EQ(bench.ui.messageBoxes[1].first, "Copy failed.");
    std::ifstream copied(dir / "to.txt");
    std::string text((std::istreambuf_iterator<char>(copied)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "copy me");
    EXPECT_EQ(bench.Lines().size(), 1u);
    std::filesystem::remove_all(dir);
}

TEST(BrowseButtons, StartAtStarDotStarOrTheFieldAndFillTheirField) {
    CTestBench bench;
    bench.NewDocument();
    bench.ui.AnswerFileOpen("/data/chosen.bin");
    bench.ui.AnswerFileOpen(std::nullopt);
    bench.ui.AnswerFileOpen(std::nullopt);
    bench.ui.Expect(dlg::Put)
        .Button(ctl::FileButton)
        .Button(ctl::FileButton)
        .Set(ctl::Edit1, "typed.txt")
        .Button(ctl::FileButton)
        .Cancel();
    bench.Run(cmd::Put);
    bench.ui.Expect(dlg::Get).Button(ctl::BrowseLocal).Cancel();
    bench.Run(cmd::Get);
    bench.ui.AnswerFileOpen("/data/from");
    bench.ui.AnswerFileOpen("/data/to");
    bench.ui.Expect(dlg::CopyFile).Button(ctl::BrowseFrom).Button(ctl::BrowseTo).Cancel();
    bench.Run(cmd::CopyFile);
    EXPECT_EQ(
        bench.ui.fileOpenRequests,
        (std::vector<std::string>{"*.*", "/data/chosen.bin", "typed.txt", "*.*", "*.*", "*.*"}));
    EXPECT_TRUE(bench.ui.messageBoxes.empty());
    // A cancelled choice leaves the field; a chosen one replaces it.
    benchtest::CTestUi ui;
    CDialog copy(dlg::CopyFile);
    CHeadlessDialog host(copy, ui);
    host.Open();
    ui.AnswerFileOpen("/data/from");
    ui.AnswerFileOpen("/data/to");
    host.PressButton(ctl::BrowseFrom);
    host.PressButton(ctl::BrowseTo);
    EXPECT_EQ(host.Control(ctl::Edit1), "/data/from");
    EXPECT_EQ(host.Control(ctl::Edit2), "/data/to");
    host.PressButton(ctl::BrowseTo);
    EXPECT_EQ(host.Control(ctl::Edit2), "/data/to");
}

TEST(Menus, EveryCommandIsInTheDocumentMenuUnderAUniqueName) {
    auto named = NamedCommands();
    for (const CCommand& command : CommandTable()) {
        int found = 0;
        for (const auto& n : named)
            found += n.id == command.id;
        EXPECT_EQ(found, 1) << command.id;
    }
    EXPECT_EQ(PlainMenuText("&Open...\tCtrl+O"), "Open");
    EXPECT_EQ(PlainMenuText("Copy&File"), "CopyFile");
}

TEST(ConsoleLines, WordsAndCommandNames) {
    auto words = console::SplitWords(R"(WritePut "a file" 1 "line\r\nnext" "")");
    ASSERT_EQ(words.size(), 5u);
    EXPECT_EQ(words[1].text, "a file");
    EXPECT_EQ(words[3].text, "line\r\nnext");
    EXPECT_EQ(words[4].text, "");
    std::size_t used = 0;
    EXPECT_EQ(console::FindCommandId(words, used), cmd::WritePut);
    EXPECT_EQ(used, 1u);
    const std::pair<const char*, int> names[] = {{"put list files list.txt", cmd::PutListFiles},
                                                 {"Loop Tests Get a b 3 0", cmd::LoopGet},
                                                 {"Get remote local", cmd::Get},
                                                 {"File Size x", cmd::FileSize},
                                                 {"32796 host user pw", cmd::Login},
                                                 {"Status Box", cmd::StatusBox},
                                                 {"Status Bar", cmd::ViewStatusBar},
                                                 {"nothing here", 0}};
    for (auto [line, id] : names)
        EXPECT_EQ(console::FindCommandId(console::SplitWords(line), used), id) << line;
}

}  // namespace

namespace {

using namespace brisel;
using benchtest::CTestBench;

TEST(PutListFiles, NamesKeepUtf8AndDelAndLoseBlanksAndControls) {
    const std::string list =
        "first.txt\r\n"
        "\n"
        "   \t \r\n"
        "my file.txt\n"
        "gr\xC3\xBC\xC3\x9F"
        "e.txt\n"
        "odd\x7F\x01name\n"
        "last.txt";
    EXPECT_EQ(ListFileNames(list), (std::vector<std::string>{"first.txt", "myfile.txt",
                                                             "gr\xC3\xBC\xC3\x9F"
                                                             "e.txt",
                                                             "odd\x7Fname", "last.txt"}));
    EXPECT_TRUE(ListFileNames("").empty());
    EXPECT_TRUE(ListFileNames("\n\n \n").empty());
}

TEST(FreshDocument, OptionsRefuseEachWithItsOwnText) {
    CTestBench bench;
    bench.NewDocument();
    const std::pair<int, const char*> refusals[] = {
        {cmd::SetActive, "Not login yet"},
        {cmd::SetPassive, "Not login yet"},
        {cmd::LocalUnique, "No FTP connection."},
        {cmd::StoreUnique, "No FTP connection."},
        {cmd::Ascii, "Server not connected yet"},
        {cmd::Binary, "Server not connected yet"},
        {cmd::ClearLocalPath, "Cleared local path setting"}};
    for (auto [command, text] : refusals) {
        bench.Run(command);
        EXPECT_EQ(bench.LastLine(), text) << command;
    }
    EXPECT_TRUE(bench.ui.dialogs.empty());
}

TEST(FreshDocument, StatusBoxTogglesTheFlagWithoutASession) {
    CTestBench bench;
    bench.NewDocument();
    bench.Run(cmd::StatusBox);
    EXPECT_EQ(bench.LastLine(), "Status Box turned off");
    EXPECT_EQ(bench.Doc().m_bStatusBox, 0);
    bench.Run(cmd::StatusBox);
    EXPECT_EQ(bench.LastLine(), "Status Box turned on");
    EXPECT_EQ(bench.Doc().m_bStatusBox, 1);
}

TEST(FreshDocument, TraceOnOffersVarnixLogAndCancelDoesNothing) {
    CTestBench bench;
    bench.NewDocument();
    bench.Run(cmd::TraceOn);
    bench.Run(cmd::TraceOff);
    EXPECT_EQ(bench.ui.fileOpenRequests, std::vector<std::string>{"varnix.log"});
    EXPECT_EQ(bench.Lines().size(), 1u);
}

TEST(FreshDocument, StreamDialogsDoNothingWithoutASession) {
    CTestBench bench;
    bench.NewDocument();
    for (auto [command, dialog] :
         {std::pair{cmd::ReadDirList, dlg::ReadDirList}, std::pair{cmd::ReadGet, dlg::ReadGet},
          std::pair{cmd::WritePut, dlg::WritePut}}) {
        bench.ui.Expect(dialog).Set(ctl::Edit1, "x").Set(ctl::Edit2, "text").Ok().Cancel();
        bench.Run(command);
        EXPECT_FALSE(bench.ui.dialogs.back().accepted);
        ASSERT_EQ(bench.ui.dialogs.back().afterOk.size(), 1u);
        EXPECT_EQ(bench.ui.dialogs.back().afterOk[0].at(ctl::Edit2), "text") << command;
    }
    EXPECT_EQ(bench.Lines().size(), 1u);
    bench.ui.Expect(dlg::PutList).Set(ctl::Edit1, "list.txt").Ok();
    bench.Run(cmd::PutListFiles);
    EXPECT_EQ(bench.LastLine(), "Server not connected yet");
}

TEST(LoopTests, CountTimeAndRefuseANonInteger) {
    CTestBench bench;
    bench.NewDocument();
    // No loops: no transfer; the clock's two readings give the time.
    bench.ui.QueueTicks({1000, 1000});
    bench.ui.Expect(dlg::LoopGet)
        .Set(ctl::Edit1, "r")
        .Set(ctl::Edit2, "l")
        .Set(ctl::Edit3, "0")
        .Ok();
    bench.Run(cmd::LoopGet);
    auto lines = bench.Lines();
    EXPECT_EQ(lines[lines.size() - 2], "Wait...getting r");
    EXPECT_EQ(lines.back(), "Total successful loops = 0, in 0 ms.");
    // Without a session and without relogin, nothing is transferred; the clock may wrap.
    bench.ui.QueueTicks({0xFFFFFF00u, 0x100u});
    bench.ui.Expect(dlg::LoopPut)
        .Set(ctl::Edit1, "local")
        .Set(ctl::Edit2, "remote")
        .Set(ctl::Loops, "many")
        .Ok()
        .Set(ctl::Loops, "3")
        .Ok();
    bench.Run(cmd::LoopPut);
    EXPECT_EQ(bench.ui.messageBoxes.back().first, "Please enter an integer.");
    lines = bench.Lines();
    EXPECT_EQ(lines[lines.size() - 2], "Wait...putting local");
    EXPECT_EQ(lines.back(), "Total successful loops = 0, in 512 ms.");
}

TEST(LoopTests, AFailedReloginAppendsTheLibraryTextEachRound) {
    CTestBench bench;
    bench.NewDocument();
    bench.Doc().m_strHost = "127.0.0.1:" + std::to_string(testfx::freePort());
    bench.Doc().m_strUser = "nobody";
    bench.ui.Expect(dlg::LoopGet)
        .Set(ctl::Edit1, "r")
        .Set(ctl::Edit2, "l")
        .Set(ctl::Edit3, "2")
        .Set(ctl::Relogin, "1")
        .Ok();
    bench.Run(cmd::LoopGet);
    const std::string error = LastLibraryText().text;
    ASSERT_FALSE(error.empty());
    auto lines = bench.Lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], "Wait...getting r");
    EXPECT_EQ(lines[2], "Wait...getting r" + error);
    EXPECT_EQ(lines[3], "Wait...getting r" + error + error);
    EXPECT_EQ(lines[4].rfind("Total successful loops = 0, in ", 0), 0u);
    EXPECT_EQ(bench.Doc().m_hFtp, 0);
}

TEST(HostList, ShowsFiveWindowsActiveFirstAndChoosesAHandle) {
    CTestBench bench;
    for (int i = 1; i <= 6; ++i) {
        CBrisel32Doc& doc = bench.NewDocument();
        doc.m_strHost = "host" + std::to_string(i);
        doc.m_strUser = "user" + std::to_string(i);
        doc.m_hFtp = i * 10;
    }
    // The last window made is active. No choice in the FROM list ends the command.
    bench.ui.Expect(dlg::HostList).Ok();
    bench.Run(cmd::RemoteToRemotePut);
    ASSERT_EQ(bench.ui.dialogs.size(), 1u);
    const auto& shown = bench.ui.dialogs[0];
    EXPECT_EQ(shown.title, "Select the FROM ftp server:");
    ASSERT_EQ(shown.listItems.size(), 5u);
    EXPECT_EQ(shown.listItems[0].text, "host6:user6");
    EXPECT_EQ(shown.listItems[0].value, 60);
    EXPECT_EQ(shown.listItems[1].text, "host1:user1");
    EXPECT_EQ(bench.Lines().back(), bench.Lines()[bench.Lines().size() - 2]);

    // Cancel in the FROM list: the transfer dialog still comes, then the refusal.
    bench.ui.Expect(dlg::HostList).Cancel();
    bench.ui.Expect(dlg::Rename).Set(ctl::Edit1, "a").Set(ctl::Edit2, "b").Ok();
    bench.Run(cmd::RemoteToRemoteAppend);
    EXPECT_EQ(bench.ui.dialogs.back().title, "Remote To Remote: Append");
    EXPECT_EQ(bench.LastLine(), "Server not connected yet");

    // A document without a session is listed too, with its handle 0.
    bench.Doc().m_hFtp = 0;
    bench.ui.Expect(dlg::HostList).Set(ctl::HostList, "0").Ok();
    bench.Run(cmd::RemoteToRemotePut);
    EXPECT_EQ(bench.ui.dialogs.back().listItems[0].value, 0);
    EXPECT_EQ(bench.ui.dialogs.back().title, "Select the FROM ftp server:");
}

TEST(TestWeb, ARefusedConnectionShowsErrorConnecting) {
    CTestBench bench;
    bench.NewDocument();
    const std::string site = "127.0.0.1:" + std::to_string(testfx::freePort());
    bench.ui.Expect(dlg::TestWeb)
        .Set(ctl::Edit1, site)
        .Set(ctl::Edit2, "GET / HTTP/1.0")
        .Ok()
        .Cancel();
    bench.Run(cmd::TestWeb);
    EXPECT_EQ(bench.ui.dialogs.back().afterOk.at(0).at(ctl::Edit3), "Error connecting to " + site);
    EXPECT_EQ(bench.Lines().size(), 1u);
}

}  // namespace
