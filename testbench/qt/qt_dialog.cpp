// SPDX-License-Identifier: MIT
#include "qt_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include "core/ids.h"
#include "core/ui.h"
#include "qt/log_view.h"

namespace brisel::qt {

CQtDialog::CQtDialog(CDialog& dialog, CBriselUi& ui, QWidget* parent)
    : QDialog(parent), dialog_(dialog), ui_(ui) {
    setWindowTitle(QString::fromStdString(dialog_.Title()));
    setObjectName(QStringLiteral("dialog%1").arg(dialog_.Id()));
    Build();
    dialog_.OnInitDialog(*this);
}

void CQtDialog::Build() {
    auto* outer = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    outer->addLayout(grid);
    int row = 0;
    std::map<int, int> rowOfField;
    for (const CControlLayout& c : dialog_.Layout().controls) {
        QString label = QString::fromStdString(c.label);
        QWidget* widget = nullptr;
        switch (c.kind) {
            case ControlKind::Text:
            case ControlKind::Password:
            case ControlKind::Integer:
            case ControlKind::Digits: {
                auto* edit = new QLineEdit(this);
                if (c.kind == ControlKind::Password) edit->setEchoMode(QLineEdit::Password);
                if (c.kind == ControlKind::Digits)
                    edit->setValidator(
                        new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
                edit->setReadOnly(c.readOnly);
                edit->setMinimumWidth(260);
                if (!label.isEmpty()) grid->addWidget(new QLabel(label, this), row, 0);
                grid->addWidget(edit, row, 1);
                rowOfField[c.id] = row++;
                widget = edit;
                break;
            }
            case ControlKind::Check:
                widget = new QCheckBox(label, this);
                grid->addWidget(widget, row++, 1);
                break;
            case ControlKind::MultiLine:
            case ControlKind::Output: {
                auto* edit = new QPlainTextEdit(this);
                edit->setReadOnly(c.readOnly);
                edit->setLineWrapMode(c.kind == ControlKind::Output ? QPlainTextEdit::NoWrap
                                                                    : QPlainTextEdit::WidgetWidth);
                edit->setMinimumSize(420, 140);
                // An output receives long texts chunk by chunk; an undo record of each chunk
                // would cost as much as the text itself.
                if (c.kind == ControlKind::Output) edit->setUndoRedoEnabled(false);
                if (!label.isEmpty()) grid->addWidget(new QLabel(label, this), row++, 0, 1, 3);
                grid->addWidget(edit, row++, 0, 1, 3);
                widget = edit;
                break;
            }
            case ControlKind::Browse: {
                auto* button = new QPushButton(label, this);
                button->setAutoDefault(false);
                auto target = rowOfField.find(c.target);
                grid->addWidget(button, target != rowOfField.end() ? target->second : row++, 2);
                int id = c.id;
                connect(button, &QPushButton::clicked, this,
                        [this, id] { dialog_.OnButton(id, *this, ui_); });
                widget = button;
                break;
            }
            case ControlKind::List: {
                auto* list = new QListWidget(this);
                list->setSelectionMode(QAbstractItemView::SingleSelection);
                grid->addWidget(list, row++, 0, 1, 3);
                widget = list;
                break;
            }
            case ControlKind::Static:
                grid->addWidget(new QLabel(label, this), row++, 0, 1, 3);
                break;
            case ControlKind::Icon: {
                auto* icon = new QLabel(this);
                icon->setPixmap(ApplicationIcon().pixmap(32, 32));
                grid->addWidget(icon, row++, 0);
                break;
            }
        }
        if (widget) {
            widget->setObjectName(ControlName(c.id));
            controls_[c.id] = widget;
        }
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(ControlName(ctl::Ok));
    if (dialog_.Layout().hasCancel)
        buttons->addButton(QDialogButtonBox::Cancel)->setObjectName(ControlName(ctl::Cancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &CQtDialog::OnOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    outer->addWidget(buttons);
}

QIcon ApplicationIcon() {
    QIcon icon = QApplication::windowIcon();
    return icon.isNull() ? QApplication::style()->standardIcon(QStyle::SP_ComputerIcon) : icon;
}

void CQtDialog::OnOk() {
    if (dialog_.OnOK(*this)) accept();
}

bool CQtDialog::UpdateFields() {
    CDialogFields& fields = dialog_.fields;
    for (const CControlLayout& c : dialog_.Layout().controls) {
        auto it = controls_.find(c.id);
        if (it == controls_.end()) continue;
        QWidget* w = it->second;
        switch (c.kind) {
            case ControlKind::Integer:
            case ControlKind::Digits: {
                auto* edit = static_cast<QLineEdit*>(w);
                auto value = ParseDialogInteger(edit->text().toStdString());
                if (!value) {
                    ui_.MessageBox(kNotAnInteger, kAppTitle);
                    edit->setFocus();
                    edit->selectAll();
                    return false;
                }
                fields.Number(c.id) = *value;
                break;
            }
            case ControlKind::Text:
            case ControlKind::Password:
                fields.Text(c.id) = static_cast<QLineEdit*>(w)->text().toStdString();
                break;
            case ControlKind::Check:
                fields.Number(c.id) = static_cast<QCheckBox*>(w)->isChecked() ? 1 : 0;
                break;
            case ControlKind::MultiLine:
            case ControlKind::Output:
                fields.Text(c.id) = ToLogText(static_cast<QPlainTextEdit*>(w)->toPlainText());
                break;
            case ControlKind::List: {
                auto* list = static_cast<QListWidget*>(w);
                auto selected = list->selectedItems();
                fields.listSelection = selected.isEmpty() ? -1 : list->row(selected.front());
                break;
            }
            default:
                break;
        }
    }
    return true;
}

namespace {

// How much of `text` can be shown now: all but a trailing CR (the LF that may follow makes one
// line end of the two) and an unfinished UTF-8 character.
std::size_t ShowableSize(const std::string& text) {
    std::size_t end = text.size();
    if (end > 0 && text[end - 1] == '\r') --end;
    std::size_t lead = end;
    for (int back = 0; back < 3 && lead > 0 && (text[lead - 1] & 0xC0) == 0x80; ++back)
        --lead;
    if (lead > 0) {
        const auto c = static_cast<unsigned char>(text[lead - 1]);
        const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (length > 1 && end - (lead - 1) < length) end = lead - 1;
    }
    return end;
}

void AppendToEnd(QTextDocument* document, const std::string& text) {
    QTextCursor end(document);
    end.movePosition(QTextCursor::End);
    end.insertText(FromLogText(text));
}

}  // namespace

void CQtDialog::SetMultiLineText(QPlainTextEdit* edit, int id, const std::string& text) {
    // A text that goes on from what the control shows gets only the rest appended. That needs
    // the control unchanged since, and no CR at its end that an LF of the rest would pair.
    Shown& shown = shown_[id];
    QTextDocument* document = edit->document();
    const bool goesOn = document->revision() == shown.revision &&
                        text.size() >= shown.text.size() &&
                        (shown.text.empty() || shown.text.back() != '\r') &&
                        text.compare(0, shown.text.size(), shown.text) == 0;
    if (!goesOn) {
        edit->setPlainText(FromLogText(text));
        shown.text = text;
    } else if (text.size() > shown.text.size()) {
        AppendToEnd(document, text.substr(shown.text.size()));
        shown.text = text;
    }
    shown.revision = document->revision();
}

void CQtDialog::ShowAppended(int id, std::size_t from) {
    auto it = controls_.find(id);
    auto* edit = it == controls_.end() ? nullptr : qobject_cast<QPlainTextEdit*>(it->second);
    const std::string& text = dialog_.fields.Text(id);
    Shown& shown = shown_[id];
    QTextDocument* document = edit ? edit->document() : nullptr;
    if (!edit || document->revision() != shown.revision || shown.text.size() > from ||
        from > text.size()) {
        UpdateControls();
        return;
    }
    // What arrived goes into the control, and on screen, a few times a second: a long file
    // then costs its length about once, not once per chunk. The last part comes with the
    // refill that ends the operation.
    if (!isVisible() || (sinceShown_.isValid() && sinceShown_.elapsed() < kShowEveryMs)) return;
    const std::size_t end = ShowableSize(text);
    if (end > shown.text.size()) {
        const std::string added = text.substr(shown.text.size(), end - shown.text.size());
        AppendToEnd(document, added);
        shown.text += added;
        shown.revision = document->revision();
    }
    edit->repaint();
    sinceShown_.start();
}

void CQtDialog::UpdateControls() {
    const CDialogFields& fields = dialog_.fields;
    for (const CControlLayout& c : dialog_.Layout().controls) {
        auto it = controls_.find(c.id);
        if (it == controls_.end()) continue;
        QWidget* w = it->second;
        switch (c.kind) {
            case ControlKind::Integer:
            case ControlKind::Digits:
                static_cast<QLineEdit*>(w)->setText(QString::number(fields.Number(c.id)));
                break;
            case ControlKind::Text:
            case ControlKind::Password:
                static_cast<QLineEdit*>(w)->setText(FromLogText(fields.Text(c.id)));
                break;
            case ControlKind::Check:
                static_cast<QCheckBox*>(w)->setChecked(fields.Checked(c.id));
                break;
            case ControlKind::MultiLine:
            case ControlKind::Output:
                SetMultiLineText(static_cast<QPlainTextEdit*>(w), c.id, fields.Text(c.id));
                if (isVisible()) w->repaint();
                break;
            case ControlKind::List: {
                auto* list = static_cast<QListWidget*>(w);
                list->clear();
                for (const CListItem& item : fields.listItems) {
                    auto* entry = new QListWidgetItem(QString::fromStdString(item.text), list);
                    entry->setData(Qt::UserRole, item.value);
                }
                if (fields.listSelection >= 0 && fields.listSelection < list->count())
                    list->item(fields.listSelection)->setSelected(true);
                break;
            }
            default:
                break;
        }
    }
}

}  // namespace brisel::qt
