// SPDX-License-Identifier: MIT
// Every dialog of the test bench described once, as data: its id, title and controls. Each
// front end renders its dialogs from these descriptions.
#pragma once

#include <string>
#include <vector>

namespace brisel {

enum class ControlKind {
    Text,       // one line of text
    Password,   // one line of text, shown masked
    Integer,    // one line exchanged as an integer; other text is refused
    Digits,     // as Integer, and the control takes digits only
    Check,      // check box, exchanged as 0 or 1
    MultiLine,  // several lines that the user types; line ends are CR LF
    Output,     // several lines that the command fills in
    Browse,     // button that fills its target field with a file-open choice
    List,       // list box: items with values, one selected
    Static,     // fixed text
    Icon,       // the application's icon
};

struct CControlLayout {
    int id;
    std::string label;
    ControlKind kind;
    int target = 0;             // Browse: the field the button serves
    std::string browseDefault;  // Browse: the initial name when that field is empty
    bool readOnly = false;      // the user cannot edit it
};

struct CDialogLayout {
    int id;
    std::string title;
    std::vector<CControlLayout> controls;
    bool hasCancel = true;  // every dialog has OK; all but the About box have Cancel

    const CControlLayout* Control(int controlId) const;
};

// The description of dialog `id`; std::out_of_range for an unknown id.
const CDialogLayout& DialogLayout(int id);
const std::vector<CDialogLayout>& AllDialogLayouts();

// Whether a control takes a value from the user (and from a console script).
bool IsInputControl(const CControlLayout& control);
// Whether the control's field is a number (integer fields, check boxes, list selections).
bool IsNumberControl(const CControlLayout& control);

}  // namespace brisel
