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

void CQtDialog::SetMultiLineText(QPlainTextEdit* edit, int id, const std::string& text) {
    // A text that grows (a file arriving chunk by chunk) gets only its new part appended, so a
    // long file does not cost the whole text again per chunk. That needs the control unchanged
    // since it was last set, and no CR at the old end that an LF at the new start would pair.
    Shown& shown = shown_[id];
    QTextDocument* document = edit->document();
    bool grows = !shown.text.empty() && text.size() > shown.text.size() &&
                 shown.text.back() != '\r' && document->revision() == shown.revision &&
                 text.compare(0, shown.text.size(), shown.text) == 0;
    if (grows) {
        QTextCursor end(document);
        end.movePosition(QTextCursor::End);
        end.insertText(FromLogText(text.substr(shown.text.size())));
        shown.text.append(text, shown.text.size());
    } else {
        edit->setPlainText(FromLogText(text));
        shown.text = text;
    }
    shown.revision = document->revision();
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
                // Shown at once: a stream dialog refills while the data is still arriving.
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
