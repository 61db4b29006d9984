// A dialog rendered from its description: a label and a control per row, browse buttons beside
// the fields they serve, OK and Cancel. Every control is named "control<id>" (OK is
// "control1", Cancel "control2").
#pragma once

#include <QDialog>
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

    static QString ControlName(int id) { return QStringLiteral("control%1").arg(id); }

  private:
    void Build();
    void OnOk();
    void SetMultiLineText(QPlainTextEdit* edit, int id, const std::string& text);

    CDialog& dialog_;
    CBriselUi& ui_;
    std::map<int, QWidget*> controls_;
    // What each multi-line control was last given, and its document's revision then.
    struct Shown {
        std::string text;
        int revision = -1;
    };
    std::map<int, Shown> shown_;
};

// The program's icon (also the main window's).
QIcon ApplicationIcon();

}  // namespace brisel::qt
