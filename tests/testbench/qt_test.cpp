// SPDX-License-Identifier: MIT
// The Qt front end, offscreen: menus and ids, windows and titles, the log view, dialogs
// rendered from their descriptions, login against a real server, the About box.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <set>

#include "core/commands.h"
#include "core/ids.h"
#include "core/menus.h"
#include "qt/child_frame.h"
#include "qt/main_frame.h"
#include "qt/progress_box.h"
#include "qt_modal.h"
#include "servers.h"
#include "varnix32.h"

using namespace brisel;
using brisel::qt::CChildFrame;
using brisel::qt::CLogView;
using brisel::qt::CMainFrame;

namespace {

using benchtest::Click;
using benchtest::Control;
using benchtest::OnNextModal;

// Gives the document a binary session on the server; false when the login failed.
bool LogInBinary(CBrisel32Doc& doc, const testfx::FtpServer& server) {
    doc.m_hFtp =
        ftp_login(server.host().c_str(), server.user().c_str(), server.password().c_str(), "");
    return doc.m_hFtp > 0 && ftp_setbinary(doc.m_hFtp) == 0;
}

QStringList LogLines(CChildFrame* child) {
    return child->LogView().toPlainText().split('\n', Qt::SkipEmptyParts);
}

}  // namespace

class QtFrontEndTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QApplication::setOrganizationName("varnix-test");
        QApplication::setApplicationName("brisel32-test");
    }

    void menusHoldEveryItemWithItsId() {
        CMainFrame frame;
        frame.show();
        // No document: File, View, Help.
        QStringList titles;
        for (QMenu* m : frame.Menus(false)) {
            QVERIFY(m->menuAction()->isVisible());
            titles << m->title();
        }
        QCOMPARE(titles, QStringList({"&File", "&View", "&Help"}));
        frame.NewDocument();
        for (QMenu* m : frame.Menus(false))
            QVERIFY(!m->menuAction()->isVisible());
        // With a document: every item of the menu data, with its id, in its menu.
        const auto& data = MenuDocument();
        const auto& menus = frame.Menus(true);
        QCOMPARE(menus.size(), static_cast<qsizetype>(data.size()));
        for (std::size_t i = 0; i < data.size(); ++i) {
            QMenu* menu = menus[static_cast<qsizetype>(i)];
            QVERIFY(menu->menuAction()->isVisible());
            QCOMPARE(menu->title(), QString::fromStdString(data[i].text));
            std::set<std::pair<QString, int>> shown;
            for (QAction* a : menu->actions()) {
                if (a->menu()) {
                    for (QAction* sub : a->menu()->actions())
                        shown.insert({a->text() + "/" + sub->text(), sub->data().toInt()});
                } else if (!a->isSeparator()) {
                    shown.insert({a->text(), a->data().toInt()});
                }
            }
            for (const CMenuItem& item : data[i].items) {
                if (item.IsSeparator()) continue;
                if (item.submenu.empty()) {
                    QVERIFY2(shown.count({QString::fromStdString(item.text), item.id}),
                             item.text.c_str());
                }
                for (const CMenuItem& sub : item.submenu) {
                    QVERIFY(shown.count(
                        {QString::fromStdString(item.text) + "/" + QString::fromStdString(sub.text),
                         sub.id}));
                }
            }
        }
        // The accelerators and the four status panes.
        auto* undo = frame.findChild<QAction*>(QStringLiteral("accelerator%1").arg(cmd::EditUndo));
        QVERIFY(undo);
        QCOMPARE(undo->shortcuts().size(), 2);
        for (const char* pane : {"paneCAP", "paneNUM", "paneSCRL"})
            QVERIFY(frame.statusBar()->findChild<QWidget*>(pane));
        QCOMPARE(frame.statusBar()->currentMessage(), QStringLiteral("Ready"));
    }

    void windowsAreTitledAndTwoViewsGetEachLine() {
        CMainFrame frame;
        frame.show();
        CChildFrame* first = frame.NewDocument();
        CChildFrame* other = frame.NewDocument();
        QCOMPARE(first->windowTitle(), QStringLiteral("Dovrel1"));
        QCOMPARE(other->windowTitle(), QStringLiteral("Dovrel2"));
        frame.MdiArea()->setActiveSubWindow(first);
        CChildFrame* second = frame.NewWindow();
        QCOMPARE(first->windowTitle(), QStringLiteral("Dovrel1:1"));
        QCOMPARE(second->windowTitle(), QStringLiteral("Dovrel1:2"));
        QCOMPARE(frame.windowTitle(), QStringLiteral("brisel32 - Dovrel1:2"));
        frame.OnCommand(cmd::Abort);
        QCOMPARE(LogLines(first),
                 QStringList({"Please connect to server first...", "No FTP connection."}));
        QCOMPARE(LogLines(second), LogLines(first));
        QCOMPARE(LogLines(other), QStringList({"Please connect to server first..."}));
        QVERIFY(first->LogView().isReadOnly());
        // Closing one window of two renumbers nothing away: the other keeps the document.
        second->close();
        QTRY_COMPARE(first->windowTitle(), QStringLiteral("Dovrel1"));
    }

    void logScrollsToItsLastLine() {
        CMainFrame frame;
        frame.show();
        CChildFrame* child = frame.NewDocument();
        child->resize(300, 120);
        frame.MdiArea()->setActiveSubWindow(child);
        for (int i = 0; i < 30; ++i)
            frame.OnCommand(cmd::Abort);
        QScrollBar* bar = child->LogView().verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
    }

    void logCountsWrappedLinesWhenItScrolls() {
        CMainFrame frame;
        frame.show();
        CChildFrame* child = frame.NewDocument();
        child->resize(300, 120);
        frame.MdiArea()->setActiveSubWindow(child);
        QCoreApplication::processEvents();
        std::string words;
        for (int i = 0; i < 60; ++i)
            words += "word" + std::to_string(i) + " ";
        CBrisel32Doc& doc = child->Doc();
        auto logLongLinesThenAShortOne = [&doc, &words](int longLines) {
            doc.m_strMessage = words;
            for (int i = 0; i < longLines; ++i)
                doc.RefreshViews();
            doc.m_strMessage = "the newest line";
            doc.RefreshViews();
            QCoreApplication::processEvents();
        };
        // Four lines that wrap into far more than ten: the newest still comes into view.
        logLongLinesThenAShortOne(3);
        CLogView& log = child->LogView();
        QVERIFY(log.GetLineCount() > 10);
        QScrollBar* bar = log.verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
        // Many long lines: still at the end.
        logLongLinesThenAShortOne(30);
        QCOMPARE(bar->value(), bar->maximum());
    }

    void aboutBoxShowsTheLibraryVersion() {
        CMainFrame frame;
        frame.show();
        QString shown, title;
        bool hasCancel = true;
        OnNextModal([&](QWidget* dialog) {
            title = dialog->windowTitle();
            shown = Control<QLineEdit>(dialog, ctl::Edit1)->text();
            hasCancel = Control<QPushButton>(dialog, ctl::Cancel) != nullptr;
            Click(dialog, ctl::Ok);
        });
        frame.OnCommand(cmd::AppAbout);
        QCOMPARE(title, QStringLiteral("About brisel32"));
        QVERIFY(!hasCancel);
        QCOMPARE(shown, QString::fromStdString(LibraryVersionText(varnix_version())));
        QVERIFY(shown.contains(QRegularExpression("^Varnix32\\.dll version \\d+\\.\\d\\d$")));
    }

    void dialogsMaskPasswordsAndRefuseBadIntegers() {
        CMainFrame frame;
        frame.show();
        frame.NewDocument();
        QLineEdit::EchoMode loginEcho{}, reloginEcho{};
        QString complaint;
        bool stayedOpen = false;
        OnNextModal([&](QWidget* dialog) {
            loginEcho = Control<QLineEdit>(dialog, ctl::Edit3)->echoMode();
            QCOMPARE(Control<QLineEdit>(dialog, ctl::Port)->text(), QStringLiteral("21"));
            Control<QLineEdit>(dialog, ctl::Port)->setText(QString());
            OnNextModal([&](QWidget* box) {
                complaint = static_cast<QMessageBox*>(box)->text();
                static_cast<QMessageBox*>(box)->accept();
            });
            Click(dialog, ctl::Ok);
            stayedOpen = dialog->isVisible();
            Click(dialog, ctl::Cancel);
        });
        frame.OnCommand(cmd::LoginPort);
        QCOMPARE(loginEcho, QLineEdit::Password);
        QCOMPARE(complaint, QStringLiteral("Please enter an integer."));
        QVERIFY(stayedOpen);
        // ReLogin needs a session; give the document a handle that is not connected.
        frame.ActiveChild()->Doc().m_hFtp = 999999;
        OnNextModal([&](QWidget* dialog) {
            reloginEcho = Control<QLineEdit>(dialog, ctl::Edit2)->echoMode();
            Click(dialog, ctl::Cancel);
        });
        frame.OnCommand(cmd::ReLogin);
        frame.ActiveChild()->Doc().m_hFtp = 0;
        QCOMPARE(reloginEcho, QLineEdit::Normal);
    }

    void loginDialogConnectsAndLogsTheHost() {
        testfx::FtpServer server(testfx::ServerKind::Pyftpdlib);
        CMainFrame frame;
        frame.show();
        CChildFrame* child = frame.NewDocument();
        QString title;
        OnNextModal([&](QWidget* dialog) {
            title = dialog->windowTitle();
            Control<QLineEdit>(dialog, ctl::Edit1)->setText(QString::fromStdString(server.host()));
            Control<QLineEdit>(dialog, ctl::Edit2)->setText(QString::fromStdString(server.user()));
            Control<QLineEdit>(dialog, ctl::Edit3)
                ->setText(QString::fromStdString(server.password()));
            Click(dialog, ctl::Ok);
        });
        frame.OnCommand(cmd::Login);
        QCOMPARE(title, QStringLiteral("FTP LOGIN"));
        QCOMPARE(LogLines(child).last(), "Connected to " + QString::fromStdString(server.host()));
        QVERIFY(child->Doc().m_hFtp > 0);
        QCOMPARE(child->windowTitle(), QString::fromStdString(server.host()));
        ftp_quit(child->Doc().m_hFtp);
    }

    void saveAndOpenTheLogWithTheRecentFileList() {
        testfx::TempDir dir("bench-qt");
        const QString path = QString::fromStdString((dir / "session.log").string());
        {
            CMainFrame frame;
            frame.show();
            frame.NewDocument();
            frame.OnCommand(cmd::Abort);
            OnNextModal([&](QWidget* modal) {
                auto* chooser = qobject_cast<QFileDialog*>(modal);
                QVERIFY(chooser);
                // Typed into the name field: selectFile leaves a field that has the focus as it
                // is, and the dialog gets the focus at some moment after it shows.
                auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                QVERIFY(name);
                name->setText(path);
                static_cast<QDialog*>(chooser)->accept();
            });
            frame.OnCommand(cmd::FileSaveAs);
            QCOMPARE(frame.ActiveChild()->windowTitle(), QStringLiteral("session.log"));
        }
        QCOMPARE(QString::fromStdString(testfx::readFile(dir / "session.log")),
                 QStringLiteral("Please connect to server first...\nNo FTP connection.\n"));

        CMainFrame frame;
        frame.show();
        // The recent-file list offers the saved log in the menu shown without a document.
        QMenu* file = frame.Menus(false).front();
        emit file->aboutToShow();
        QAction* recent = nullptr;
        for (QAction* a : file->actions())
            if (a->data().toInt() == cmd::FileMruFirst) recent = a;
        QVERIFY(recent && recent->isEnabled());
        QVERIFY(recent->text().endsWith(path));
        recent->trigger();
        CChildFrame* opened = frame.ActiveChild();
        QVERIFY(opened);
        QCOMPARE(LogLines(opened),
                 QStringList({"Please connect to server first...", "No FTP connection.",
                              "Please connect to server first..."}));
        QString complaint;
        OnNextModal([&](QWidget* box) {
            complaint = static_cast<QMessageBox*>(box)->text();
            static_cast<QMessageBox*>(box)->accept();
        });
        QVERIFY(!frame.OpenDocument(path + ".missing"));
        QCOMPARE(complaint, QStringLiteral("Failed to open document."));
    }

    void newWindowsCascadeInsideTheArea() {
        CMainFrame frame;  // the default frame
        frame.show();
        QPoint previous(-1, -1);
        for (int i = 0; i < 3; ++i) {
            CChildFrame* child = frame.NewDocument();
            QCoreApplication::processEvents();
            const QRect area = frame.MdiArea()->viewport()->rect();
            QVERIFY2(area.contains(child->geometry()), qPrintable(child->windowTitle()));
            QVERIFY(child->x() > previous.x() && child->y() > previous.y());
            previous = child->pos();
        }
    }

    void statusBarShowsMenuPromptsAndReadyWhenIdle() {
        CMainFrame frame;
        frame.show();
        frame.NewDocument();
        QStatusBar* bar = frame.statusBar();
        QMenu* connection = frame.Menus(true)[2];
        QCOMPARE(connection->title(), QStringLiteral("&Connection"));
        frame.menuBar()->setActiveAction(connection->menuAction());
        QTRY_VERIFY(connection->isVisible());
        QStringList shown;
        for (QAction* item : connection->actions()) {
            connection->setActiveAction(item);
            shown << bar->currentMessage();
        }
        QCOMPARE(shown, QStringList({"Log in to an FTP server",
                                     "Log in again on the open connection as another user",
                                     "Quit the FTP session",
                                     "Log in to a further host through the gateway",
                                     "Log in to an FTP server on a given port",
                                     "Check whether the FTP session is alive"}));
        connection->close();
        QTRY_VERIFY(!connection->isVisible());
        QCOMPARE(bar->currentMessage(), QStringLiteral("Ready"));
        // Every item of both menu sets has a prompt.
        for (bool withDocument : {false, true})
            for (QMenu* menu : frame.Menus(withDocument))
                for (QAction* item : menu->actions())
                    if (!item->isSeparator() && !item->menu())
                        QVERIFY2(!item->statusTip().isEmpty(), qPrintable(item->text()));
    }

    void hostListShowsFiveWindowsActiveFirst() {
        CMainFrame frame;
        frame.show();
        for (int i = 1; i <= 6; ++i) {
            CChildFrame* child = frame.NewDocument();
            child->Doc().m_strHost = "host" + std::to_string(i);
            child->Doc().m_strUser = "user";
        }
        CChildFrame* third = qobject_cast<CChildFrame*>(frame.MdiArea()->subWindowList()[2]);
        frame.MdiArea()->setActiveSubWindow(third);
        QStringList items;
        QString title;
        OnNextModal([&](QWidget* dialog) {
            title = dialog->windowTitle();
            auto* list = Control<QListWidget>(dialog, ctl::HostList);
            for (int i = 0; i < list->count(); ++i)
                items << list->item(i)->text();
            Click(dialog, ctl::Ok);  // nothing chosen: the command ends
        });
        frame.OnCommand(cmd::RemoteToRemotePut);
        QCOMPARE(title, QStringLiteral("Select the FROM ftp server:"));
        QCOMPARE(items.size(), 5);
        QCOMPARE(items.front(), QStringLiteral("host3:user"));
        QCOMPARE(QSet<QString>(items.begin(), items.end()).size(), 5);
    }

    // The content arrives in chunks that cut line ends and characters in two; the field ends up
    // holding the whole text all the same.
    void readGetShowsTheWholeTextAsItArrives() {
        testfx::FtpServer server(testfx::ServerKind::Pyftpdlib);
        std::string text;
        for (int i = 0; text.size() < 300000; ++i)
            text += "line " + std::to_string(i) +
                    std::string(static_cast<std::size_t>(i % 7), 'x') +
                    " \xc3\xa9t\xc3\xa9 \xe2\x82\xac\r\n";
        server.put("text.txt", text);
        CMainFrame frame;
        frame.show();
        CChildFrame* child = frame.NewDocument();
        CBrisel32Doc& doc = child->Doc();
        QVERIFY(LogInBinary(doc, server));
        QString content;
        OnNextModal([&](QWidget* dialog) {
            Control<QPlainTextEdit>(dialog, ctl::Edit2)->setPlainText("typed before");
            Control<QLineEdit>(dialog, ctl::Edit1)->setText("text.txt");
            Click(dialog, ctl::Ok);
            content = Control<QPlainTextEdit>(dialog, ctl::Edit2)->toPlainText();
            Click(dialog, ctl::Cancel);
        });
        frame.OnCommand(cmd::ReadGet);
        ftp_quit(doc.m_hFtp);
        QCOMPARE(LogLines(child).last(), "ReadGet: bytes read: " + QString::number(text.size()));
        QCOMPARE(content, QString::fromUtf8(text).replace("\r\n", "\n"));
    }

    void statusBoxShowsProgressDuringATransfer() {
        testfx::FtpServer server(testfx::ServerKind::Pyftpdlib);
        server.put("big.bin", testfx::allBytes(1 << 20));
        testfx::TempDir local("bench-qt");
        CMainFrame frame;
        frame.show();
        CChildFrame* child = frame.NewDocument();
        CBrisel32Doc& doc = child->Doc();
        QVERIFY(LogInBinary(doc, server));
        ftp_statusbox(doc.m_hFtp, 1);
        OnNextModal([&](QWidget* dialog) {
            Control<QLineEdit>(dialog, ctl::Edit1)->setText("big.bin");
            Control<QLineEdit>(dialog, ctl::Edit2)
                ->setText(QString::fromStdString((local / "big.bin").string()));
            Click(dialog, ctl::Ok);
        });
        frame.OnCommand(cmd::Get);
        QVERIFY(frame.Progress().Reports() > 0);
        QVERIFY(frame.Progress().Shows() > 0);
        QVERIFY(!frame.Progress().Visible());
        QCOMPARE(std::filesystem::file_size(local / "big.bin"), std::uintmax_t{1 << 20});

        // In a dialog that stays open, the progress box goes once the transfer is over.
        const int shows = frame.Progress().Shows();
        bool goneWhileOpen = false;
        QString content;
        OnNextModal([&](QWidget* dialog) {
            Control<QLineEdit>(dialog, ctl::Edit1)->setText("big.bin");
            Click(dialog, ctl::Ok);
            content = Control<QPlainTextEdit>(dialog, ctl::Edit2)->toPlainText();
            QTRY_VERIFY(!frame.Progress().Visible());
            goneWhileOpen = dialog->isVisible();
            Click(dialog, ctl::Cancel);
        });
        frame.OnCommand(cmd::ReadGet);
        QVERIFY(frame.Progress().Shows() > shows);
        QVERIFY(goneWhileOpen);
        QVERIFY(!content.isEmpty());
        QVERIFY(LogLines(child).last().startsWith("ReadGet: bytes read: "));
        ftp_quit(doc.m_hFtp);
    }
};

QTEST_MAIN(QtFrontEndTest)
#include "qt_test.moc"
