// SPDX-License-Identifier: MIT
#include "app.h"

#include <QApplication>
#include <iostream>

#include "command_line.h"

#include "qt/main_frame.h"
#include "qt/qt_dialog.h"

namespace brisel::qt {

int RunQt(int argc, char** argv) {
    QApplication app(argc, argv);
    // The recent-file list is kept under this name in the user's settings.
    QApplication::setOrganizationName(QStringLiteral("varnix"));
    QApplication::setApplicationName(QStringLiteral("brisel32"));
    QApplication::setWindowIcon(ApplicationIcon());
    // The window system has taken out its own options by now: what is left must be ours.
    const CCommandLine line = ParseCommandLine(argc, argv, true);
    if (line.mode == CCommandLine::Mode::Error) {
        std::cerr << line.text;
        return 2;
    }
    CMainFrame frame;
    frame.show();
    if (!line.file.empty())
        frame.OpenDocument(QString::fromLocal8Bit(line.file.c_str()));
    else
        frame.NewDocument();
    return app.exec();
}

}  // namespace brisel::qt
