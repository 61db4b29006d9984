// SPDX-License-Identifier: MIT
// A dialog without a window, for the console front end and the tests: its controls are texts
// that a script sets and reads. A check box holds "0" or "1", the list box the position of its
// selection ("-1" for none).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "dialog.h"

namespace brisel {

class CBriselUi;

class CHeadlessDialog : public CDialogHost {
  public:
    CHeadlessDialog(CDialog& dialog, CBriselUi& ui) : dialog_(dialog), ui_(ui) {}

    // Opens the dialog: the controls take the fields' values.
    void Open() { dialog_.OnInitDialog(*this); }
    std::string& Control(int id) { return controls_[id]; }
    const std::vector<CListItem>& ListItems() const { return listItems_; }
    // True when OK closed the dialog; false when it stays open.
    bool PressOK() { return dialog_.OnOK(*this); }
    void PressButton(int id) { dialog_.OnButton(id, *this, ui_); }

    bool UpdateFields() override;
    void UpdateControls() override;
    void ShowAppended(int id, std::size_t from) override;
    // How often the fields were copied into the controls.
    int Refills() const { return refills_; }

  private:
    CDialog& dialog_;
    CBriselUi& ui_;
    std::map<int, std::string> controls_;
    std::vector<CListItem> listItems_;
    int refills_ = 0;
};

}  // namespace brisel
