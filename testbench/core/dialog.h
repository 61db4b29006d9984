// SPDX-License-Identifier: MIT
// A dialog object: its template, its fields, and what its buttons do. Front ends create the
// controls from the template and call OnInitDialog, OnOK and OnButton; the dialog reaches its
// controls only through CDialogHost.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "dialog_layout.h"

namespace brisel {

class CBriselUi;

struct CListItem {
    std::string text;
    int value = 0;
};

// The values a dialog exchanges with its controls, by control id. Text fields start empty,
// number fields (integers, check boxes) at 0, the list selection at -1.
class CDialogFields {
  public:
    std::string& Text(int id) { return texts_[id]; }
    const std::string& Text(int id) const;  // empty when never set
    int& Number(int id) { return numbers_[id]; }
    int Number(int id) const;
    bool Checked(int id) const { return Number(id) != 0; }

    std::vector<CListItem> listItems;  // the list box's items (one list per dialog)
    int listSelection = -1;            // its selected position, -1 for none

  private:
    std::map<int, std::string> texts_;
    std::map<int, int> numbers_;
};

// The front end's side of an open dialog.
class CDialogHost {
  public:
    virtual ~CDialogHost() = default;
    // Copies the controls into the fields. False, with the complaint already shown, when a
    // control holds a value its field cannot take; the dialog then stays open.
    virtual bool UpdateFields() = 0;
    // Copies the fields into the controls.
    virtual void UpdateControls() = 0;
    // The text field `id` grew at its end from `from` on, and nothing else changed since the
    // controls were last filled: shows the new part, which keeps a long text arriving chunk by
    // chunk from costing its whole length again per chunk.
    virtual void ShowAppended(int /*id*/, std::size_t /*from*/) { UpdateControls(); }
};

// The complaint about an integer field that holds something else.
inline constexpr const char* kNotAnInteger = "Please enter an integer.";
// An integer field's value: optional blanks, an optional sign and digits that fit an int.
std::optional<int> ParseDialogInteger(const std::string& text);

class CDialog {
  public:
    // `caption`, when not empty, replaces the template's title.
    explicit CDialog(int templateId, std::string caption = {});
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;
    virtual ~CDialog() = default;

    const CDialogLayout& Layout() const { return *layout_; }
    int Id() const { return layout_->id; }
    std::string Title() const { return caption_.empty() ? layout_->title : caption_; }

    CDialogFields fields;

    // Makes OK run `operation` and leave the dialog open (Cancel closes it).
    void RunOnOk(std::function<void(CDialogHost&)> operation) { stayOpen_ = std::move(operation); }
    bool StaysOpen() const { return static_cast<bool>(stayOpen_); }

    // When the dialog opens: fills the controls from the fields.
    virtual void OnInitDialog(CDialogHost& host);
    // The OK button: true when the dialog is to close with OK.
    virtual bool OnOK(CDialogHost& host);
    // Any other button: browse buttons offer the file-open choice for their field.
    virtual void OnButton(int controlId, CDialogHost& host, CBriselUi& ui);

  private:
    const CDialogLayout* layout_;
    std::string caption_;
    std::function<void(CDialogHost&)> stayOpen_;
};

}  // namespace brisel
