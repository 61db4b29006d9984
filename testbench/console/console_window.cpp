// SPDX-License-Identifier: MIT
#include "console_window.h"

namespace brisel::console {

void CPrintingLog::SetText(const std::string& text) {
    if (text.size() < printed_) printed_ = 0;
    std::size_t start = printed_, end;
    while ((end = text.find('\n', start)) != std::string::npos) {
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        beforeLine_();
        out_ << "[" << title_() << "] " << line << "\n";
        ++lines_;
        start = end + 1;
    }
    printed_ = start;
    out_.flush();
}

CConsoleWindow::CConsoleWindow(std::shared_ptr<CBrisel32Doc> doc, std::ostream& out,
                               std::function<void()> beforeLine)
    : doc_(std::move(doc)),
      log_(
          out, [this] { return Title(); }, std::move(beforeLine)),
      view_(*doc_, log_) {}

std::string CConsoleWindow::Title() const {
    if (doc_->Views().size() < 2) return doc_->Title();
    return doc_->Title() + ":" + std::to_string(number);
}

}  // namespace brisel::console
