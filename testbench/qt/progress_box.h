// SPDX-License-Identifier: MIT
// The library's status box: a progress dialog that the library's progress reports drive while
// a transfer runs on a session whose status box is on. Its Abort button aborts the transfer.
#pragma once

#include <QObject>
#include <QPointer>

class QProgressDialog;
class QWidget;

namespace brisel::qt {

class CProgressBox : public QObject {
    Q_OBJECT
  public:
    // Installs the library's progress handler for the lifetime of the object.
    explicit CProgressBox(QWidget* parent);
    ~CProgressBox() override;

    void Report(int h, long long done, long long total);
    // The command is over, or the reports stopped: the dialog goes away.
    void Finish();
    bool Visible() const;
    int Reports() const { return reports_; }
    // How often the dialog appeared.
    int Shows() const { return shows_; }

  private:
    static constexpr int kQuietMs = 250;
    QWidget* parent_;
    QPointer<QProgressDialog> dialog_;
    int handle_ = 0;
    int reports_ = 0;
    int shows_ = 0;
    bool inReport_ = false;
};

}  // namespace brisel::qt
