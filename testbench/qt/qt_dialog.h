// SPDX-License-Identifier: MIT
// A dialog rendered from its description: a label and a control per row, browse buttons beside
// the fields they serve, OK and Cancel. Every control is named "control<id>" (OK is
// "control1", Cancel "control2").
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QIcon>
#include <map>
#include <string>

class QPlainTextEdit;

#include "core/dialog.h"

namespace brisel {
class CBriselUi;
}

namespace brisel::qt {

class CQtDialog : public QDialog, public CDialogHost {
    Q_OBJECT
  public:
    CQtDialog(CDialog& dialog, CBriselUi& ui, QWidget* parent);

    // CDialogHost
    bool UpdateFields() override;
    void UpdateControls() override;
    void ShowAppended(int id, std::size_t from) override;

    static QString ControlName(int id) { return QStringLiteral("control%1").arg(id); }

  private:
    void Build();
    void OnOk();
    void SetMultiLineText(QPlainTextEdit* edit, int id, const std::string& text);

    CDialog& dialog_;
    CBriselUi& ui_;
    std::map<int, QWidget*> controls_;
    // What each multi-line control shows of its field (while data arrives, the end may be held
    // back until it can be shown whole: a CR that may pair with the next LF, a character cut in
    // two), and its document's revision then, which tells whether the user changed it since.
    struct Shown {
        std::string text;
        int revision = -1;
    };
    std::map<int, Shown> shown_;
    static constexpr qint64 kShowEveryMs = 100;
    QElapsedTimer sinceShown_;  // since a growing text was last shown
};

// The program's icon (also the main window's).
QIcon ApplicationIcon();

}  // namespace brisel::qt
