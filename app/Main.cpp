#include "app/Main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/AboutForm.h"
#include "app/ExitConfirm.h"
#include "app/HelpWindow.h"
#include "app/PickerLists.h"
#include "pages/ChartTab.h"
#include "pages/ListTab.h"
#include "shell/GlobalOptions.h"
#include "shell/StatusPanel.h"
#include "shell/TabRename.h"
#include "workspace/Workspace.h"

namespace qx {
namespace {

// A hint is "short|long": the short part is the tool tip, the long part the
// status bar text; a hint without "|" serves as both.
QAction* MakeAction(QObject* owner, const char* name, const QString& caption, const QString& hint,
                    QStyle::StandardPixmap icon = QStyle::SP_CustomBase) {
    auto* action = new QAction(caption, owner);
    action->setObjectName(name);
    const qsizetype bar = hint.indexOf('|');
    action->setToolTip(bar < 0 ? hint : hint.left(bar));
    action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
    if (icon != QStyle::SP_CustomBase) action->setIcon(QApplication::style()->standardIcon(icon));
    return action;
}

// The tab image of chart pages: axes and a line.
QIcon ChartTabIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(90, 90, 90), 1.2));
    painter.drawLine(QPointF(2.5, 1.5), QPointF(2.5, 13.5));
    painter.drawLine(QPointF(2.5, 13.5), QPointF(14.5, 13.5));
    painter.setPen(QPen(QColor(30, 110, 200), 1.6));
    const QPointF line[] = {{3.5, 10.5}, {6.5, 6.5}, {9.5, 9.0}, {14.0, 3.0}};
    painter.drawPolyline(line, 4);
    return QIcon(pixmap);
}

}  // namespace

TfrmQXZuz::TfrmQXZuz(TStartOptions options, QWidget* parent)
    : QMainWindow(parent), options_(std::move(options)) {
    setObjectName("frmQXZuz");
    setWindowTitle("QX RIRovozer");
    resize(589, 452);
    setMinimumSize(300, 200);
    CreateActions();
    CreateMenusAndToolBar();
    CreatePicker();
    CreateBottom();
    ErrorDialog = options_.ErrorDialog;
    picker_ = std::make_unique<TPickerLists>(cbxStations, cbxSensors, lstSensors);
    if (options_.Link) {
        options_.Link->HomeDirectory = options_.HomeDirectory.toStdString();
        link_ = std::make_unique<TServerLink>(static_cast<IServerLinkHost&>(*this), *this,
                                              *options_.Link);
        ListPageServers = link_.get();
        OnTestTick = [this] { link_->Timer1Timer(); };
        connect(cbxStations, &QComboBox::activated, this, [this] {
            try {
                link_->cbxStationsChange();
            } catch (...) {
            }
        });
    }
    FormCreate();
}

TfrmQXZuz::~TfrmQXZuz() {
    // The link routes into the pages and talks to the window: it goes first.
    link_.reset();
}

