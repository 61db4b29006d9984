// SPDX-License-Identifier: MIT
#include "host_list_dialog.h"

#include "document.h"
#include "ids.h"
#include "ui.h"

namespace brisel {

CHostListDialog::CHostListDialog(CBriselUi& ui, std::string caption)
    : CDialog(dlg::HostList, std::move(caption)), ui_(ui) {}

void CHostListDialog::OnInitDialog(CDialogHost& host) {
    // Documents without a session are listed too, and a document in two windows twice.
    fields.listItems.clear();
    for (CBrisel32Doc* doc : ui_.ConnectionWindows()) {
        if (fields.listItems.size() == kMaxHosts) break;
        fields.listItems.push_back({doc->m_strHost + ":" + doc->m_strUser, doc->m_hFtp});
    }
    host.UpdateControls();
}

bool CHostListDialog::OnOK(CDialogHost& host) {
    if (!host.UpdateFields()) return false;
    int chosen = fields.listSelection;
    if (chosen >= 0 && chosen < static_cast<int>(fields.listItems.size()))
        selected_ = fields.listItems[static_cast<std::size_t>(chosen)].value;
    return true;
}

}  // namespace brisel
