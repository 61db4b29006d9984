// SPDX-License-Identifier: MIT
#include "main_frame.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <algorithm>

#include "core/commands.h"
#include "core/ids.h"
#include "qt/child_frame.h"
#include "qt/progress_box.h"

namespace brisel::qt {
namespace {

const char* kIdProperty = "commandId";

QIcon ToolIcon(QStyle* style, int id) {
    switch (id) {
        case cmd::FileNew:
            return style->standardIcon(QStyle::SP_FileIcon);
        case cmd::FileOpen:
            return style->standardIcon(QStyle::SP_DialogOpenButton);
        case cmd::FileSave:
            return style->standardIcon(QStyle::SP_DialogSaveButton);
        case cmd::AppAbout:
            return style->standardIcon(QStyle::SP_MessageBoxQuestion);
        case cmd::EditCut:
            return QIcon::fromTheme(QStringLiteral("edit-cut"));
        case cmd::EditCopy:
            return QIcon::fromTheme(QStringLiteral("edit-copy"));
        case cmd::EditPaste:
            return QIcon::fromTheme(QStringLiteral("edit-paste"));
        case cmd::FilePrint:
            return QIcon::fromTheme(QStringLiteral("document-print"));
        default:
            return {};
    }
}

QString ToolText(int id) {
    switch (id) {
        case cmd::FileNew:
            return QStringLiteral("New");
        case cmd::FileOpen:
            return QStringLiteral("Open");
        case cmd::FileSave:
            return QStringLiteral("Save");
        case cmd::EditCut:
            return QStringLiteral("Cut");
        case cmd::EditCopy:
            return QStringLiteral("Copy");
        case cmd::EditPaste:
            return QStringLiteral("Paste");
        case cmd::FilePrint:
            return QStringLiteral("Print");
        default:
            return QStringLiteral("About");
    }
}

}  // namespace

CMainFrame::CMainFrame() : ui_(*this) {
    setObjectName(QStringLiteral("mainFrame"));
    mdi_ = new QMdiArea(this);
    setCentralWidget(mdi_);
    progress_ = new CProgressBox(this);
    emptyMenus_ = BuildMenus(MenuNoDocument());
    documentMenus_ = BuildMenus(MenuDocument());
    BuildAccelerators();
    BuildToolBar();
    BuildStatusBar();
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this] {
        ShowMenus();
        UpdateTitles();
    });
    ShowMenus();
    UpdateTitles();
    resize(800, 560);
}

CMainFrame::~CMainFrame() {
    // Windows close without any library call: their sessions stay as they are.
    mdi_->closeAllSubWindows();
}

QAction* CMainFrame::MakeAction(const CMenuItem& item, QObject* parent) {
    // The text keeps "\t" and the key: the menu shows it; the accelerators handle the key.
    auto* action = new QAction(QString::fromStdString(item.text), parent);
    action->setData(item.id);
    action->setProperty(kIdProperty, item.id);
    action->setStatusTip(QString::fromStdString(MenuPrompt(item.id)));
    int id = item.id;
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    return action;
}

QList<QMenu*> CMainFrame::BuildMenus(const std::vector<CMenu>& menus) {
    QList<QMenu*> built;
    for (const CMenu& menu : menus) {
        QMenu* qmenu = menuBar()->addMenu(QString::fromStdString(menu.text));
        for (const CMenuItem& item : menu.items) {
            if (item.IsSeparator()) {
                qmenu->addSeparator();
            } else if (item.recentFiles) {
                for (int i = 0; i < CRecentFiles::kSize; ++i) {
                    CMenuItem entry{"Recent File", cmd::FileMruFirst + i, {}, false};
                    recentActions_.append(MakeAction(entry, qmenu));
                    qmenu->addAction(recentActions_.back());
                }
                connect(qmenu, &QMenu::aboutToShow, this,
                        [this, qmenu] { FillRecentFiles(qmenu); });
            } else if (!item.submenu.empty()) {
                QMenu* sub = qmenu->addMenu(QString::fromStdString(item.text));
                for (const CMenuItem& subItem : item.submenu)
                    sub->addAction(MakeAction(subItem, sub));
                connect(sub, &QMenu::aboutToHide, statusBar(), &QStatusBar::clearMessage);
            } else {
                QAction* action = MakeAction(item, qmenu);
                if (item.id == cmd::ViewToolbar || item.id == cmd::ViewStatusBar) {
                    action->setCheckable(true);
                    action->setChecked(true);
                }
                qmenu->addAction(action);
            }
        }
        // A closing menu takes its item's prompt along: the pane goes back to "Ready".
        connect(qmenu, &QMenu::aboutToHide, statusBar(), &QStatusBar::clearMessage);
        if (menu.text == "&Window") {
            qmenu->addSeparator();
            connect(qmenu, &QMenu::aboutToShow, this, [this, qmenu] { FillWindowList(qmenu); });
        }
        built.append(qmenu);
    }
    return built;
}