void TfrmQXZuz::CreateActions() {
    FileReset1 = MakeAction(this, "FileReset1", "&Refresh",
                            "Refresh setup parameters|Refresh setup parameters and data links.",
                            QStyle::SP_BrowserReload);
    FileReset1->setShortcut(QKeySequence::Refresh);
    actSave = MakeAction(this, "actSave", "&Save", "Save the watch to a disk file.",
                         QStyle::SP_DialogSaveButton);
    actSave->setShortcut(QKeySequence::Save);
    actCopy = MakeAction(this, "actCopy", "&Copy", "Copy the watch window to clipboard.",
                         QStyle::SP_FileDialogContentsView);
    actCopy->setShortcut(QKeySequence::Copy);
    FileExit1 = MakeAction(this, "FileExit1", "&Exit", "Exit application|Exit QX ZUZ applicaton.",
                           QStyle::SP_DialogCloseButton);
    FileExit1->setShortcut(QKeySequence::Quit);
    actAddIntoWatchList = MakeAction(this, "actAddIntoWatchList", "&Add To Watch List",
                                     "Add sensor(s) into watch list", QStyle::SP_ArrowDown);
    actDeleteFromWatchList = MakeAction(this, "actDeleteFromWatchList", "&Delete From Watch List",
                                        "Delete sensor(s) from watch list", QStyle::SP_TrashIcon);
    actAddAllIntoWatchList = MakeAction(this, "actAddAllIntoWatchList", "Add A&ll To Watch List",
                                        "Add all sensors into watch list");
    actPauseDisplay =
        MakeAction(this, "actPauseDisplay", "&Pause Display",
                   "Pause real time update|Pause real time update.", QStyle::SP_MediaPause);
    actPauseDisplay->setCheckable(true);
    ConnectNodes1 = MakeAction(
        this, "ConnectNodes1", "&Remote Nodes",
        "Select Quintrel remote nodes|Select computer nodes where Quintrel servers are running.",
        QStyle::SP_DriveNetIcon);
    ShowStatus = MakeAction(this, "ShowStatus", "&Show Status Messages",
                            "Toggle display of Status panel|Toggle display of Status panel.",
                            QStyle::SP_MessageBoxInformation);
    ShowStatus->setCheckable(true);
    ClearStatus = MakeAction(this, "ClearStatus", "&Clear Status Messages",
                             "Clear status messages|Clear messages in Status box.");
    actSettings = MakeAction(this, "actSettings", "Graph Se&ttings...",
                             "Change the graph settings...", QStyle::SP_FileDialogDetailedView);
    actOptions = MakeAction(this, "actOptions", "&Application Settings...",
                            "Change application settings...");
    actRename = MakeAction(this, "actRename", "&Rename", QString());
    HelpZUZIndex1 = MakeAction(this, "HelpZUZIndex1", "QX RIRovozer &Help", QString(),
                               QStyle::SP_DialogHelpButton);
    HelpZUZContents1 = MakeAction(this, "HelpZUZContents1", "QX RIRovozer &Contents", QString());
    HelpAbout1 = MakeAction(this, "HelpAbout1", "&About...", QString());
    Tracing1 = MakeAction(this, "Tracing1", "&Tracing", QString());
    Tracing1->setCheckable(true);

    connect(FileReset1, &QAction::triggered, this, &TfrmQXZuz::FileReset1Execute);
    connect(FileExit1, &QAction::triggered, this, &QWidget::close);
    connect(actSave, &QAction::triggered, this,
            [this] { PageCommand([](TWatchTab& page) { page.SaveData(); }); });
    connect(actCopy, &QAction::triggered, this,
            [this] { PageCommand([](TWatchTab& page) { page.CopyData(); }); });
    connect(actSettings, &QAction::triggered, this,
            [this] { PageCommand([](TWatchTab& page) { page.EditSettings(); }); });
    connect(actDeleteFromWatchList, &QAction::triggered, this,
            [this] { PageCommand([](TWatchTab& page) { page.RemoveSensors(); }); });
    connect(actPauseDisplay, &QAction::triggered, this, [this] {
        PageCommand([](TWatchTab& page) { page.TogglePause(); });
        UpdateActions();
    });
    connect(actAddIntoWatchList, &QAction::triggered, this, &TfrmQXZuz::actAddIntoWatchListExecute);
    connect(actAddAllIntoWatchList, &QAction::triggered, this,
            &TfrmQXZuz::actAddAllIntoWatchListExecute);
    connect(actRename, &QAction::triggered, this, &TfrmQXZuz::actRenameExecute);
    connect(actOptions, &QAction::triggered, this, &TfrmQXZuz::actOptionsExecute);
    connect(HelpAbout1, &QAction::triggered, this, &TfrmQXZuz::HelpAbout1Execute);
    connect(HelpZUZIndex1, &QAction::triggered, this, [this] { Help().ShowIndex(); });
    connect(HelpZUZContents1, &QAction::triggered, this, [this] { Help().ShowContents(); });

    auto* helpKey = new QAction(this);
    helpKey->setShortcut(QKeySequence::HelpContents);
    helpKey->setShortcutContext(Qt::ApplicationShortcut);
    connect(helpKey, &QAction::triggered, this, &TfrmQXZuz::FormHelp);
    addAction(helpKey);
}

