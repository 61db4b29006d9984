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
#include "core/menus.h"
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
    EXPECT_EQ(DialogSpec(dlg::Login).Control(ctl::Edit3)->kind, ControlKind::Password);
    EXPECT_EQ(DialogSpec(dlg::LoginPort).Control(ctl::Edit3)->kind, ControlKind::Password);
    EXPECT_EQ(DialogSpec(dlg::ReLogin).Control(ctl::Edit2)->kind, ControlKind::Text);
    EXPECT_EQ(DialogSpec(dlg::GateLogin).Control(ctl::Edit3)->kind, ControlKind::Text);
    for (const CDialogSpec& spec : AllDialogSpecs()) {
        for (const CControlSpec& c : spec.controls) {
            if (c.kind == ControlKind::Browse) {
                EXPECT_NE(spec.Control(c.target), nullptr) << spec.id << " button " << c.id;
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
