// SPDX-License-Identifier: MIT
// A document window: one view on a document. Several windows may show one document; the
// document goes away with its last window, and its FTP session is left as it is.
#pragma once

#include <QMdiSubWindow>
#include <QString>
#include <memory>

#include "core/document.h"
#include "qt/log_view.h"

namespace brisel::qt {

// A document and the file its log was last opened from or saved to.
struct CDocumentEntry {
    CBrisel32Doc doc;
    QString path;
};

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
  public:
    CChildFrame(std::shared_ptr<CDocumentEntry> entry, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CBrisel32Doc& Doc() { return entry_->doc; }
    const std::shared_ptr<CDocumentEntry>& Entry() const { return entry_; }
    CLogView& LogView() { return *log_; }
    CBrisel32View& View() { return log_->View(); }
    // The window's title: the document's title, with ":n" when it has several windows.
    void SetTitle(const QString& title) { setWindowTitle(title); }

  private:
    std::shared_ptr<CDocumentEntry> entry_;
    CLogView* log_;
};

}  // namespace brisel::qt
