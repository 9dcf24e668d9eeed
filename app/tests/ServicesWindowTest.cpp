// The window with the program's services on the test's session bus: the
// desktop service's name lives as long as the window, its conversations end
// when the window is asked to close, the automation server's question comes
// last, and Restore() brings a minimised window back. The clients are
// qxservices processes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/ExitConfirm.h"
#include "app/Main.h"
#include "services/AutomationServer.h"
#include "services/CloseWarning.h"
#include "services/DesktopService.h"
#include "services/tests/ClientProcess.h"

namespace qx {
namespace {

using services::TClientProcess;

bool NameOwned(const QString& name) {
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(name).value();
}

class ServicesWindow : public testing::Test {
protected:
    TStartOptions Options() {
        TStartOptions o;
        o.WorkspaceFileName = dir.filePath("qxrirovozer.QFG");
        o.HomeDirectory = dir.path() + "/";
        o.ServiceBus = QDBusConnection::sessionBus();
        o.Automation = &automation;
        o.ErrorDialog = [](const QString& text) { ADD_FAILURE() << text.toStdString(); };
        return o;
    }
    QTemporaryDir dir;
    services::TAutomationServer automation{QDBusConnection::sessionBus()};
};

TEST_F(ServicesWindow, TheDesktopNameLivesAsLongAsTheWindow) {
    EXPECT_FALSE(NameOwned("QXZev.Service"));
    auto window = std::make_unique<TfrmQXZuz>(Options());
    EXPECT_TRUE(NameOwned("QXZev.Service"));
    window->ShutdownRequested = true;
    EXPECT_TRUE(window->close());
    // Closed is not destroyed: the name stays until then.
    EXPECT_TRUE(NameOwned("QXZev.Service"));
    window.reset();
    EXPECT_FALSE(NameOwned("QXZev.Service"));
}

TEST_F(ServicesWindow, ConversationsEndWhenTheWindowIsAskedToClose) {
    TfrmQXZuz window(Options());
    window.show();
    TClientProcess client({"converse", "System"});
    ASSERT_TRUE(client.Start()) << client.Errors().toStdString();
    // A refused close ends nothing.
    window.OnConfirmShown = [](TfrmExitConfirm& dialog) { dialog.btnCancel->click(); };
    EXPECT_FALSE(window.close());
    EXPECT_EQ(window.DesktopService()->ConversationCount(), 1u);

    window.ShutdownRequested = true;
    EXPECT_TRUE(window.close());
    EXPECT_EQ(window.DesktopService()->ConversationCount(), 0u);
    ASSERT_TRUE(client.WaitForExit()) << client.Lines().join('\n').toStdString();
    EXPECT_EQ(client.Lines().last(), "disconnected 1");
    EXPECT_EQ(client.Process().exitCode(), 0);
}

TEST_F(ServicesWindow, TheServerAsksLastWhenClientsStillHoldObjects) {
    ASSERT_TRUE(automation.Start());
    TfrmQXZuz window(Options());
    window.show();
    window.ShutdownRequested = true;
    TClientProcess holder({"watch"});
    ASSERT_TRUE(holder.Start()) << holder.Errors().toStdString();
    TClientProcess conversation({"converse"});
    ASSERT_TRUE(conversation.Start()) << conversation.Errors().toStdString();

    int asked = 0;
    QMessageBox::StandardButton answer = QMessageBox::No;
    window.RunServerWarning = [&](QMessageBox& box) {
        ++asked;
        EXPECT_EQ(box.windowTitle(), "COM Server Warning");
        EXPECT_EQ(box.text(), services::CloseWarningText);
        EXPECT_TRUE(box.text().endsWith(
            "client application(s) to fail.\n\nAre you sure you want to close this application?"));
        EXPECT_EQ(box.icon(), QMessageBox::Warning);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::No));
        EXPECT_EQ(box.windowModality(), Qt::ApplicationModal);
        // Asked after every other shutdown step.
        EXPECT_EQ(window.DesktopService()->ConversationCount(), 0u);
        EXPECT_TRUE(QFile::exists(window.WorkspaceFile.FileName().c_str()));
        if (const QString shot = qEnvironmentVariable("QX_SCREENSHOT"); !shot.isEmpty()) {
            box.show();
            QApplication::processEvents();
            EXPECT_TRUE(box.grab().save(shot));
        }
        return answer;
    };

    // No keeps the program running with its window open.
    EXPECT_FALSE(window.close());
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "QX RIRovozer");
    EXPECT_TRUE(NameOwned("QXZev.Service"));

    answer = QMessageBox::Yes;
    EXPECT_TRUE(window.close());
    EXPECT_EQ(asked, 2);

    // Once the client has let go, nobody is asked.
    holder.Kill();
    ASSERT_TRUE(QTest::qWaitFor([&] { return automation.ObjectCount() == 0; }, 10000));
    window.show();
    EXPECT_TRUE(window.close());
    EXPECT_EQ(asked, 2);
}

TEST_F(ServicesWindow, RestoreBringsAMinimisedWindowBackAsItWas) {
    for (const bool maximised : {false, true}) {
        TfrmQXZuz window(Options());
        if (maximised)
            window.showMaximized();
        else
            window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.showMinimized();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.isMinimized(); }, 5000));

        TClientProcess restore({"restore"});
        ASSERT_TRUE(restore.Run()) << restore.Errors().toStdString();
        EXPECT_EQ(restore.Process().exitCode(), 0) << restore.Errors().toStdString();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isMinimized(); }, 5000)) << maximised;
        EXPECT_EQ(window.isMaximized(), maximised);
        EXPECT_TRUE(window.isVisible());
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window)) << maximised;
        window.ShutdownRequested = true;
    }
}

}  // namespace
}  // namespace qx