void TfrmQXZuz::CreateMenusAndToolBar() {
    QMenu* file = menuBar()->addMenu("&File");
    file->addAction(FileReset1);
    file->addAction(actSave);
    file->addAction(actCopy);
    file->addSeparator();
    file->addAction(FileExit1);

    QMenu* watch = menuBar()->addMenu("&Watch");
    watch->addAction(actAddIntoWatchList);
    watch->addAction(actDeleteFromWatchList);
    watch->addAction(actAddAllIntoWatchList);
    watch->addSeparator();
    watch->addAction(actPauseDisplay);

    QMenu* opts = menuBar()->addMenu("&Options");
    opts->addAction(ConnectNodes1);
    opts->addSeparator();
    opts->addAction(ShowStatus);
    opts->addAction(ClearStatus);
    opts->addSeparator();
    opts->addAction(actSettings);
    opts->addAction(actOptions);

    Debug1 = menuBar()->addMenu("&Debug");
    Debug1->setObjectName("Debug1");
    Debug1->addAction(Tracing1);
    Debug1->menuAction()->setVisible(false);

    QMenu* help = menuBar()->addMenu("&Help");
    help->addAction(HelpZUZIndex1);
    help->addAction(HelpZUZContents1);
    help->addSeparator();
    help->addAction(HelpAbout1);

    ToolBar = addToolBar("Tool bar");
    ToolBar->setObjectName("ToolBar");
    ToolBar->setMovable(false);
    ToolBar->setIconSize(QSize(20, 20));
    ToolBar->addAction(FileReset1);
    ToolBar->addAction(actSave);
    ToolBar->addAction(actCopy);
    ToolBar->addSeparator();
    ToolBar->addAction(actAddIntoWatchList);
    ToolBar->addAction(actDeleteFromWatchList);
    ToolBar->addAction(actPauseDisplay);
    ToolBar->addSeparator();
    ToolBar->addAction(ConnectNodes1);
    ToolBar->addAction(actSettings);
    ToolBar->addAction(ShowStatus);
    ToolBar->addSeparator();
    ToolBar->addAction(HelpZUZIndex1);

    pmMain = new QMenu(this);
    pmMain->setObjectName("pmMain");
    pmMain->addAction(actAddIntoWatchList);
    pmMain->addAction(actAddAllIntoWatchList);
    pmMain->addAction(actDeleteFromWatchList);
    pmMain->addSeparator();
    pmMain->addAction(actPauseDisplay);

    pmRename = new QMenu(this);
    pmRename->setObjectName("pmRename");
    pmRename->addAction(actRename);

    pmDummy = new QMenu(this);
    pmDummy->setObjectName("pmDummy");

    for (QWidget* w : {static_cast<QWidget*>(ToolBar), static_cast<QWidget*>(statusBar())}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint& at) { pmMain->popup(w->mapToGlobal(at)); });
    }
}

