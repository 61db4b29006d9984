// SPDX-License-Identifier: MIT
// The test driver for the test bench's command logic: a CBriselUi whose dialogs are answered
// from scripts, and which records every dialog, message box, file-open choice, title and wait
// cursor. Windows are plain objects: a log control that records what the view did.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/dialog.h"
#include "core/document.h"
#include "core/ui.h"
#include "core/view.h"

namespace benchtest {

// A log control that remembers what the view did to it.
class CRecordingLog : public brisel::CLogControl {
  public:
    void SetText(const std::string& text) override { text_ = text; }
    int GetLineCount() override;
    void LineScroll(int lines) override { scrolled_ += lines; }
    void SetReadOnly(bool readOnly) override { readOnly_ = readOnly; }
    void Invalidate() override { ++invalidated_; }

    const std::string& Text() const { return text_; }
    int Scrolled() const { return scrolled_; }
    bool ReadOnly() const { return readOnly_; }

  private:
    std::string text_;
    int scrolled_ = 0;
    bool readOnly_ = false;
    int invalidated_ = 0;
};

// One document window: a log control and the view on it.
struct CTestWindow {
    explicit CTestWindow(brisel::CBrisel32Doc& doc) : view(doc, log) { view.OnInitialUpdate(); }
    CRecordingLog log;
    brisel::CBrisel32View view;
    // The lines of the view's log.
    std::vector<std::string> Lines() const;
};

// What the scripted user does with one dialog, in order. When the steps run out while the
// dialog is still open, it is cancelled.
class CDialogScript {
  public:
    explicit CDialogScript(int dialogId) : dialogId_(dialogId) {}
    CDialogScript& Set(int control, std::string value);
    CDialogScript& Ok();
    CDialogScript& Button(int control);
    CDialogScript& Cancel();
    int DialogId() const { return dialogId_; }

    struct Step {
        enum Kind { Set, Ok, Button, Cancel } kind;
        int control;
        std::string value;
    };
    const std::vector<Step>& Steps() const { return steps_; }

  private:
    int dialogId_;
    std::vector<Step> steps_;
};

// A dialog as the driver showed it.
struct CShownDialog {
    int id;
    std::string title;
    std::map<int, std::string> opened;  // control texts when it opened
    // Control texts after each OK press (also those that left the dialog open).
    std::vector<std::map<int, std::string>> afterOk;
    std::vector<brisel::CListItem> listItems;
    bool accepted = false;
    int refills = 0;  // copies of the fields into the controls, the opening one included
};

class CTestUi : public brisel::CBriselUi {
  public:
    // Queues the answer to the next dialog, which must have this id.
    CDialogScript& Expect(int dialogId);
    // Queues the answer to the next file-open choice (nothing: cancelled).
    void AnswerFileOpen(std::optional<std::string> path) { fileAnswers_.push_back(path); }
    // Queues readings of the millisecond clock (else it runs for real).
    void QueueTicks(std::vector<std::uint32_t> ticks);

    // The windows that ConnectionWindows lists, active first.
    std::vector<brisel::CBrisel32Doc*> windows;

    // What happened.
    std::vector<CShownDialog> dialogs;
    std::vector<std::pair<std::string, std::string>> messageBoxes;  // text, caption
    std::vector<std::string> fileOpenRequests;                      // initial names
    std::map<const brisel::CBrisel32Doc*, std::string> titles;
    int waitDepth = 0;
    int waitBegins = 0;
    int repaints = 0;
    bool UnusedScripts() const { return !scripts_.empty(); }

    bool DoModal(brisel::CDialog& dialog) override;
    std::optional<std::string> ChooseFileToOpen(const std::string& initialName) override;
    void MessageBox(const std::string& text, const std::string& caption) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void SetWindowTitle(brisel::CBrisel32Doc& doc, const std::string& title) override;
    std::vector<brisel::CBrisel32Doc*> ConnectionWindows() override { return windows; }
    std::uint32_t TickCount() override;
    void Repaint(brisel::CBrisel32View&) override { ++repaints; }

  private:
    std::deque<CDialogScript> scripts_;
    std::deque<std::optional<std::string>> fileAnswers_;
    std::deque<std::uint32_t> ticks_;
};

}  // namespace benchtest

namespace benchtest {

// Documents and their windows, driven like the main window drives them: commands run on the
// active window, and ConnectionWindows lists the active window first.
class CTestBench {
  public:
    CTestUi ui;

    // A new document in a new window, which becomes active.
    brisel::CBrisel32Doc& NewDocument();
    // A further window on a document, which becomes active.
    CTestWindow& NewWindow(brisel::CBrisel32Doc& doc);
    void Activate(CTestWindow& window);
    CTestWindow& Active() { return *active_; }
    brisel::CBrisel32Doc& Doc() { return active_->view.GetDocument(); }

    // Runs a menu command on the active window.
    void Run(int commandId);
    std::vector<std::string> Lines() const { return active_->Lines(); }
    std::string LastLine() const;

  private:
    void ListWindows();
    std::vector<std::unique_ptr<brisel::CBrisel32Doc>> docs_;
    std::vector<std::unique_ptr<CTestWindow>> windows_;
    CTestWindow* active_ = nullptr;
};

}  // namespace benchtest
