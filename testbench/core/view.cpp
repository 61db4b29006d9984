// SPDX-License-Identifier: MIT
#include "view.h"

#include "document.h"

namespace brisel {

CBrisel32View::CBrisel32View(CBrisel32Doc& doc, CLogControl& control)
    : doc_(doc), control_(control) {
    doc_.AddView(*this);
}

CBrisel32View::~CBrisel32View() {
    doc_.RemoveView(*this);
}

void CBrisel32View::OnUpdate() {
    m_strLog += doc_.m_strMessage + "\r\n";
    control_.SetText(m_strLog);
    // Beyond ten lines, scroll by the line count: that brings the last line into view.
    int lines = control_.GetLineCount();
    if (lines > 10) control_.LineScroll(lines);
    control_.SetReadOnly(true);
    control_.Invalidate();
}

void CBrisel32View::LoadText(const std::string& text) {
    // Whatever the file's line ends, the log holds CR LF; a last line without one gets one.
    std::string log;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (c == '\n' || c == '\r')
            log += "\r\n";
        else
            log += c;
    }
    if (!log.empty() && log.back() != '\n') log += "\r\n";
    m_strLog = log;
}

std::string CBrisel32View::SavedText() const {
    std::string text;
    for (char c : m_strLog)
        if (c != '\r') text += c;
    return text;
}

}  // namespace brisel
