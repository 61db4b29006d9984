// SPDX-License-Identifier: MIT
#include "qt_ui.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "qt/child_frame.h"
#include "qt/log_view.h"
#include "qt/main_frame.h"
#include "qt/qt_dialog.h"

namespace brisel::qt {

bool CQtUi::DoModal(CDialog& dialog) {
    CQtDialog window(dialog, *this, &frame_);
    return window.exec() == QDialog::Accepted;
}

std::optional<std::string> CQtUi::ChooseFileToOpen(const std::string& initialName) {
    // The filter offers every file; a name with wildcards narrows it, as typed into the box.
    QString initial = QString::fromStdString(initialName);
    QStringList filters{QStringLiteral("All Files (*)")};
    QFileDialog chooser(&frame_, QStringLiteral("Open"));
    chooser.setObjectName(QStringLiteral("fileOpenChoice"));
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    chooser.setFileMode(QFileDialog::AnyFile);
    if (initial.contains(QLatin1Char('*')) || initial.contains(QLatin1Char('?'))) {
        if (initial != QLatin1String("*.*")) filters.prepend(initial);
    } else if (!initial.isEmpty()) {
        QFileInfo info(initial);
        if (info.isAbsolute()) chooser.setDirectory(info.absolutePath());
        chooser.selectFile(info.fileName());
    }
    chooser.setNameFilters(filters);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return std::nullopt;
    return chooser.selectedFiles().front().toStdString();
}

void CQtUi::MessageBox(const std::string& text, const std::string& caption) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption), FromLogText(text),
                    QMessageBox::Ok, &frame_);
    box.setObjectName(QStringLiteral("messageBox"));
    box.exec();
}

void CQtUi::BeginWaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CQtUi::EndWaitCursor() {
    QApplication::restoreOverrideCursor();
}

void CQtUi::SetWindowTitle(CBrisel32Doc& doc, const std::string& title) {
    doc.SetTitle(title);
    frame_.UpdateTitles();
}

std::vector<CBrisel32Doc*> CQtUi::ConnectionWindows() {
    std::vector<CBrisel32Doc*> docs;
    for (CChildFrame* child : frame_.WindowsActiveFirst())
        docs.push_back(&child->Doc());
    return docs;
}

void CQtUi::Repaint(CBrisel32View& view) {
    for (CChildFrame* child : frame_.WindowsActiveFirst())
        if (&child->View() == &view) child->LogView().repaint();
}

}  // namespace brisel::qt