void TfrmQXZuz::CreatePicker() {
    pnlTop = new QWidget;
    pnlTop->setObjectName("pnlTop");
    pnlTop->setMinimumHeight(28);
    lblStations = new QLabel("Stations:");
    cbxStations = new QComboBox;
    cbxStations->setObjectName("cbxStations");
    cbxStations->setMinimumWidth(140);
    lblStations->setBuddy(cbxStations);
    lblSensors = new QLabel("Sensors:");
    cbxSensors = new QComboBox;
    cbxSensors->setObjectName("cbxSensors");
    cbxSensors->setMinimumWidth(140);
    cbxSensors->setEnabled(false);
    lblSensors->setBuddy(cbxSensors);
    btnMoreLess = new QPushButton("<< &Less");
    btnMoreLess->setObjectName("btnMoreLess");
    btnTest = new QPushButton("&Start!");
    btnTest->setObjectName("btnTest");
    btnTest->setVisible(false);

    lstSensors = new QTreeWidget;
    lstSensors->setObjectName("lstSensors");
    lstSensors->setRootIsDecorated(false);
    lstSensors->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstSensors->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstSensors->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstSensors->setHeaderLabels(
        {"SensorName", "RtuSensorName", "Enabled", "IsText", "Equation", "RawList"});
    const int widths[] = {150, 100, 0, 0, 100, 100};
    for (int c = 0; c < 6; ++c)
        if (widths[c]) lstSensors->setColumnWidth(c, widths[c]);

    auto* row = new QHBoxLayout;
    row->addWidget(lblStations);
    row->addWidget(cbxStations);
    row->addSpacing(12);
    row->addWidget(lblSensors);
    row->addWidget(cbxSensors);
    row->addSpacing(12);
    row->addWidget(btnMoreLess);
    row->addStretch();
    row->addWidget(btnTest);
    auto* layout = new QVBoxLayout(pnlTop);
    layout->setContentsMargins(6, 4, 6, 0);
    layout->addLayout(row);
    layout->addWidget(lstSensors, 1);

    pnlTop->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(pnlTop, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pmMain->popup(pnlTop->mapToGlobal(at)); });
    connect(btnMoreLess, &QPushButton::clicked, this, &TfrmQXZuz::btnMoreLessClick);
    connect(btnTest, &QPushButton::clicked, this, &TfrmQXZuz::btnTestClick);
    connect(lstSensors, &QTreeWidget::itemDoubleClicked, this,
            [this] { actAddIntoWatchListExecute(); });
    lstSensors->installEventFilter(this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(3000);
    connect(Timer1, &QTimer::timeout, this, [this] {
        try {
            if (OnTestTick) OnTestTick();
        } catch (...) {
        }
    });
}

void TfrmQXZuz::CreateBottom() {
    pnlBottom = new QWidget;
    pnlBottom->setObjectName("pnlBottom");
    pgData = new QTabWidget;
    pgData->setObjectName("pgData");
    pgData->setTabPosition(QTabWidget::South);
    pgData->setDocumentMode(true);
    pgData->tabBar()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(pgData->tabBar(), &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const int tab = pgData->tabBar()->tabAt(at);
        if (tab < 0) return;
        pgData->setCurrentIndex(tab);
        pmRename->popup(pgData->tabBar()->mapToGlobal(at));
    });
    connect(pgData, &QTabWidget::currentChanged, this, &TfrmQXZuz::UpdateActions);

    pnlStatus = new TStatusPanel;
    pnlStatus->setFixedHeight(79);
    connect(ShowStatus, &QAction::triggered, pnlStatus, &TStatusPanel::ShowStatusExecute);
    connect(ClearStatus, &QAction::triggered, pnlStatus, &TStatusPanel::ClearStatusExecute);
    connect(Tracing1, &QAction::triggered, pnlStatus, &TStatusPanel::Tracing1Click);

    auto* layout = new QVBoxLayout(pnlBottom);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pgData, 1);
    layout->addWidget(pnlStatus);
    pnlStatus->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(pnlStatus, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pmMain->popup(pnlStatus->mapToGlobal(at)); });

    spltMain = new QSplitter(Qt::Vertical);
    spltMain->setObjectName("spltMain");
    spltMain->setHandleWidth(8);
    spltMain->setChildrenCollapsible(false);
    spltMain->addWidget(pnlTop);
    spltMain->addWidget(pnlBottom);
    spltMain->setStretchFactor(1, 1);
    pnlBottom->setMinimumHeight(50);
    spltMain->setSizes({133, 300});
    setCentralWidget(spltMain);
    statusBar()->setObjectName("StatusBar");
}

