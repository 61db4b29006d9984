// SPDX-License-Identifier: MIT
// The Qt windowing layer as the command logic sees it.
#pragma once

#include "core/ui.h"

namespace brisel::qt {

class CMainFrame;

class CQtUi : public CBriselUi {
  public:
    explicit CQtUi(CMainFrame& frame) : frame_(frame) {}

    bool DoModal(CDialog& dialog) override;
    std::optional<std::string> ChooseFileToOpen(const std::string& initialName) override;
    void MessageBox(const std::string& text, const std::string& caption) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void SetWindowTitle(CBrisel32Doc& doc, const std::string& title) override;
    std::vector<CBrisel32Doc*> ConnectionWindows() override;
    std::uint32_t TickCount() override { return SteadyTickCount(); }
    void Repaint(CBrisel32View& view) override;

  private:
    CMainFrame& frame_;
};

}  // namespace brisel::qt
