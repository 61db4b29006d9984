// SPDX-License-Identifier: MIT
#include "headless_dialog.h"

#include "ui.h"

namespace brisel {

bool CHeadlessDialog::UpdateFields() {
    CDialogFields& fields = dialog_.fields;
    for (const CControlLayout& c : dialog_.Layout().controls) {
        const std::string& text = controls_[c.id];
        switch (c.kind) {
            case ControlKind::Static:
            case ControlKind::Icon:
            case ControlKind::Browse:
                break;
            case ControlKind::Integer:
            case ControlKind::Digits: {
                auto value = ParseDialogInteger(text);
                if (!value) {
                    ui_.MessageBox(kNotAnInteger, kAppTitle);
                    return false;
                }
                fields.Number(c.id) = *value;
                break;
            }
            case ControlKind::Check:
                fields.Number(c.id) = ParseDialogInteger(text).value_or(0) != 0 ? 1 : 0;
                break;
            case ControlKind::List: {
                int pos = ParseDialogInteger(text).value_or(-1);
                fields.listSelection =
                    pos >= 0 && pos < static_cast<int>(listItems_.size()) ? pos : -1;
                break;
            }
            default:
                fields.Text(c.id) = text;
        }
    }
    return true;
}

void CHeadlessDialog::UpdateControls() {
    ++refills_;
    const CDialogFields& fields = dialog_.fields;
    for (const CControlLayout& c : dialog_.Layout().controls) {
        switch (c.kind) {
            case ControlKind::Static:
            case ControlKind::Icon:
            case ControlKind::Browse:
                break;
            case ControlKind::List:
                listItems_ = fields.listItems;
                controls_[c.id] = std::to_string(fields.listSelection);
                break;
            default:
                controls_[c.id] =
                    IsNumberControl(c) ? std::to_string(fields.Number(c.id)) : fields.Text(c.id);
        }
    }
}

void CHeadlessDialog::ShowAppended(int id, std::size_t from) {
    ++refills_;
    const std::string& text = dialog_.fields.Text(id);
    std::string& control = controls_[id];
    if (control.size() == from && from <= text.size())
        control.append(text, from);
    else
        control = text;
}

}  // namespace brisel
