#include "app/ActionSet.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

#include "pages/WatchTab.h"

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

}  // namespace

TActionSet::TActionSet(QMainWindow& window) {
    QMainWindow* w = &window;
    FileReset1 = MakeAction(w, "FileReset1", "&Refresh",
                            "Refresh setup parameters|Refresh setup parameters and data links.",
                            QStyle::SP_BrowserReload);
    FileReset1->setShortcut(QKeySequence::Refresh);
    actSave = MakeAction(w, "actSave", "&Save", "Save the watch to a disk file.",
                         QStyle::SP_DialogSaveButton);
    actSave->setShortcut(QKeySequence::Save);
    actCopy = MakeAction(w, "actCopy", "&Copy", "Copy the watch window to clipboard.",
                         QStyle::SP_FileDialogContentsView);
    actCopy->setShortcut(QKeySequence::Copy);
    FileExit1 = MakeAction(w, "FileExit1", "&Exit", "Exit application|Exit QX ZUZ applicaton.",
                           QStyle::SP_DialogCloseButton);
    FileExit1->setShortcut(QKeySequence::Quit);
    actAddIntoWatchList = MakeAction(w, "actAddIntoWatchList", "&Add To Watch List",
                                     "Add sensor(s) into watch list", QStyle::SP_ArrowDown);
    actDeleteFromWatchList = MakeAction(w, "actDeleteFromWatchList", "&Delete From Watch List",
                                        "Delete sensor(s) from watch list", QStyle::SP_TrashIcon);
    actAddAllIntoWatchList = MakeAction(w, "actAddAllIntoWatchList", "Add A&ll To Watch List",
                                        "Add all sensors into watch list");
    actPauseDisplay =
        MakeAction(w, "actPauseDisplay", "&Pause Display",
                   "Pause real time update|Pause real time update.", QStyle::SP_MediaPause);
    actPauseDisplay->setCheckable(true);
    ConnectNodes1 = MakeAction(
        w, "ConnectNodes1", "&Remote Nodes",
        "Select Quintrel remote nodes|Select computer nodes where Quintrel servers are running.",
        QStyle::SP_DriveNetIcon);
    ShowStatus = MakeAction(w, "ShowStatus", "&Show Status Messages",
                            "Toggle display of Status panel|Toggle display of Status panel.",
                            QStyle::SP_MessageBoxInformation);
    ShowStatus->setCheckable(true);
    ClearStatus = MakeAction(w, "ClearStatus", "&Clear Status Messages",
                             "Clear status messages|Clear messages in Status box.");
    actSettings = MakeAction(w, "actSettings", "Graph Se&ttings...", "Change the graph settings...",
                             QStyle::SP_FileDialogDetailedView);
    actOptions =
        MakeAction(w, "actOptions", "&Application Settings...", "Change application settings...");
    actRename = MakeAction(w, "actRename", "&Rename", QString());
    HelpZUZIndex1 = MakeAction(w, "HelpZUZIndex1", "QX RIRovozer &Help", QString(),
                               QStyle::SP_DialogHelpButton);
    HelpZUZContents1 = MakeAction(w, "HelpZUZContents1", "QX RIRovozer &Contents", QString());
    HelpAbout1 = MakeAction(w, "HelpAbout1", "&About...", QString());
    Tracing1 = MakeAction(w, "Tracing1", "&Tracing", QString());
    Tracing1->setCheckable(true);

    actContextHelp = new QAction(w);
    actContextHelp->setObjectName("actContextHelp");
    actContextHelp->setShortcut(QKeySequence::HelpContents);
    actContextHelp->setShortcutContext(Qt::ApplicationShortcut);
    w->addAction(actContextHelp);

    QMenu* file = w->menuBar()->addMenu("&File");
    file->setObjectName("File1");
    file->addAction(FileReset1);
    file->addAction(actSave);
    file->addAction(actCopy);
    file->addSeparator();
    file->addAction(FileExit1);

    QMenu* watch = w->menuBar()->addMenu("&Watch");
    watch->setObjectName("Watch1");
    watch->addAction(actAddIntoWatchList);
    watch->addAction(actDeleteFromWatchList);
    watch->addAction(actAddAllIntoWatchList);
    watch->addSeparator();
    watch->addAction(actPauseDisplay);

    QMenu* opts = w->menuBar()->addMenu("&Options");
    opts->setObjectName("Options1");
    opts->addAction(ConnectNodes1);
    opts->addSeparator();
    opts->addAction(ShowStatus);
    opts->addAction(ClearStatus);
    opts->addSeparator();
    opts->addAction(actSettings);
    opts->addAction(actOptions);

    Debug1 = w->menuBar()->addMenu("&Debug");
    Debug1->setObjectName("Debug1");
    Debug1->addAction(Tracing1);
    Debug1->menuAction()->setVisible(false);

    QMenu* help = w->menuBar()->addMenu("&Help");
    help->setObjectName("Help1");
    help->addAction(HelpZUZIndex1);
    help->addAction(HelpZUZContents1);
    help->addSeparator();
    help->addAction(HelpAbout1);

    ToolBar = w->addToolBar("Tool bar");
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

    pmMain = new QMenu(w);
    pmMain->setObjectName("pmMain");
    pmMain->addAction(actAddIntoWatchList);
    pmMain->addAction(actAddAllIntoWatchList);
    pmMain->addAction(actDeleteFromWatchList);
    pmMain->addSeparator();
    pmMain->addAction(actPauseDisplay);

    pmRename = new QMenu(w);
    pmRename->setObjectName("pmRename");
    pmRename->addAction(actRename);

    pmDummy = new QMenu(w);
    pmDummy->setObjectName("pmDummy");
}

void TActionSet::Update(TWatchTab* page, bool listMode) {
    actSave->setEnabled(page && page->CanSaveData());
    actCopy->setEnabled(page && page->CanCopyData());
    actSettings->setEnabled(page && page->HasSettings());
    actPauseDisplay->setChecked(page && page->IsPaused());
    actAddAllIntoWatchList->setEnabled(listMode);
}

}  // namespace qx
