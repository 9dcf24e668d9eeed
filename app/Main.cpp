#include "app/Main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/AboutForm.h"
#include "app/ActionSet.h"
#include "app/ExitConfirm.h"
#include "app/HelpWindow.h"
#include "app/PageSet.h"
#include "app/PickerPanel.h"
#include "app/ServerIndicator.h"
#include "app/StandardPages.h"
#include "pages/ListTab.h"
#include "services/AutomationServer.h"
#include "services/CloseWarning.h"
#include "services/DesktopService.h"
#include "shell/GlobalOptions.h"
#include "shell/StatusPanel.h"
#include "shell/TabRename.h"
#include "system/QtDiagnostics.h"
#include "textscan/Diagnostics.h"
#include "workspace/Workspace.h"

namespace qx {
namespace {

// Ends a wait when the dialog is hidden or destroyed, answered or not.
class TDialogGoneWatch final : public QObject {
public:
    TDialogGoneWatch(QWidget& dialog, QEventLoop& loop) : loop_(loop) {
        dialog.installEventFilter(this);
        connect(&dialog, &QObject::destroyed, &loop, &QEventLoop::quit);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide) loop_.quit();
        return QObject::eventFilter(watched, event);
    }

private:
    QEventLoop& loop_;
};

}  // namespace

void SetApplicationNames(const QString& version) {
    QApplication::setApplicationName("QX RIRovozer");
    QApplication::setApplicationVersion(version);
}

TfrmQXZuz::TfrmQXZuz(TStartOptions options, QWidget* parent)
    : QMainWindow(parent), options_(std::move(options)) {
    setObjectName("frmQXZuz");
    setWindowTitle("QX RIRovozer");
    actions_ = std::make_unique<TActionSet>(*this);
    CreatePanels();
    // Wide enough for every column of a list page. The least size comes from
    // the layouts: the picker's row whole, the pages at least a tab row, a
    // heading and a row, the status panel its least height while shown.
    resize(std::max(589, TfrmListTab().AllColumnsWidth()), 452);
    if (options_.ServiceBus) {
        // The restore request is handled as an event, after the call is answered.
        desktop_ = std::make_unique<services::TDesktopService>(*options_.ServiceBus, [this] {
            QCoreApplication::postEvent(this, new QEvent(RestoreRequestEvent));
        });
        if (QString error; !desktop_->Start(&error))
            qCWarning(DiagnosticCategory(diagnostics::Services.name)) << error;
    }
    ConnectActions();
    ErrorDialog = options_.ErrorDialog;
    pages_ = std::make_unique<TPageSet>(*pgData);
    if (options_.Link) {
        options_.Link->HomeDirectory = options_.HomeDirectory.toStdString();
        link_ = std::make_unique<TServerLink>(static_cast<IServerLinkHost&>(*this), *pages_,
                                              *options_.Link);
        ListPageServers = link_.get();
        OnTestTick = [this] { link_->Timer1Timer(); };
        // The link catches what a station change raises.
        connect(pnlTop, &TPickerPanel::StationActivated, this,
                [this] { link_->cbxStationsChange(); });
    }
    RegisterStandardPages(*pages_, ListPageServers,
                          {.List = actions_->pmMain, .Chart = actions_->pmDummy},
                          [this](const std::string& text) { AddStatusMessage(text); });
    FormCreate();
}

TfrmQXZuz::~TfrmQXZuz() {
    // The desktop service's name goes with the window.
    desktop_.reset();
    // The link routes into the pages and talks to the window: it goes first.
    link_.reset();
}