void TfrmQXZuz::FormCreate() {
    // The first argument "DEBUG" (any case) shows the debug menu.
    const QString first = options_.Arguments.isEmpty() ? QString() : options_.Arguments.first();
    const bool debug = first.compare("DEBUG", Qt::CaseInsensitive) == 0;
    pnlStatus->Messages().SetHomeDirectory(options_.HomeDirectory.toStdString());
    Debug1->menuAction()->setVisible(debug);
    SetupNode.clear();
    RtuNode.clear();
    ZOVizNode.clear();
    DecodeNode.clear();

    // The status panel starts hidden: checked, then toggled once.
    ShowStatus->setChecked(true);
    ShowStatus->trigger();

    FileReset1Execute();

    if (!WorkspaceFile.Open(options_.WorkspaceFileName.toStdString())) {
        workspaceUnreadable_ = true;
        AddStatusMessage("Error 1002: Unable to read application settings");
    }
    LoadWorkspace();

    // Starts in single-sensor mode.
    btnMoreLessClick();

    if (GraphPageCount > 0) {
        pgData->setCurrentIndex(ListPageCount);
    } else if (PageCount() > 0) {
        pgData->setCurrentIndex(0);
    }
    if (!options_.Arguments.isEmpty()) btnTest->setVisible(debug);
    UpdateActions();
}

void TfrmQXZuz::FileReset1Execute() {
    if (!link_) return;
    try {
        link_->FileReset1Execute();
    } catch (const std::exception& e) {
        ShowErrorDialog(QString::fromStdString(e.what()));
    } catch (...) {
        ShowErrorDialog(QString("Unable to refresh the setup parameters."));
    }
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
    // Closed once the event that asked for it has been handled.
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
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
    return *picker_;
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
        ShowErrorDialog(QString::fromStdString(e.what()));
    } catch (...) {
        ShowErrorDialog(QString("The command failed."));
    }
}

void TfrmQXZuz::AddToActivePage(TWatchTab& page, const QString& sensor) {
    // The station is read for every sensor; one already on the page is skipped.
    const std::string station = cbxStations->currentText().toStdString();
    const std::string name = sensor.toStdString();
    if (!page.HasSensor(station, name)) page.AddSensor(station, name);
}

void TfrmQXZuz::actAddIntoWatchListExecute() {
    PageCommand([this](TWatchTab& page) {
        if (listMode_) {
            for (int i = 0; i < lstSensors->topLevelItemCount(); ++i) {
                QTreeWidgetItem* item = lstSensors->topLevelItem(i);
                if (item->isSelected()) AddToActivePage(page, item->text(0));
            }
        } else if (cbxStations->currentIndex() >= 0 && cbxSensors->currentIndex() >= 0) {
            AddToActivePage(page, cbxSensors->currentText());
        }
    });
}

void TfrmQXZuz::actAddAllIntoWatchListExecute() {
    if (!listMode_) return;
    PageCommand([this](TWatchTab& page) {
        for (int i = 0; i < lstSensors->topLevelItemCount(); ++i)
            AddToActivePage(page, lstSensors->topLevelItem(i)->text(0));
    });
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
    }
}

void TfrmQXZuz::btnTestClick() {
    if (Timer1->isActive()) {
        Timer1->stop();
        btnTest->setText("&Start!");
    } else {
        Timer1->start();
        btnTest->setText("&Stop");
    }
}

bool TfrmQXZuz::eventFilter(QObject* watched, QEvent* e) {
    if (watched == lstSensors && e->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(e);
        const Qt::KeyboardModifiers held =
            key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        if (key->key() == Qt::Key_Insert && held == Qt::NoModifier) {
            actAddIntoWatchListExecute();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, e);
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

        const TRemoteNodes nodes = ReadRemoteNodes(WorkspaceFile);
        SetupNode = nodes.SetupNode;
        RtuNode = nodes.RtuNode;
        ZOVizNode = nodes.ZOVizNode;
        DecodeNode = nodes.DecodeNode;

        ReadPageCounts(WorkspaceFile, ListPageCount, GraphPageCount);
        CreatePages();
    } catch (...) {
        AddStatusMessage("Error 1002: Unable to read application settings");
    }
}

