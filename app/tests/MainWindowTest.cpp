#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <csignal>

#include "app/AboutForm.h"
#include "app/ExitConfirm.h"
#include "app/HelpWindow.h"
#include "app/Main.h"
#include "app/StopSignals.h"
#include "app/tests/FindControl.h"
#include "shell/GlobalOptions.h"
#include "shell/StatusPanel.h"
#include "shell/TabRename.h"

namespace qx {
namespace {

using test::Find;

class MainWindow : public testing::Test {
protected:
    TStartOptions Options(QStringList args = {}) {
        TStartOptions o;
        o.Arguments = std::move(args);
        o.WorkspaceFileName = dir.filePath("qxrirovozer.QFG");
        o.HomeDirectory = dir.path() + "/";
        o.ProductVersion = "2.1";
        o.FileVersion = "2.1.0.57";
        return o;
    }
    QTemporaryDir dir;
};

TEST_F(MainWindow, DebugArgumentShowsDebugMenuAndTestButton) {
    struct Case {
        QStringList args;
        bool debugMenu;
        bool testButton;
    } cases[] = {
        {{}, false, false},        {{"debug"}, true, true},        {{"DeBuG", "x"}, true, true},
        {{"other"}, false, false}, {{"x", "debug"}, false, false},
    };
    for (const Case& c : cases) {
        TfrmQXZuz window(Options(c.args));
        EXPECT_EQ(Find<QMenu>(window, "Debug1")->menuAction()->isVisible(), c.debugMenu)
            << c.args.join(' ').toStdString();
        EXPECT_EQ(Find<QPushButton>(window, "btnTest")->isVisibleTo(&window), c.testButton)
            << c.args.join(' ').toStdString();
    }
}

TEST_F(MainWindow, StartsInSingleSensorModeWithStatusHidden) {
    TfrmQXZuz window(Options());
    window.show();
    auto* moreLess = Find<QPushButton>(window, "btnMoreLess");
    auto* table = Find<QTreeWidget>(window, "lstSensors");
    auto* addAll = Find<QAction>(window, "actAddAllIntoWatchList");
    auto* status = Find<TStatusPanel>(window, "pnlStatus");
    auto* showStatus = Find<QAction>(window, "ShowStatus");
    EXPECT_EQ(window.windowTitle(), "QX RIRovozer");
    EXPECT_EQ(moreLess->text(), "&More >>");
    EXPECT_FALSE(table->isVisible());
    EXPECT_TRUE(Find<QComboBox>(window, "cbxSensors")->isEnabled());
    EXPECT_FALSE(addAll->isEnabled());
    EXPECT_FALSE(status->isVisible());
    EXPECT_FALSE(showStatus->isChecked());

    moreLess->click();
    EXPECT_EQ(moreLess->text(), "<< &Less");
    EXPECT_TRUE(table->isVisible());
    EXPECT_TRUE(addAll->isEnabled());

    showStatus->trigger();
    EXPECT_TRUE(status->isVisible());
}

// --trace: tracing is on from the first message, and the Debug menu shows
// with Tracing checked so that it can be switched off.
TEST_F(MainWindow, TraceOptionStartsWithTracingOn) {
    for (const bool trace : {false, true}) {
        TStartOptions o = Options();
        o.Tracing = trace;
        QFile::remove(dir.filePath("QXRTD.LOG"));
        TfrmQXZuz window(o);
        EXPECT_EQ(Find<QMenu>(window, "Debug1")->menuAction()->isVisible(), trace);
        EXPECT_EQ(Find<QAction>(window, "Tracing1")->isChecked(), trace);
        EXPECT_FALSE(Find<QPushButton>(window, "btnTest")->isVisibleTo(&window));
        window.AddStatusMessage("Traced");
        QFile log(dir.filePath("QXRTD.LOG"));
        EXPECT_EQ(log.open(QIODevice::ReadOnly), trace);
        if (trace) {
            EXPECT_TRUE(log.readAll().contains("    Traced.\r\n"));
            Find<QAction>(window, "Tracing1")->trigger();
            EXPECT_FALSE(Find<TStatusPanel>(window, "pnlStatus")->Messages().TracingEnabled());
        }
    }
}

// No display name is set, so the platform adds nothing to the caption: what
// the program shows as the display name is its plain application name.
TEST(ApplicationNames, NoDisplayNameToDoubleTheCaption) {
    const QString before = QApplication::applicationName();
    SetApplicationNames("1.0.0.1");
    EXPECT_EQ(QApplication::applicationName(), "QX RIRovozer");
    EXPECT_EQ(QApplication::applicationVersion(), "1.0.0.1");
    QApplication::setApplicationName("Renamed");
    EXPECT_EQ(QApplication::applicationDisplayName(), "Renamed");
    QApplication::setApplicationName(before);
}

// The small dialogs keep their size: no maximise or minimise button, and a
// frame the window manager may not decorate as it likes.
TEST(FixedDialogs, HaveNoMaximiseButton) {
    TfrmGlobalOptions options(5, 3);
    TfrmTabName rename("Watch 1");
    TfmAbout about("2.1", "2.1.0.57");
    about.setAttribute(Qt::WA_DeleteOnClose, false);
    TfrmExitConfirm confirm;
    for (QDialog* dialog : std::initializer_list<QDialog*>{&options, &rename, &about, &confirm}) {
        const std::string name = dialog->objectName().toStdString();
        dialog->show();
        QApplication::processEvents();
        const Qt::WindowFlags flags = dialog->windowFlags();
        EXPECT_TRUE(flags & Qt::CustomizeWindowHint) << name;
        EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint) << name;
        EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint) << name;
        EXPECT_FALSE(flags & Qt::WindowContextHelpButtonHint) << name;
        EXPECT_EQ(flags.testFlag(Qt::WindowCloseButtonHint), dialog != &confirm) << name;
        EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize()) << name;
        dialog->hide();
    }
    EXPECT_TRUE(confirm.windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(MainWindow, ActionsCarryCaptionsAndHints) {
    TfrmQXZuz window(Options());
    struct Case {
        const char* action;
        const char* caption;
        const char* tip;
        const char* status;
    } cases[] = {
        {"FileReset1", "&Refresh", "Refresh setup parameters",
         "Refresh setup parameters and data links."},
        {"actSave", "&Save", "Save the watch to a disk file.", "Save the watch to a disk file."},
        {"FileExit1", "&Exit", "Exit application", "Exit QX ZUZ applicaton."},
        {"actAddAllIntoWatchList", "Add A&ll To Watch List", "Add all sensors into watch list",
         "Add all sensors into watch list"},
        {"actSettings", "Graph Se&ttings...", "Change the graph settings...",
         "Change the graph settings..."},
    };
    for (const Case& c : cases) {
        const QAction* action = Find<QAction>(window, c.action);
        EXPECT_EQ(action->text(), c.caption);
        EXPECT_EQ(action->toolTip(), c.tip);
        EXPECT_EQ(action->statusTip(), c.status);
    }
    // The active page is the first chart page: it has graph settings, and
    // (until it saves and copies its chart) no save or copy.
    for (const char* name : {"actSave", "actCopy"})
        EXPECT_FALSE(Find<QAction>(window, name)->isEnabled()) << name;
    EXPECT_TRUE(Find<QAction>(window, "actSettings")->isEnabled());
}

TEST_F(MainWindow, ConfirmationAnswersDecideTheClose) {
    // Only the time-out case may end by the time-out; the others would hang
    // for a minute if their answer did not end the wait.
    struct Case {
        const char* name;
        std::function<void(TfrmExitConfirm&)> answer;
        int timeOutMs;
        bool closes;
    } cases[] = {
        {"ok", [](TfrmExitConfirm& d) { QTimer::singleShot(0, d.btnOK, &QPushButton::click); },
         60000, true},
        {"cancel",
         [](TfrmExitConfirm& d) { QTimer::singleShot(0, d.btnCancel, &QPushButton::click); }, 60000,
         false},
        {"time-out", [](TfrmExitConfirm&) {}, 20, false},
        {"escape", [](TfrmExitConfirm& d) { QTimer::singleShot(0, &d, &QDialog::reject); }, 60000,
         false},
        // Gone without an answer, as when the window manager closes it.
        {"hidden", [](TfrmExitConfirm& d) { QTimer::singleShot(0, &d, &QWidget::hide); }, 60000,
         false},
        {"closed", [](TfrmExitConfirm& d) { QTimer::singleShot(0, &d, &QWidget::close); }, 60000,
         false},
    };
    for (const Case& c : cases) {
        TStartOptions o = Options();
        o.ConfirmTimeOutMs = c.timeOutMs;
        TfrmQXZuz window(o);
        window.show();
        window.OnConfirmShown = c.answer;
        EXPECT_EQ(window.close(), c.closes) << c.name;
        EXPECT_EQ(window.isVisible(), !c.closes) << c.name;
        EXPECT_FALSE(window.ConfirmInProgress);
    }
}

TEST_F(MainWindow, SecondCloseWhileConfirmingIsRefusedWithoutASecondDialog) {
    TfrmQXZuz window(Options());
    window.show();
    int dialogs = 0;
    bool secondClose = true;
    window.OnConfirmShown = [&](TfrmExitConfirm& d) {
        ++dialogs;
        QTimer::singleShot(0, &window, [&] {
            window.close();
            secondClose = window.ConfirmExit();
            d.btnCancel->click();
        });
    };
    EXPECT_FALSE(window.close());
    EXPECT_FALSE(secondClose);
    EXPECT_EQ(dialogs, 1);
}

TEST_F(MainWindow, ShutdownRequestSkipsTheConfirmation) {
    TfrmQXZuz window(Options());
    window.show();
    int dialogs = 0;
    window.OnConfirmShown = [&](TfrmExitConfirm&) { ++dialogs; };
    window.ShutdownRequested = true;
    EXPECT_TRUE(window.close());
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(window.windowTitle(), "*** Shutting Down QX RIRovozer ... Please Wait ***");
}

// A stop signal while the exit confirmation shows answers it: the window
// closes and the workspace is saved. Signals before and after still count.
TEST_F(MainWindow, StopSignalWhileConfirmingEndsTheProgramWithTheWorkspaceSaved) {
    for (const int signal : {SIGTERM, SIGINT}) {
        QFile::remove(Options().WorkspaceFileName);
        TStartOptions o = Options();
        o.ConfirmTimeOutMs = 5000;  // a signal that is not acted on fails soon
        TfrmQXZuz window(o);
        TStopSignals stopSignals(window);
        window.show();
        int dialogs = 0;
        window.OnConfirmShown = [&](TfrmExitConfirm&) {
            ++dialogs;
            // Twice: a refused close would have swallowed the first.
            QTimer::singleShot(0, [signal] { ::raise(signal); });
            QTimer::singleShot(0, [signal] { ::raise(signal); });
        };
        EXPECT_TRUE(window.close()) << signal;  // the operator's Exit
        EXPECT_EQ(dialogs, 1);
        EXPECT_FALSE(window.isVisible());
        EXPECT_TRUE(QFile::exists(Options().WorkspaceFileName));
        QCoreApplication::processEvents();  // the second signal finds a closed window

        // A window still open when the signal comes closes without asking.
        QFile::remove(Options().WorkspaceFileName);
        window.show();
        ::raise(signal);
        for (int i = 0; i < 100 && window.isVisible(); ++i)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(dialogs, 1);
        EXPECT_TRUE(QFile::exists(Options().WorkspaceFileName));
    }
}

TEST(AboutBox, VersionLineTakesTheBuildAfterTheThirdDot) {
    struct Case {
        const char* product;
        const char* file;
        const char* line;
    } cases[] = {
        {"2.1", "2.1.0.57", "Version 2.1 (Build 57)"},
        {"2.1", "2.1.0", "Version 2.1 (Build )"},
        {"1.0", "1.0.0.3.4", "Version 1.0 (Build 3.4)"},
    };
    for (const Case& c : cases) EXPECT_EQ(VersionLine(c.product, c.file), c.line);
    TfmAbout about("2.1", "2.1.0.57");
    EXPECT_EQ(about.windowTitle(), "About QX RIRovozer");
    EXPECT_EQ(about.PartNumberLabel->text(), "XXXX-XXXX");
}

TEST(HelpWindow, OpensIndexContentsAndContextTopics) {
    QTemporaryDir dir;
    for (const char* page : {"index.html", "contents.html", "topic7.html"}) {
        QFile f(dir.filePath(page));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("<html><body>") + page + "</body></html>");
    }
    THelpWindow help(dir.path());
    help.ShowContents();
    EXPECT_EQ(help.CurrentPage(), "contents.html");
    help.ShowContext(7);
    EXPECT_EQ(help.CurrentPage(), "topic7.html");
    help.ShowContext(99);
    EXPECT_EQ(help.CurrentPage(), "index.html");
}

}  // namespace
}  // namespace qx