void CMainFrame::BuildAccelerators() {
    std::map<int, QList<QKeySequence>> keys;
    for (const CAccelerator& a : Accelerators())
        keys[a.id].append(QKeySequence(QString::fromStdString(a.key)));
    for (const auto& [id, sequences] : keys) {
        auto* action = new QAction(this);
        action->setShortcuts(sequences);
        action->setProperty(kIdProperty, id);
        action->setObjectName(QStringLiteral("accelerator%1").arg(id));
        int commandId = id;
        connect(action, &QAction::triggered, this, [this, commandId] { OnCommand(commandId); });
        addAction(action);
    }
}

void CMainFrame::BuildToolBar() {
    toolBar_ = addToolBar(QStringLiteral("Toolbar"));
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setMovable(false);
    for (int id : ToolbarButtons()) {
        if (id == 0) {
            toolBar_->addSeparator();
            continue;
        }
        auto* action = toolBar_->addAction(ToolIcon(style(), id), ToolText(id));
        action->setProperty(kIdProperty, id);
        action->setStatusTip(QString::fromStdString(MenuPrompt(id)));
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    }
}

void CMainFrame::BuildStatusBar() {
    // The message pane shows an item's prompt while the pointer is on it, and "Ready" whenever
    // no prompt is shown.
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& message) {
        if (message.isEmpty()) statusBar()->showMessage(QStringLiteral("Ready"));
    });
    statusBar()->showMessage(QStringLiteral("Ready"));
    // Lock-key indicators; Qt cannot read the lock states, so they stay dimmed.
    for (const char* pane : {"CAP", "NUM", "SCRL"}) {
        auto* label = new QLabel(QString::fromLatin1(pane), this);
        label->setObjectName(QStringLiteral("pane") + QString::fromLatin1(pane));
        label->setEnabled(false);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusBar()->addPermanentWidget(label);
    }
}

void CMainFrame::ShowMenus() {
    bool withDocument = ActiveChild() != nullptr;
    for (QMenu* m : emptyMenus_)
        m->menuAction()->setVisible(!withDocument);
    for (QMenu* m : documentMenus_)
        m->menuAction()->setVisible(withDocument);
}

CChildFrame* CMainFrame::ActiveChild() const {
    return qobject_cast<CChildFrame*>(mdi_->activeSubWindow());
}

QList<CChildFrame*> CMainFrame::WindowsActiveFirst() const {
    QList<CChildFrame*> windows;
    CChildFrame* active = ActiveChild();
    if (active) windows.append(active);
    const auto stack = mdi_->subWindowList(QMdiArea::StackingOrder);
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
        auto* child = qobject_cast<CChildFrame*>(*it);
        if (child && child != active) windows.append(child);
    }
    return windows;
}

void CMainFrame::UpdateTitles() {
    // A document in several windows numbers them: "Dovrel1:1", "Dovrel1:2".
    const auto all = mdi_->subWindowList(QMdiArea::CreationOrder);
    std::map<const CBrisel32Doc*, int> windowsOf, numbered;
    for (QMdiSubWindow* w : all)
        if (auto* child = qobject_cast<CChildFrame*>(w)) ++windowsOf[&child->Doc()];
    for (QMdiSubWindow* w : all) {
        auto* child = qobject_cast<CChildFrame*>(w);
        if (!child) continue;
        const CBrisel32Doc* doc = &child->Doc();
        QString title = QString::fromStdString(doc->Title());
        if (windowsOf[doc] > 1) title += QStringLiteral(":%1").arg(++numbered[doc]);
        child->SetTitle(title);
    }
    CChildFrame* active = ActiveChild();
    setWindowTitle(active ? QStringLiteral("brisel32 - ") + active->windowTitle()
                          : QStringLiteral("brisel32"));
}

