// SPDX-License-Identifier: MIT
#include "progress_box.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <QTimer>
#include <algorithm>

#include "varnix32.h"

namespace brisel::qt {
namespace {

void ProgressHandler(int h, long long done, long long total, void* user) {
    static_cast<CProgressBox*>(user)->Report(h, done, total);
}

}  // namespace

CProgressBox::CProgressBox(QWidget* parent) : QObject(parent), parent_(parent) {
    varnix_setprogresshandler(ProgressHandler, this);
}

CProgressBox::~CProgressBox() {
    varnix_setprogresshandler(nullptr, nullptr);
}

void CProgressBox::Report(int h, long long done, long long total) {
    ++reports_;
    handle_ = h;
    if (!dialog_) {
        dialog_ = new QProgressDialog(parent_);
        dialog_->setObjectName(QStringLiteral("progressBox"));
        dialog_->setWindowTitle(QStringLiteral("brisel32"));
        dialog_->setCancelButtonText(QStringLiteral("Abort"));
        // Nothing else may run on the session while its call is under way.
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoReset(false);
        dialog_->setAutoClose(false);
        connect(dialog_, &QProgressDialog::canceled, this, [this] { ftp_abort(handle_); });
        ++shows_;
    }
    QString text = total >= 0 ? QStringLiteral("%1 of %2 bytes").arg(done).arg(total)
                              : QStringLiteral("%1 bytes").arg(done);
    dialog_->setLabelText(QStringLiteral("Transferring...\n") + text);
    if (total > 0) {
        dialog_->setMaximum(1000);
        dialog_->setValue(static_cast<int>(std::min(done, total) * 1000 / total));
    } else {
        dialog_->setMaximum(0);  // busy indicator: the size is not known
    }
    dialog_->show();
    inReport_ = true;
    QCoreApplication::processEvents();
    inReport_ = false;
    // Once the reports stop, the call has returned: a dialog that stays open (ReadGet) must not
    // sit under a finished progress box.
    QTimer::singleShot(kQuietMs, this, [this, report = reports_] {
        if (report == reports_ && !inReport_) Finish();
    });
}

void CProgressBox::Finish() {
    if (!dialog_) return;
    dialog_->hide();
    dialog_->deleteLater();
    dialog_ = nullptr;
}

bool CProgressBox::Visible() const {
    return dialog_ && dialog_->isVisible();
}

}  // namespace brisel::qt