QWidget* TfrmQXZuz::AddPageSheet(const QString& caption, bool chart) {
    auto* sheet = new QWidget;
    sheet->setObjectName(chart ? "tsGraph" : "tsWatch");
    auto* layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    QMenu* menu = chart ? pmDummy : pmMain;
    sheet->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(sheet, &QWidget::customContextMenuRequested, this, [sheet, menu](const QPoint& at) {
        if (!menu->isEmpty()) menu->popup(sheet->mapToGlobal(at));
    });
    const QIcon icon = chart
                           ? ChartTabIcon()
                           : QApplication::style()->standardIcon(QStyle::SP_FileDialogDetailedView);
    pgData->addTab(sheet, icon, caption);
    return sheet;
}

void TfrmQXZuz::CreatePages() {
    const int total = ListPageCount + GraphPageCount;
    for (int i = 0; i < total && i < MaxPages; ++i) {
        const bool chart = i >= ListPageCount;
        const int j = i - ListPageCount;
        const std::string caption =
            chart ? ReadGraphTabCaption(WorkspaceFile, j) : ReadListTabCaption(WorkspaceFile, i);
        QWidget* sheet = AddPageSheet(QString::fromStdString(caption), chart);
        QWidget* widget = nullptr;
        TWatchTab* page = nullptr;
        if (chart) {
            auto* chartPage = new TfrmChartTab(sheet);
            widget = chartPage;
            page = chartPage;
        } else {
            auto* listPage = new TfrmListTab(sheet, ListPageServers);
            widget = listPage;
            page = listPage;
        }
        sheet->layout()->addWidget(widget);
        widget->show();
        Pages[static_cast<std::size_t>(i)] = page;
        pgData->setCurrentWidget(sheet);
    }
    for (int i = 0; i < total && i < MaxPages; ++i) {
        const bool chart = i >= ListPageCount;
        Pages[static_cast<std::size_t>(i)]->LoadFromWorkspace(
            WorkspaceFile, chart ? GraphPageSection(i - ListPageCount) : ListPageSection(i));
    }
    UpdateActions();
}

bool TfrmQXZuz::SaveWorkspace() {
    try {
        WriteRemoteNodes(WorkspaceFile, {SetupNode, RtuNode, ZOVizNode, DecodeNode});
        for (int i = 0; i < PageCount(); ++i) {
            TWatchTab* page = Page(i);
            const std::string caption = pgData->tabText(i).toStdString();
            const bool chart = i >= ListPageCount;
            const int j = i - ListPageCount;
            if (chart) {
                WriteGraphTabCaption(WorkspaceFile, j, caption);
            } else {
                WriteListTabCaption(WorkspaceFile, i, caption);
            }
            if (page)
                page->SaveToWorkspace(WorkspaceFile,
                                      chart ? GraphPageSection(j) : ListPageSection(i));
        }
        WritePageCounts(WorkspaceFile, ListPageCount, GraphPageCount);
        const QRect frame = frameGeometry();
        WriteWindowBounds(WorkspaceFile, {frame.top(), frame.left(), height(), width()});
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
        AddStatusMessage("Error 1003: Unable to save application settings");
        return false;
    }
}

void TfrmQXZuz::RemovePages() {
    // Readings that arrive while the sheets go (events are processed between
    // removals) find no page and are dropped.
    rebuilding_ = true;
    Pages.fill(nullptr);
    while (pgData->count() > 0) {
        pgData->setCurrentIndex(0);
        delete pgData->widget(0);
        QApplication::processEvents();
    }
    rebuilding_ = false;
}

