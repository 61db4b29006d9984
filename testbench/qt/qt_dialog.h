// A dialog rendered from its description: a label and a control per row, browse buttons beside
// the fields they serve, OK and Cancel. Every control is named "control<id>" (OK is
// "control1", Cancel "control2").
#pragma once

#include <QDialog>
#include <map>

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

    CDialog& dialog_;
    CBriselUi& ui_;
    std::map<int, QWidget*> controls_;
};

}  // namespace brisel::qt
