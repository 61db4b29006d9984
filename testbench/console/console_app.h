// SPDX-License-Identifier: MIT
// The text front end of the test bench. Each input line names a menu command by its menu text
// or id, followed by the values of the command's dialogs; or "window" and a window's title or
// number, to make that window active. Log lines, message boxes and what dialogs show are
// printed as text.
#pragma once

#include <cstdint>
#include <deque>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "console/console_window.h"
#include "console/line_reader.h"
#include "core/ui.h"

namespace brisel::console {

class CConsoleApp : public CBriselUi {
  public:
    // echo: print every input line before running it (for scripts).
    CConsoleApp(std::ostream& out, bool echo);
    ~CConsoleApp() override;

    // Runs every line of `in` until its end or Exit. Returns 0.
    int Run(std::istream& in);
    // Runs one line; false after Exit.
    bool RunLine(const std::string& line);

    // CBriselUi
    bool DoModal(CDialog& dialog) override;
    std::optional<std::string> ChooseFileToOpen(const std::string& initialName) override;
    void MessageBox(const std::string& text, const std::string& caption) override;
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    void SetWindowTitle(CBrisel32Doc& doc, const std::string& title) override;
    std::vector<CBrisel32Doc*> ConnectionWindows() override;
    std::uint32_t TickCount() override { return SteadyTickCount(); }
    void Repaint(CBrisel32View&) override {}

    // Called by the library's progress handler.
    void Progress(int h, long long done, long long total);

  private:
    bool RunCommand(int id);
    bool RunFrameworkCommand(int id);
    void NewDocument(const std::string& title, const std::string* loadedText);
    void NewWindow();
    void CloseWindow();
    void SelectWindow(const std::string& which);
    void SaveLog();
    void OpenLog();
    void ListWindows();
    void Renumber();
    void FinishProgress();
    // The next dialog value of the current line, if any.
    bool NextValue(std::string& value);
    void PrintDialogTexts(const CDialog& dialog, bool outputs);

    std::ostream& out_;
    bool echo_;
    std::vector<std::unique_ptr<CConsoleWindow>> windows_;  // in window order
    CConsoleWindow* active_ = nullptr;
    int documentsMade_ = 0;
    std::deque<CWord> values_;
    void PrintProgress();
    // The transfer under way: the step the last progress line showed, the last report.
    long long progressStep_ = -1;
    long long lastDone_ = 0;
    long long lastTotal_ = -1;
    bool lastPrinted_ = true;
};

// brisel32 --console [FILE]: runs FILE, or standard input.
int RunConsole(const char* file);

}  // namespace brisel::console