void TfrmQXZuz::ConnectActions() {
    const TActionSet& a = *actions_;
    connect(a.FileReset1, &QAction::triggered, this, &TfrmQXZuz::FileReset1Execute);
    connect(a.FileExit1, &QAction::triggered, this, &QWidget::close);
    connect(a.actSave, &QAction::triggered, this,
            [this] { PageCommand([](TWatchTab& page) { page.SaveData(); }); });
    connect(a.actCopy, &QAction::triggered, this,
            [this] { PageCommand([](TWatchTab& page) { page.CopyData(); }); });
    connect(a.actSettings, &QAction::triggered, this,
            [this] { PageCommand([](TWatchTab& page) { page.EditSettings(); }); });
    connect(a.actDeleteFromWatchList, &QAction::triggered, this,
            [this] { PageCommand([](TWatchTab& page) { page.RemoveSensors(); }); });
    connect(a.actPauseDisplay, &QAction::triggered, this, [this] {
        PageCommand([](TWatchTab& page) { page.TogglePause(); });
        UpdateActions();
    });
    connect(a.actAddIntoWatchList, &QAction::triggered, this,
            &TfrmQXZuz::actAddIntoWatchListExecute);
    connect(a.actAddAllIntoWatchList, &QAction::triggered, this,
            &TfrmQXZuz::actAddAllIntoWatchListExecute);
    connect(a.actRename, &QAction::triggered, this, &TfrmQXZuz::actRenameExecute);
    connect(a.actOptions, &QAction::triggered, this, &TfrmQXZuz::actOptionsExecute);
    connect(a.HelpAbout1, &QAction::triggered, this, &TfrmQXZuz::HelpAbout1Execute);
    connect(a.HelpZUZIndex1, &QAction::triggered, this, [this] { Help().ShowIndex(); });
    connect(a.HelpZUZContents1, &QAction::triggered, this, [this] { Help().ShowContents(); });
    connect(a.actContextHelp, &QAction::triggered, this, &TfrmQXZuz::FormHelp);
    connect(a.ShowStatus, &QAction::triggered, pnlStatus, &TStatusPanel::ShowStatusExecute);
    connect(a.ClearStatus, &QAction::triggered, pnlStatus, &TStatusPanel::ClearStatusExecute);
    connect(a.Tracing1, &QAction::triggered, pnlStatus, &TStatusPanel::Tracing1Click);

    // The watch commands pop up on the picker, the tool bar, the status bar
    // and the status panel.
    QMenu* menu = a.pmMain;
    for (QWidget* w : {static_cast<QWidget*>(a.ToolBar), static_cast<QWidget*>(statusBar()),
                       static_cast<QWidget*>(pnlTop), static_cast<QWidget*>(pnlStatus)}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [menu, w](const QPoint& at) { menu->popup(w->mapToGlobal(at)); });
    }
    QMenu* rename = a.pmRename;
    connect(pgData->tabBar(), &QWidget::customContextMenuRequested, this,
            [this, rename](const QPoint& at) {
                const int tab = pgData->tabBar()->tabAt(at);
                if (tab < 0) return;
                pgData->setCurrentIndex(tab);
                rename->popup(pgData->tabBar()->mapToGlobal(at));
            });
}

void TfrmQXZuz::CreatePanels() {
    pnlTop = new TPickerPanel;
    connect(pnlTop, &TPickerPanel::AddRequested, this, &TfrmQXZuz::actAddIntoWatchListExecute);
    connect(pnlTop, &TPickerPanel::ModeChanged, this, &TfrmQXZuz::UpdateActions);
    connect(pnlTop, &TPickerPanel::TestTick, this, [this] {
        try {
            if (OnTestTick) OnTestTick();
        } catch (...) {
            LogCaught(diagnostics::App, "TfrmQXZuz test tick");
        }
    });

    pnlBottom = new QWidget;
    pnlBottom->setObjectName("pnlBottom");
    pgData = new QTabWidget;
    pgData->setObjectName("pgData");
    pgData->setTabPosition(QTabWidget::South);
    pgData->setDocumentMode(true);
    pgData->tabBar()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(pgData, &QTabWidget::currentChanged, this, &TfrmQXZuz::UpdateActions);

    pnlStatus = new TStatusPanel;
    pnlStatus->setMinimumHeight(StatusPanelMinimumHeight);

    // The status panel below the pages, 79 pixels high at first; the operator
    // drags the splitter to make it taller. The pages keep any extra height.
    spltStatus = new QSplitter(Qt::Vertical);
    spltStatus->setObjectName("spltStatus");
    spltStatus->setChildrenCollapsible(false);
    spltStatus->addWidget(pgData);
    spltStatus->addWidget(pnlStatus);
    spltStatus->setStretchFactor(0, 1);
    spltStatus->setStretchFactor(1, 0);
    spltStatus->setSizes({PageMinimumHeight * 4, StatusPanelHeight});

    auto* layout = new QVBoxLayout(pnlBottom);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(spltStatus);

    spltMain = new QSplitter(Qt::Vertical);
    spltMain->setObjectName("spltMain");
    spltMain->setHandleWidth(8);
    spltMain->setChildrenCollapsible(false);
    spltMain->addWidget(pnlTop);
    spltMain->addWidget(pnlBottom);
    spltMain->setStretchFactor(1, 1);
    pgData->setMinimumHeight(PageMinimumHeight);
    spltMain->setSizes({133, 300});
    setCentralWidget(spltMain);
    statusBar()->setObjectName("StatusBar");
    pnlServers = new TServerIndicator;
    statusBar()->addPermanentWidget(pnlServers);
}