CChildFrame* CMainFrame::AddWindow(std::shared_ptr<CDocumentEntry> entry,
                                   const std::string* loadedText) {
    auto* child = new CChildFrame(std::move(entry), mdi_);
    mdi_->addSubWindow(child);
    connect(child, &QObject::destroyed, this, [this] {
        QTimer::singleShot(0, this, [this] {
            ShowMenus();
            UpdateTitles();
        });
    });
    if (loadedText) child->View().LoadText(*loadedText);
    PlaceNewWindow(child);
    child->show();
    mdi_->setActiveSubWindow(child);
    // The first refresh, when the window is first shown.
    child->View().OnInitialUpdate();
    ShowMenus();
    UpdateTitles();
    return child;
}

void CMainFrame::PlaceNewWindow(QMdiSubWindow* child) {
    // New windows cascade from the top left, a title bar's height apart, and start again at the
    // top left where the next one would leave the area; they are at most three quarters of the
    // area, so that each fits in it whole.
    const QSize area = mdi_->viewport()->size();
    const QSize size(std::min(600, area.width() * 3 / 4), std::min(380, area.height() * 3 / 4));
    const int step =
        std::max(8, child->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, child) + 4);
    const int places =
        1 + std::min((area.width() - size.width()) / step, (area.height() - size.height()) / step);
    const int others = static_cast<int>(mdi_->subWindowList().size()) - 1;
    const int at = (others % std::max(1, places)) * step;
    child->resize(size);
    child->move(at, at);
}

CChildFrame* CMainFrame::NewDocument() {
    auto entry = std::make_shared<CDocumentEntry>();
    entry->doc.SetTitle("Dovrel" + std::to_string(++untitled_));
    return AddWindow(std::move(entry), nullptr);
}

CChildFrame* CMainFrame::NewWindow() {
    CChildFrame* active = ActiveChild();
    return active ? AddWindow(active->Entry(), nullptr) : nullptr;
}

CChildFrame* CMainFrame::OpenDocument(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ui_.MessageBox("Failed to open document.", kAppTitle);
        recent_.Remove(path);
        return nullptr;
    }
    QByteArray data = file.readAll();
    std::string text(data.constData(), static_cast<std::size_t>(data.size()));
    auto entry = std::make_shared<CDocumentEntry>();
    entry->doc.SetTitle(QFileInfo(path).fileName().toStdString());
    entry->path = QFileInfo(path).absoluteFilePath();
    recent_.Add(path);
    return AddWindow(std::move(entry), &text);
}

void CMainFrame::OpenWithChoice() {
    QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open"), QString(),
                                                QStringLiteral("All Files (*)"));
    if (!path.isEmpty()) OpenDocument(path);
}

void CMainFrame::Save(bool askName) {
    CChildFrame* child = ActiveChild();
    if (!child) return;
    QString path = child->Entry()->path;
    if (askName || path.isEmpty()) {
        path = QFileDialog::getSaveFileName(this, QStringLiteral("Save As"),
                                            QString::fromStdString(child->Doc().Title()),
                                            QStringLiteral("All Files (*)"));
        if (path.isEmpty()) return;
    }
    QFile file(path);
    std::string text = child->View().SavedText();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size())) {
        ui_.MessageBox("Failed to save document.", kAppTitle);
        return;
    }
    child->Entry()->path = QFileInfo(path).absoluteFilePath();
    child->Doc().SetTitle(QFileInfo(path).fileName().toStdString());
    recent_.Add(path);
    UpdateTitles();
}

QPrinter& CMainFrame::Printer() {
    if (!printer_) printer_ = std::make_unique<QPrinter>();
    return *printer_;
}

