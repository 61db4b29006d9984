#include "app.h"

#include <QApplication>

#include "qt/main_frame.h"
#include "qt/qt_dialog.h"

namespace brisel::qt {

int RunQt(int argc, char** argv) {
    QApplication app(argc, argv);
    // The recent-file list is kept under this name in the user's settings.
    QApplication::setOrganizationName(QStringLiteral("varnix"));
    QApplication::setApplicationName(QStringLiteral("brisel32"));
    QApplication::setWindowIcon(ApplicationIcon());
    CMainFrame frame;
    frame.show();
    const QStringList args = QApplication::arguments();
    if (args.size() > 1)
        frame.OpenDocument(args[1]);
    else
        frame.NewDocument();
    return app.exec();
}

}  // namespace brisel::qt