void TfrmQXZuz::FormCreate() {
    // The first argument "DEBUG" (any case) shows the debug menu.
    const QString first = options_.Arguments.isEmpty() ? QString() : options_.Arguments.first();
    const bool debug = first.compare("DEBUG", Qt::CaseInsensitive) == 0;
    pnlStatus->Messages().SetHomeDirectory(options_.HomeDirectory.toStdString());
    actions_->Debug1->menuAction()->setVisible(debug);
    if (options_.Tracing) {
        // Traced from the first message on; the Debug menu shows so that
        // tracing can be switched off.
        actions_->Debug1->menuAction()->setVisible(true);
        actions_->Tracing1->setChecked(true);
        pnlStatus->Tracing1Click(true);
    }
    SetupNode.clear();
    RtuNode.clear();
    ZOVizNode.clear();
    DecodeNode.clear();

    // The status panel starts hidden: checked, then toggled once.
    actions_->ShowStatus->setChecked(true);
    actions_->ShowStatus->trigger();

    FileReset1Execute();

    if (!WorkspaceFile.Open(options_.WorkspaceFileName.toStdString())) {
        workspaceUnreadable_ = true;
        AddStatusMessage("Error 1002: Unable to read application settings");
    }
    LoadWorkspace();

    // Starts in single-sensor mode.
    btnMoreLessClick();

    if (const int start = pages_->Layout().StartPage(); start >= 0) pgData->setCurrentIndex(start);
    if (!options_.Arguments.isEmpty()) pnlTop->SetTestButtonVisible(debug);
    UpdateActions();
}

void TfrmQXZuz::FileReset1Execute() {
    if (!link_) return;
    // The link reports every error of the sequence itself and lets none out.
    link_->FileReset1Execute();
    UpdateActions();
}

void TfrmQXZuz::ShowErrorDialog(const std::string& text) {
    ShowErrorDialog(QString::fromStdString(text));
}

void TfrmQXZuz::SetCaption(const std::string& text) {
    setWindowTitle(QString::fromStdString(text));
}