void CMainFrame::Print(bool preview) {
    CChildFrame* child = ActiveChild();
    if (!child) return;
    CLogView* log = &child->LogView();
    if (preview) {
        QPrintPreviewDialog dialog(&Printer(), this);
        connect(&dialog, &QPrintPreviewDialog::paintRequested, log,
                [log](QPrinter* printer) { log->print(printer); });
        dialog.exec();
        return;
    }
    QPrintDialog dialog(&Printer(), this);
    if (dialog.exec() == QDialog::Accepted) log->print(&Printer());
}

void CMainFrame::PrintSetup() {
    QPageSetupDialog dialog(&Printer(), this);
    dialog.exec();
}

void CMainFrame::EditCommand(const char* slot) {
    if (QWidget* focus = QApplication::focusWidget()) QMetaObject::invokeMethod(focus, slot);
}

void CMainFrame::FillRecentFiles(QMenu*) {
    const QStringList& files = recent_.Files();
    for (int i = 0; i < recentActions_.size(); ++i) {
        QAction* action = recentActions_[i];
        int slot = i;
        bool has = slot < files.size();
        action->setVisible(has || slot == 0);
        action->setEnabled(has);
        action->setText(has ? QStringLiteral("&%1 %2").arg(slot + 1).arg(files[slot])
                            : QStringLiteral("Recent File"));
    }
}

void CMainFrame::FillWindowList(QMenu* menu) {
    for (QAction* a : windowListActions_)
        menu->removeAction(a);
    qDeleteAll(windowListActions_);
    windowListActions_.clear();
    const auto all = mdi_->subWindowList(QMdiArea::CreationOrder);
    for (int i = 0; i < all.size(); ++i) {
        QMdiSubWindow* w = all[i];
        auto* action = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(w->windowTitle()));
        action->setCheckable(true);
        action->setChecked(w == mdi_->activeSubWindow());
        connect(action, &QAction::triggered, this, [this, w] { mdi_->setActiveSubWindow(w); });
        windowListActions_.append(action);
    }
}

void CMainFrame::OnCommand(int id) {
    if (FindCommand(id)) {
        CChildFrame* child = ActiveChild();
        if (!child) return;
        CCommandContext context{ui_, child->Doc(), child->View()};
        RunCommand(id, context);
        progress_->Finish();
        return;
    }
    if (id >= cmd::FileMruFirst && id < cmd::FileMruFirst + CRecentFiles::kSize) {
        int slot = id - cmd::FileMruFirst;
        if (slot < recent_.Files().size()) OpenDocument(recent_.Files()[slot]);
        return;
    }
    switch (id) {
        case cmd::FileNew:
            NewDocument();
            break;
        case cmd::FileOpen:
            OpenWithChoice();
            break;
        case cmd::FileClose:
            mdi_->closeActiveSubWindow();
            break;
        case cmd::FileSave:
            Save(false);
            break;
        case cmd::FileSaveAs:
            Save(true);
            break;
        case cmd::FilePrint:
            Print(false);
            break;
        case cmd::FilePrintPreview:
            Print(true);
            break;
        case cmd::FilePrintSetup:
            PrintSetup();
            break;
        case cmd::EditUndo:
            EditCommand("undo");
            break;
        case cmd::EditCut:
            EditCommand("cut");
            break;
        case cmd::EditCopy:
            EditCommand("copy");
            break;
        case cmd::EditPaste:
            EditCommand("paste");
            break;
        case cmd::WindowNew:
            NewWindow();
            break;
        case cmd::WindowCascade:
            mdi_->cascadeSubWindows();
            break;
        case cmd::WindowTile:
            mdi_->tileSubWindows();
            break;
        case cmd::WindowArrange:
            // The MDI area keeps minimised windows in a row by itself.
            break;
        case cmd::NextPane:
            mdi_->activateNextSubWindow();
            break;
        case cmd::PrevPane:
            mdi_->activatePreviousSubWindow();
            break;
        case cmd::ViewToolbar:
            toolBar_->setVisible(!toolBar_->isVisible());
            break;
        case cmd::ViewStatusBar:
            statusBar()->setVisible(!statusBar()->isVisible());
            break;
        case cmd::AppAbout:
            ShowAbout(ui_);
            break;
        case cmd::AppExit:
            close();
            break;
        default:
            break;
    }
}

}  // namespace brisel::qt
