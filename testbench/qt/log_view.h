// SPDX-License-Identifier: MIT
// The read-only log of a document window: a plain text edit that wraps long lines, driven by
// the core view's log logic.
#pragma once

#include <QPlainTextEdit>
#include <memory>

#include "core/view.h"

namespace brisel::qt {

class CLogView : public QPlainTextEdit, public CLogControl {
    Q_OBJECT
  public:
    CLogView(CBrisel32Doc& doc, QWidget* parent = nullptr);
    CBrisel32View& View() { return *view_; }

    // CLogControl
    void SetText(const std::string& text) override;
    int GetLineCount() override;
    void LineScroll(int lines) override;
    void SetReadOnly(bool readOnly) override { setReadOnly(readOnly); }
    void Invalidate() override { viewport()->update(); }

  private:
    std::unique_ptr<CBrisel32View> view_;
};

// Qt text from library or log text (UTF-8, CR LF line ends) and back.
QString FromLogText(const std::string& text);
std::string ToLogText(const QString& text);

}  // namespace brisel::qt
