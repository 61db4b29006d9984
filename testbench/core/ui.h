// SPDX-License-Identifier: MIT
// What the command logic needs of the windowing layer. The commands use these operations and
// nothing else, so they run the same under the Qt front end, the console front end and the
// tests' scripted driver.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brisel {

class CBrisel32Doc;
class CBrisel32View;
class CDialog;

// The main window's title, also the caption of the framework's own complaints.
inline constexpr const char* kAppTitle = "brisel32";

// The filter of every file-open choice: a description and a pattern, separated by bars.
inline constexpr const char* kFileOpenFilter = "All Files (*.*) | *.* ||";

class CBriselUi {
  public:
    virtual ~CBriselUi() = default;
    // Shows the dialog until it closes; true when it closed with OK, the controls having been
    // copied into the dialog's fields.
    virtual bool DoModal(CDialog& dialog) = 0;
    // The file-open choice starting at initialName: the chosen full path, or nothing.
    virtual std::optional<std::string> ChooseFileToOpen(const std::string& initialName) = 0;
    // A text with a caption and an OK button; returns when dismissed.
    virtual void MessageBox(const std::string& text, const std::string& caption) = 0;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // The title of every window that shows the document.
    virtual void SetWindowTitle(CBrisel32Doc& doc, const std::string& title) = 0;
    // The document of each open window: the active window first, then the window order. A
    // document shown in two windows appears twice.
    virtual std::vector<CBrisel32Doc*> ConnectionWindows() = 0;
    // Milliseconds of a free-running 32-bit clock.
    virtual std::uint32_t TickCount() = 0;
    // Paint the view now.
    virtual void Repaint(CBrisel32View& view) = 0;
};

// The millisecond clock that front ends use for TickCount.
std::uint32_t SteadyTickCount();

// Shows the wait cursor for its lifetime, or until End.
class CWaitCursor {
  public:
    explicit CWaitCursor(CBriselUi& ui) : ui_(&ui) { ui_->BeginWaitCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    ~CWaitCursor() { End(); }
    void End() {
        if (ui_) ui_->EndWaitCursor();
        ui_ = nullptr;
    }

  private:
    CBriselUi* ui_;
};

}  // namespace brisel
