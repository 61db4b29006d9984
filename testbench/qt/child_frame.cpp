// SPDX-License-Identifier: MIT
#include "child_frame.h"

namespace brisel::qt {

CChildFrame::CChildFrame(std::shared_ptr<CDocumentEntry> entry, QWidget* parent)
    : QMdiSubWindow(parent), entry_(std::move(entry)) {
    setAttribute(Qt::WA_DeleteOnClose);
    log_ = new CLogView(entry_->doc, this);
    setWidget(log_);
}

CChildFrame::~CChildFrame() {
    // The view leaves the document before the document may go with the last window.
    delete log_;
}

}  // namespace brisel::qt
