// SPDX-License-Identifier: MIT
#include "dialog.h"

#include <cctype>
#include <climits>

#include "ui.h"

namespace brisel {

const std::string& CDialogFields::Text(int id) const {
    static const std::string empty;
    auto it = texts_.find(id);
    return it == texts_.end() ? empty : it->second;
}

int CDialogFields::Number(int id) const {
    auto it = numbers_.find(id);
    return it == numbers_.end() ? 0 : it->second;
}

std::optional<int> ParseDialogInteger(const std::string& text) {
    std::size_t i = 0, end = text.size();
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (i < end && blank(text[i]))
        ++i;
    while (end > i && blank(text[end - 1]))
        --end;
    bool negative = false;
    if (i < end && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == end) return std::nullopt;
    long long value = 0;
    for (; i < end; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > INT_MAX || value < INT_MIN) return std::nullopt;
    return static_cast<int>(value);
}

CDialog::CDialog(int templateId, std::string caption)
    : layout_(&DialogLayout(templateId)), caption_(std::move(caption)) {}

void CDialog::OnInitDialog(CDialogHost& host) {
    host.UpdateControls();
}

bool CDialog::OnOK(CDialogHost& host) {
    if (stayOpen_) {
        stayOpen_(host);
        return false;
    }
    return host.UpdateFields();
}

void CDialog::OnButton(int controlId, CDialogHost& host, CBriselUi& ui) {
    const CControlLayout* button = layout_->Control(controlId);
    if (!button || button->kind != ControlKind::Browse) return;
    if (!host.UpdateFields()) return;
    std::string& field = fields.Text(button->target);
    auto chosen = ui.ChooseFileToOpen(field.empty() ? button->browseDefault : field);
    if (!chosen) return;
    field = *chosen;
    host.UpdateControls();
}

}  // namespace brisel