void TfrmQXZuz::actOptionsExecute() {
    if (rebuilding_) return;
    TfrmGlobalOptions dialog(ListPageCount, GraphPageCount, this);
    const int result = RunOptionsDialog ? RunOptionsDialog(dialog) : dialog.exec();
    if (result != QDialog::Accepted) return;
    if (dialog.ListCount == ListPageCount && dialog.GraphCount == GraphPageCount) return;
    SaveWorkspace();
    RemovePages();
    ListPageCount = dialog.ListCount;
    GraphPageCount = dialog.GraphCount;
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

void TfrmQXZuz::btnMoreLessClick() {
    QList<int> sizes = spltMain->sizes();
    if (listMode_) {
        // What the list takes of the panel, spacing included, so that showing
        // it again gives it the same height. Before the window was first laid
        // out the list has no real height yet: it then opens at its design
        // height.
        const bool laidOut = lstSensors->isVisible();
        lstSensors->hide();
        lstSensors->setEnabled(false);
        btnMoreLess->setText("&More >>");
        cbxSensors->setEnabled(true);
        const int rowHeight = pnlTop->sizeHint().height();
        sensorListHeight_ = laidOut && sizes.size() == 2 && collapsedTop_ > 0
                                ? std::max(sizes[0] - collapsedTop_, 0)
                                : DesignSensorListHeight;
        if (sizes.size() == 2) {
            const int total = sizes[0] + sizes[1];
            sizes = {rowHeight, total - rowHeight};
        }
        pnlTop->setMaximumHeight(rowHeight);
        spltMain->handle(1)->setEnabled(false);
    } else {
        pnlTop->setMaximumHeight(QWIDGETSIZE_MAX);
        lstSensors->show();
        lstSensors->setEnabled(true);
        btnMoreLess->setText("<< &Less");
        cbxSensors->setEnabled(false);
        if (sizes.size() == 2) {
            const int total = sizes[0] + sizes[1];
            // The pages keep a third of the height whatever the list had.
            collapsedTop_ = sizes[0];
            const int top =
                std::min(sizes[0] + sensorListHeight_, std::max(sizes[0], total - total / 3));
            sizes = {top, total - top};
        }
        spltMain->handle(1)->setEnabled(true);
    }
    spltMain->setSizes(sizes);
    listMode_ = !listMode_;
    UpdateActions();
}

int TfrmQXZuz::PageCount() const {
    return rebuilding_ ? 0 : ListPageCount + GraphPageCount;
}

TWatchTab* TfrmQXZuz::Page(int index) const {
    return index >= 0 && index < MaxPages ? Pages[static_cast<std::size_t>(index)] : nullptr;
}

TWatchTab* TfrmQXZuz::ActivePage() const {
    const int index = pgData->currentIndex();
    return index >= 0 && index < PageCount() ? Page(index) : nullptr;
}

void TfrmQXZuz::UpdateActions() {
    TWatchTab* page = ActivePage();
    actSave->setEnabled(page && page->CanSaveData());
    actCopy->setEnabled(page && page->CanCopyData());
    actSettings->setEnabled(page && page->HasSettings());
    actPauseDisplay->setChecked(page && page->IsPaused());
    actAddAllIntoWatchList->setEnabled(listMode_);
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
        dialog.StartTimeOut(options_.ConfirmTimeOutMs);
        dialog.show();
        if (const QScreen* screen = dialog.screen()) {
            dialog.move(screen->availableGeometry().center() - dialog.rect().center());
        }
        if (OnConfirmShown) OnConfirmShown(dialog);
        // Keep events, timers and commands running while the question is up.
        while (dialog.ExitResult == TfrmExitConfirm::None) {
            QApplication::processEvents(QEventLoop::AllEvents);
            if (dialog.ExitResult == TfrmExitConfirm::None && !dialog.isVisible()) {
                dialog.ExitResult = TfrmExitConfirm::Cancel;
            }
            QThread::msleep(1);
        }
        return dialog.ExitResult == TfrmExitConfirm::Ok;
    } catch (...) {
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
        // DDE conversations end here when that service arrives; then the
        // connections close in the order RTU, Modbus RTU, decode, setup.
        if (link_) link_->CloseAllConnections();
    } catch (...) {
    }
    if (help_) help_->close();
    event->accept();
    SaveWorkspace();
}

bool TfrmQXZuz::event(QEvent* e) {
    if (e->type() == RestoreRequestEvent) {
        if (isMinimized()) showNormal();
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
