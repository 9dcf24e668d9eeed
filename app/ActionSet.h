// The window's commands: every action with its caption, hints, image and
// shortcut, the menu bar, the tool bar and the pop-up menus that show them.
// The window connects the actions to what they do.
#pragma once

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

namespace qx {

class TWatchTab;

class TActionSet {
public:
    // Creates the actions and menus on the window, which owns them.
    explicit TActionSet(QMainWindow& window);

    // The page commands follow the active page (null: none); adding every
    // sensor needs the list mode.
    void Update(TWatchTab* page, bool listMode);

    QAction* FileReset1;
    QAction* actSave;
    QAction* actCopy;
    QAction* FileExit1;
    QAction* actAddIntoWatchList;
    QAction* actDeleteFromWatchList;
    QAction* actAddAllIntoWatchList;
    QAction* actPauseDisplay;
    QAction* ConnectNodes1;
    QAction* ShowStatus;
    QAction* ClearStatus;
    QAction* actSettings;
    QAction* actOptions;
    QAction* actRename;
    QAction* HelpZUZIndex1;
    QAction* HelpZUZContents1;
    QAction* HelpAbout1;
    QAction* Tracing1;
    // F1 anywhere in the program: the help topic of the focused control.
    QAction* actContextHelp;

    QMenu* Debug1;
    QToolBar* ToolBar;
    QMenu* pmMain;    // the watch commands, on the picker, tool bar and list pages
    QMenu* pmRename;  // on the tabs
    QMenu* pmDummy;   // on chart pages: empty
};

}  // namespace qx
