// SPDX-License-Identifier: MIT
// The main window: document windows in an MDI area, the menus of the menu data (one set while
// no document window is open, another while one is active), the toolbar, the status bar with
// its four panes, and the framework's commands: new, open, save, print, windows, about.
#pragma once

#include <QList>
#include <QMainWindow>
#include <map>
#include <memory>

#include "core/menus.h"
#include "qt/qt_ui.h"
#include "qt/recent_files.h"

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;

namespace brisel::qt {

class CChildFrame;
class CProgressBox;
struct CDocumentEntry;

class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    CMainFrame();
    ~CMainFrame() override;

    // Runs a menu command: a test bench command on the active window, or a framework command.
    void OnCommand(int id);

    CChildFrame* NewDocument();
    CChildFrame* OpenDocument(const QString& path);
    CChildFrame* NewWindow();
    CChildFrame* ActiveChild() const;
    // The document windows, the active one first, then from the top of the window stack down.
    QList<CChildFrame*> WindowsActiveFirst() const;
    void UpdateTitles();

    QMdiArea* MdiArea() const { return mdi_; }
    CBriselUi& Ui() { return ui_; }
    CProgressBox& Progress() { return *progress_; }
    // The menus of one set (the set with no document, or the set with one).
    const QList<QMenu*>& Menus(bool withDocument) const {
        return withDocument ? documentMenus_ : emptyMenus_;
    }

  private:
    QAction* MakeAction(const CMenuItem& item, QObject* parent);
    QList<QMenu*> BuildMenus(const std::vector<CMenu>& menus);
    void BuildAccelerators();
    void BuildToolBar();
    void BuildStatusBar();
    void ShowMenus();
    // Puts a new window where the cascade goes on, inside the area.
    void PlaceNewWindow(QMdiSubWindow* child);
    CChildFrame* AddWindow(std::shared_ptr<CDocumentEntry> entry, const std::string* loadedText);
    void OpenWithChoice();
    void Save(bool askName);
    void Print(bool preview);
    void PrintSetup();
    void EditCommand(const char* slot);
    void FillRecentFiles(QMenu* menu);
    void FillWindowList(QMenu* menu);
    QPrinter& Printer();

    CQtUi ui_;
    QMdiArea* mdi_;
    CProgressBox* progress_;
    CRecentFiles recent_;
    QList<QMenu*> emptyMenus_;
    QList<QMenu*> documentMenus_;
    QList<QAction*> recentActions_;
    QList<QAction*> windowListActions_;
    QToolBar* toolBar_ = nullptr;
    std::unique_ptr<QPrinter> printer_;
    int untitled_ = 0;
};

}  // namespace brisel::qt