void TfrmQXZuz::RequestShutdown() {
    ShutdownRequested = true;
    // A confirmation showing is answered yes, and the close it holds goes on;
    // otherwise the window closes once the event that asked has been handled.
    if (confirm_) {
        confirm_->Finish(TfrmExitConfirm::Ok);
        return;
    }
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TfrmQXZuz::StopSignalReceived() {
    // The session is ending: no question holds it up, not even the
    // automation server's.
    ShutdownRequested = true;
    EndWithoutServerWarning = true;
    stopSignalled_ = true;
    if (confirm_) {
        confirm_->Finish(TfrmExitConfirm::Ok);
        return;
    }
    // Also when the window was closed before and the program still runs
    // (a modal box of its own, say): closing again saves and ends it.
    close();
}

std::string TfrmQXZuz::NodeName(suite::TServer server) const {
    switch (server) {
        case suite::TServer::Setup: return SetupNode;
        case suite::TServer::Decode: return DecodeNode;
        case suite::TServer::Rtu: return RtuNode;
        case suite::TServer::ZOViz: return ZOVizNode;
    }
    return {};
}

IPickerLists& TfrmQXZuz::Picker() {
    return pnlTop->Lists();
}

void TfrmQXZuz::ServerHealthChanged(suite::TServer server) {
    if (link_) pnlServers->ShowStatus(server, link_->Health().Status(server));
}

void TfrmQXZuz::ShowErrorDialog(const QString& text) {
    if (ErrorDialog) {
        ErrorDialog(text);
        return;
    }
    QMessageBox::critical(this, QApplication::applicationDisplayName(), text);
}

void TfrmQXZuz::PageCommand(const std::function<void(TWatchTab&)>& command) {
    TWatchTab* page = ActivePage();
    if (!page) return;
    try {
        command(*page);
    } catch (const std::exception& e) {
        LogCaught(diagnostics::App, "TfrmQXZuz::PageCommand");
        ShowErrorDialog(QString::fromStdString(e.what()));
    } catch (...) {
        LogCaught(diagnostics::App, "TfrmQXZuz::PageCommand");
        ShowErrorDialog(QString("The command failed."));
    }
}

void TfrmQXZuz::actAddIntoWatchListExecute() {
    PageCommand([this](TWatchTab& page) { pnlTop->AddSelectedSensors(page); });
}

void TfrmQXZuz::actAddAllIntoWatchListExecute() {
    if (!pnlTop->ListMode()) return;
    PageCommand([this](TWatchTab& page) { pnlTop->AddAllSensors(page); });
}

void TfrmQXZuz::actRenameExecute() {
    try {
        const int index = pgData->currentIndex();
        if (index < 0) return;
        TfrmTabName dialog(pgData->tabText(index), this);
        const int result = RunTabNameDialog ? RunTabNameDialog(dialog) : dialog.exec();
        if (result == QDialog::Accepted && pgData->currentIndex() == index)
            pgData->setTabText(index, dialog.edtTabName->text());
    } catch (...) {
        LogCaught(diagnostics::App, "TfrmQXZuz::actRenameExecute");
    }
}

void TfrmQXZuz::btnMoreLessClick() {
    pnlTop->btnMoreLessClick();
}

void TfrmQXZuz::AddStatusMessage(const std::string& Message) {
    pnlStatus->AddStatusMessage(Message);
}

void TfrmQXZuz::LoadWorkspace() {
    try {
        const QRect g = geometry();
        const TWindowBounds b =
            ReadWindowBounds(WorkspaceFile, {g.top(), g.left(), g.height(), g.width()});
        move(b.Left, b.Top);
        resize(b.Width, b.Height);
        if (ReadStatusShown(WorkspaceFile) != actions_->ShowStatus->isChecked())
            actions_->ShowStatus->trigger();

        const TRemoteNodes nodes = ReadRemoteNodes(WorkspaceFile);
        SetupNode = nodes.SetupNode;
        RtuNode = nodes.RtuNode;
        ZOVizNode = nodes.ZOVizNode;
        DecodeNode = nodes.DecodeNode;

        pages_->SetLayout(TPageLayout::Read(WorkspaceFile));
        CreatePages();
    } catch (...) {
        LogCaught(diagnostics::App, "TfrmQXZuz::LoadWorkspace");
        AddStatusMessage("Error 1002: Unable to read application settings");
    }
}

void TfrmQXZuz::CreatePages() {
    pages_->Create(WorkspaceFile);
    UpdateActions();
}

bool TfrmQXZuz::SaveWorkspace() {
    try {
        WriteRemoteNodes(WorkspaceFile, {SetupNode, RtuNode, ZOVizNode, DecodeNode});
        pages_->Save(WorkspaceFile);
        const QRect frame = frameGeometry();
        WriteWindowBounds(WorkspaceFile, {frame.top(), frame.left(), height(), width()});
        WriteStatusShown(WorkspaceFile, actions_->ShowStatus->isChecked());
        if (workspaceUnreadable_) {
            AddStatusMessage("The workspace file " + WorkspaceFile.FileName() +
                             " could not be read at start and is left as it is");
            AddStatusMessage("Error 1003: Unable to save application settings");
            return false;
        }
        std::string error;
        if (!WorkspaceFile.SaveToFile(&error)) {
            AddStatusMessage(error);
            AddStatusMessage("Error 1003: Unable to save application settings");
            return false;
        }
        return true;
    } catch (...) {
        LogCaught(diagnostics::App, "TfrmQXZuz::SaveWorkspace");
        AddStatusMessage("Error 1003: Unable to save application settings");
        return false;
    }
}

void TfrmQXZuz::actOptionsExecute() {
    if (pages_->Removing()) return;
    TfrmGlobalOptions dialog(ListPageCount(), GraphPageCount(), this);
    const int result = RunOptionsDialog ? RunOptionsDialog(dialog) : dialog.exec();
    if (result != QDialog::Accepted) return;
    if (dialog.ListCount == ListPageCount() && dialog.GraphCount == GraphPageCount()) return;
    SaveWorkspace();
    pages_->Remove();
    pages_->SetLayout({dialog.ListCount, dialog.GraphCount});
    CreatePages();
}

void TfrmQXZuz::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (centred_) return;
    centred_ = true;
    // Centred on the desktop with the stored size, which is kept within the
    // screen so a workspace from a larger display still fits.
    if (const QScreen* s = screen()) {
        const QRect area = s->availableGeometry();
        resize(std::min(width(), area.width()), std::min(height(), area.height()));
        move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
}

int TfrmQXZuz::PageCount() const {
    return pages_->PageCount();
}

TWatchTab* TfrmQXZuz::Page(int index) const {
    return pages_->Page(index);
}

TWatchTab* TfrmQXZuz::ActivePage() const {
    return pages_->ActivePage();
}

int TfrmQXZuz::ListPageCount() const {
    return pages_->Layout().ListCount();
}

int TfrmQXZuz::GraphPageCount() const {
    return pages_->Layout().GraphCount();
}

void TfrmQXZuz::UpdateActions() {
    // Signals from the panels can arrive before the pages exist.
    if (!pages_) return;
    actions_->Update(ActivePage(), pnlTop->ListMode());
}

bool TfrmQXZuz::ConfirmExit() {
    if (ConfirmInProgress) return false;
    ConfirmInProgress = true;
    struct Clear {
        bool& flag;
        ~Clear() { flag = false; }
    } clear{ConfirmInProgress};
    try {
        if (ShutdownRequested) return true;
        TfrmExitConfirm dialog;
        confirm_ = &dialog;
        struct Showing {
            TfrmExitConfirm*& current;
            ~Showing() { current = nullptr; }
        } showing{confirm_};
        dialog.StartTimeOut(options_.ConfirmTimeOutMs);
        dialog.show();
        if (const QScreen* screen = dialog.screen()) {
            dialog.move(screen->availableGeometry().center() - dialog.rect().center());
        }
        if (OnConfirmShown) OnConfirmShown(dialog);
        // Events, timers and commands keep running while the question is up.
        // The wait ends with the answer, or when the dialog goes away some
        // other way, which counts as Cancel.
        if (dialog.ExitResult == TfrmExitConfirm::None && dialog.isVisible()) {
            QEventLoop loop;
            connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
            TDialogGoneWatch gone(dialog, loop);
            loop.exec();
        }
        if (dialog.ExitResult == TfrmExitConfirm::None) dialog.ExitResult = TfrmExitConfirm::Cancel;
        // A shutdown asked for meanwhile ends the program whatever the answer.
        return dialog.ExitResult == TfrmExitConfirm::Ok || ShutdownRequested;
    } catch (...) {
        LogCaught(diagnostics::App, "TfrmQXZuz::ConfirmExit");
        return true;
    }
}

void TfrmQXZuz::closeEvent(QCloseEvent* event) {
    if (!ConfirmExit()) {
        event->ignore();
        return;
    }
    try {
        setWindowTitle("*** Shutting Down QX RIRovozer ... Please Wait ***");
        // The desktop service's conversations end first; then the
        // connections close in the order RTU, Modbus RTU, decode, setup.
        if (desktop_) desktop_->DisconnectAll();
        if (link_) link_->CloseAllConnections();
    } catch (...) {
        LogCaught(diagnostics::App, "TfrmQXZuz::closeEvent");
    }
    if (help_) help_->close();
    SaveWorkspace();
    // The automation server asks last: a No keeps the window open, its
    // connections closed and its workspace saved; Refresh connects again.
    if (!ConfirmServerExit()) {
        setWindowTitle("QX RIRovozer");
        event->ignore();
        return;
    }
    event->accept();
    // A stop signal ends the program even when another window of it is
    // still open (a modal box, say), which would keep the application going.
    if (stopSignalled_) {
        const QWidgetList windows = QApplication::topLevelWidgets();
        if (std::any_of(windows.begin(), windows.end(),
                        [this](const QWidget* w) { return w != this && w->isVisible(); }))
            QCoreApplication::quit();
    }
}

bool TfrmQXZuz::ConfirmServerExit() {
    if (EndWithoutServerWarning || !options_.Automation || options_.Automation->ObjectCount() == 0)
        return true;
    try {
        QMessageBox box(QMessageBox::Warning, services::CloseWarningCaption,
                        services::CloseWarningText, QMessageBox::Yes | QMessageBox::No);
        box.setObjectName("msgServerWarning");
        box.setDefaultButton(QMessageBox::No);
        box.setWindowModality(Qt::ApplicationModal);
        const int answer = RunServerWarning ? RunServerWarning(box) : box.exec();
        return answer == QMessageBox::Yes;
    } catch (...) {
        LogCaught(diagnostics::App, "TfrmQXZuz::ConfirmServerExit");
        return true;
    }
}

bool TfrmQXZuz::event(QEvent* e) {
    if (e->type() == RestoreRequestEvent) {
        // Out of the minimised state into the one before it (maximised
        // stays maximised); the window manager is asked to activate it.
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        show();
        raise();
        activateWindow();
        return true;
    }
    return QMainWindow::event(e);
}

THelpWindow& TfrmQXZuz::Help() {
    if (!help_) {
        const QString folder = options_.ProgramDirectory.isEmpty() ? options_.HomeDirectory
                                                                   : options_.ProgramDirectory;
        help_ = new THelpWindow(folder + "manual", this);
    }
    help_->setWindowFlag(Qt::Window);
    return *help_;
}

void TfrmQXZuz::FormHelp() {
    const QWidget* focus = QApplication::focusWidget();
    Help().ShowContext(focus ? focus->property("helpContext").toInt() : 0);
}

void TfrmQXZuz::HelpAbout1Execute() {
    auto* about = new TfmAbout(options_.ProductVersion, options_.FileVersion, this);
    about->exec();
}

}  // namespace qx
