// SPDX-License-Identifier: MIT
// The host list (dialog 159): the open document windows, the active one first, at most five,
// each shown as host:user with its session handle as the item's value.
#pragma once

#include <string>

#include "dialog.h"

namespace brisel {

class CBriselUi;

class CHostListDialog : public CDialog {
  public:
    static constexpr int kMaxHosts = 5;
    CHostListDialog(CBriselUi& ui, std::string caption);

    // The handle of the chosen window's document; 0 when nothing was chosen.
    int Selected() const { return selected_; }

    void OnInitDialog(CDialogHost& host) override;
    bool OnOK(CDialogHost& host) override;

  private:
    CBriselUi& ui_;
    int selected_ = 0;
};

}  // namespace brisel
