#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "app/ActionSet.h"
#include "app/tests/FindControl.h"
#include "pages/WatchTab.h"

namespace qx {
namespace {

using test::Find;

QStringList Names(const QList<QAction*>& actions) {
    QStringList out;
    for (const QAction* a : actions) out << (a->isSeparator() ? "-" : a->objectName());
    return out;
}

TEST(ActionSet, ActionsCarryTheirNamesCaptionsShortcutsAndImages) {
    QMainWindow window;
    const TActionSet actions(window);
    struct Case {
        const char* name;
        const char* caption;
        QKeySequence shortcut;
        bool checkable;
        bool icon;
    } cases[] = {
        {"FileReset1", "&Refresh", QKeySequence::Refresh, false, true},
        {"actSave", "&Save", QKeySequence::Save, false, true},
        {"actCopy", "&Copy", QKeySequence::Copy, false, true},
        {"FileExit1", "&Exit", QKeySequence::Quit, false, true},
        {"actAddIntoWatchList", "&Add To Watch List", {}, false, true},
        {"actDeleteFromWatchList", "&Delete From Watch List", {}, false, true},
        {"actAddAllIntoWatchList", "Add A&ll To Watch List", {}, false, false},
        {"actPauseDisplay", "&Pause Display", {}, true, true},
        {"ConnectNodes1", "&Remote Nodes", {}, false, true},
        {"ShowStatus", "&Show Status Messages", {}, true, true},
        {"ClearStatus", "&Clear Status Messages", {}, false, false},
        {"actSettings", "Graph Se&ttings...", {}, false, true},
        {"actOptions", "&Application Settings...", {}, false, false},
        {"actRename", "&Rename", {}, false, false},
        {"HelpZUZIndex1", "QX RIRovozer &Help", {}, false, true},
        {"HelpZUZContents1", "QX RIRovozer &Contents", {}, false, false},
        {"HelpAbout1", "&About...", {}, false, false},
        {"Tracing1", "&Tracing", {}, true, false},
    };
    for (const Case& c : cases) {
        const QAction* a = Find<QAction>(window, c.name);
        EXPECT_EQ(a->text(), c.caption) << c.name;
        EXPECT_EQ(a->shortcut(), c.shortcut) << c.name;
        EXPECT_EQ(a->isCheckable(), c.checkable) << c.name;
        EXPECT_EQ(!a->icon().isNull(), c.icon) << c.name;
    }
    EXPECT_EQ(Find<QAction>(window, "ConnectNodes1")->toolTip(), "Select Quintrel remote nodes");
    EXPECT_EQ(Find<QAction>(window, "ConnectNodes1")->statusTip(),
              "Select computer nodes where Quintrel servers are running.");
    // F1 works wherever the focus is.
    EXPECT_EQ(actions.actContextHelp->shortcut(), QKeySequence(QKeySequence::HelpContents));
    EXPECT_EQ(actions.actContextHelp->shortcutContext(), Qt::ApplicationShortcut);
    EXPECT_TRUE(window.actions().contains(actions.actContextHelp));
}

TEST(ActionSet, MenusToolBarAndPopUpsShowTheActionsInOrder) {
    QMainWindow window;
    const TActionSet actions(window);
    QStringList titles;
    for (const QAction* menu : window.menuBar()->actions()) titles << menu->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&Watch", "&Options", "&Debug", "&Help"}));
    EXPECT_FALSE(actions.Debug1->menuAction()->isVisible());
    struct Case {
        const char* owner;
        QStringList names;
    } cases[] = {
        {"File1", {"FileReset1", "actSave", "actCopy", "-", "FileExit1"}},
        {"Watch1",
         {"actAddIntoWatchList", "actDeleteFromWatchList", "actAddAllIntoWatchList", "-",
          "actPauseDisplay"}},
        {"Options1",
         {"ConnectNodes1", "-", "ShowStatus", "ClearStatus", "-", "actSettings", "actOptions"}},
        {"Debug1", {"Tracing1"}},
        {"Help1", {"HelpZUZIndex1", "HelpZUZContents1", "-", "HelpAbout1"}},
        {"pmMain",
         {"actAddIntoWatchList", "actAddAllIntoWatchList", "actDeleteFromWatchList", "-",
          "actPauseDisplay"}},
        {"pmRename", {"actRename"}},
        {"pmDummy", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Names(Find<QMenu>(window, c.owner)->actions()), c.names) << c.owner;
    EXPECT_EQ(Names(Find<QToolBar>(window, "ToolBar")->actions()),
              (QStringList{"FileReset1", "actSave", "actCopy", "-", "actAddIntoWatchList",
                           "actDeleteFromWatchList", "actPauseDisplay", "-", "ConnectNodes1",
                           "actSettings", "ShowStatus", "-", "HelpZUZIndex1"}));
    EXPECT_FALSE(actions.ToolBar->isMovable());
}

// A page with fixed abilities.
class TAblePage : public TWatchTab {
public:
    TAblePage(bool save, bool copy, bool settings, bool paused)
        : save_(save), copy_(copy), settings_(settings), paused_(paused) {}
    bool CanSaveData() override { return save_; }
    bool CanCopyData() override { return copy_; }
    bool HasSettings() override { return settings_; }
    bool IsPaused() override { return paused_; }

private:
    bool save_, copy_, settings_, paused_;
};

TEST(ActionSet, PageCommandsFollowThePageAndAddAllTheListMode) {
    QMainWindow window;
    TActionSet actions(window);
    TAblePage list(true, true, false, true);
    TAblePage chart(false, false, true, false);
    struct Case {
        TWatchTab* page;
        bool listMode;
        bool save, copy, settings, paused, addAll;
    } cases[] = {
        {&list, true, true, true, false, true, true},
        {&chart, false, false, false, true, false, false},
        {nullptr, true, false, false, false, false, true},
    };
    for (const Case& c : cases) {
        actions.Update(c.page, c.listMode);
        EXPECT_EQ(actions.actSave->isEnabled(), c.save);
        EXPECT_EQ(actions.actCopy->isEnabled(), c.copy);
        EXPECT_EQ(actions.actSettings->isEnabled(), c.settings);
        EXPECT_EQ(actions.actPauseDisplay->isChecked(), c.paused);
        EXPECT_EQ(actions.actAddAllIntoWatchList->isEnabled(), c.addAll);
    }
}

}  // namespace
}  // namespace qx
