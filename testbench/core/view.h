// SPDX-License-Identifier: MIT
// The output view: a read-only text log of every line that the document showed while the view
// was open. The front end supplies the text control; the log logic lives here.
#pragma once

#include <string>

namespace brisel {

class CBrisel32Doc;

// The multi-line text control of a view.
class CLogControl {
  public:
    virtual ~CLogControl() = default;
    virtual void SetText(const std::string& text) = 0;  // line ends are CR LF
    virtual int GetLineCount() = 0;
    virtual void LineScroll(int lines) = 0;  // scroll down by that many lines
    virtual void SetReadOnly(bool readOnly) = 0;
    virtual void Invalidate() = 0;
};

class CBrisel32View {
  public:
    // Registers with the document until destroyed.
    CBrisel32View(CBrisel32Doc& doc, CLogControl& control);
    CBrisel32View(const CBrisel32View&) = delete;
    CBrisel32View& operator=(const CBrisel32View&) = delete;
    ~CBrisel32View();

    CBrisel32Doc& GetDocument() { return doc_; }
    // The first refresh, when the view's window is first shown.
    void OnInitialUpdate() { OnUpdate(); }
    // Appends the document's current message to the log and shows the log.
    void OnUpdate();

    // Starts the log with text read from a file (before the first refresh).
    void LoadText(const std::string& text);
    // The log as a file holds it: one LF per line.
    std::string SavedText() const;

    std::string m_strLog;  // every line shown, each followed by CR LF

  private:
    CBrisel32Doc& doc_;
    CLogControl& control_;
};

}  // namespace brisel
