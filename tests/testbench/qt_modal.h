// SPDX-License-Identifier: MIT
// Driving the Qt front end's modal windows from a test or a benchmark: a command opens its
// dialog and runs the dialog's event loop, so what the user does is queued before the command.
#pragma once

#include <QApplication>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <utility>

namespace benchtest {

// Runs `act` on the next modal window once it is shown (the command that opens it is running
// its own event loop by then). Gives up after `tries` looks, 10 ms apart.
inline void OnNextModal(std::function<void(QWidget*)> act, int tries = 500) {
    QTimer::singleShot(10, [act = std::move(act), tries] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible())
            act(modal);
        else if (tries > 0)
            OnNextModal(act, tries - 1);
    });
}

// A dialog's control by its id ("control<id>").
template <typename T>
T* Control(QWidget* dialog, int id) {
    return dialog->findChild<T*>(QStringLiteral("control%1").arg(id));
}

inline void Click(QWidget* dialog, int id) {
    Control<QPushButton>(dialog, id)->click();
}

}  // namespace benchtest
