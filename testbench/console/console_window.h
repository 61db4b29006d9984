// SPDX-License-Identifier: MIT
// A document window of the text front end: the view prints each line that reaches its log,
// prefixed with the window's title.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "core/document.h"
#include "core/view.h"

namespace brisel::console {

class CPrintingLog : public CLogControl {
  public:
    // `beforeLine` runs before each line is printed.
    CPrintingLog(std::ostream& out, std::function<std::string()> title,
                 std::function<void()> beforeLine)
        : out_(out), title_(std::move(title)), beforeLine_(std::move(beforeLine)) {}
    // Prints the part of the text not printed yet, line by line.
    void SetText(const std::string& text) override;
    int GetLineCount() override { return lines_; }
    void LineScroll(int) override {}
    void SetReadOnly(bool) override {}
    void Invalidate() override {}

  private:
    std::ostream& out_;
    std::function<std::string()> title_;
    std::function<void()> beforeLine_;
    std::size_t printed_ = 0;
    int lines_ = 0;
};

class CConsoleWindow {
  public:
    CConsoleWindow(std::shared_ptr<CBrisel32Doc> doc, std::ostream& out,
                   std::function<void()> beforeLine);
    CBrisel32Doc& Doc() { return *doc_; }
    const std::shared_ptr<CBrisel32Doc>& SharedDoc() const { return doc_; }
    CBrisel32View& View() { return view_; }
    // The document's title, with ":n" when the document has more than one window.
    std::string Title() const;
    int number = 1;  // this window's number among the windows of its document

  private:
    std::shared_ptr<CBrisel32Doc> doc_;
    CPrintingLog log_;
    CBrisel32View view_;
};

}  // namespace brisel::console
