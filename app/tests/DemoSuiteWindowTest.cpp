// The program against the demo suite on a private bus: the window starts the
// suite itself, fills the picker, and readings reach its list pages.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeWidget>

#include <functional>
#include <memory>

#include "app/ExitConfirm.h"
#include "app/Main.h"
#include "pages/ListModel.h"
#include "pages/ListPageCore.h"
#include "pages/ListTab.h"
#include "protocol/SuiteProtocol.h"
#include "shell/StatusPanel.h"
#include "system/QtText.h"

namespace qx {
namespace {

bool WaitFor(const std::function<bool()>& done, int ms = 15000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}


class DemoSuiteWindow : public testing::Test {
protected:
    void SetUp() override {
        daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
        if (!daemon_.waitForStarted(5000)) GTEST_SKIP() << "no dbus-daemon";
        ASSERT_TRUE(WaitFor([&] { return daemon_.canReadLine(); }, 5000));
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        // The suite the window starts inherits this bus.
        qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
        bus_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address_, "demo-window"));
        ASSERT_TRUE(bus_->isConnected());
    }

    void TearDown() override {
        window_.reset();
        if (bus_) {
            QDBusInterface control(ToQString(suite::SetupServer.BusName), ToQString(suite::ControlPath),
                                   ToQString(suite::ControlInterface), *bus_);
            control.call("Quit");
            WaitFor(
                [&] {
                    return !bus_->interface()
                                ->isServiceRegistered(ToQString(suite::SetupServer.BusName))
                                .value();
                },
                5000);
            bus_.reset();
            QDBusConnection::disconnectFromBus("demo-window");
        }
        daemon_.terminate();
        if (!daemon_.waitForFinished(3000)) daemon_.kill();
    }

    TfrmQXZuz& Start() {
        QFile::copy(QX_DEMO_WORKSPACE, dir_.filePath("qx.QFG"));
        QFile::setPermissions(dir_.filePath("qx.QFG"), QFile::ReadOwner | QFile::WriteOwner);
        TStartOptions o;
        o.WorkspaceFileName = dir_.filePath("qx.QFG");
        o.HomeDirectory = QX_HOME;
        o.Link.emplace();
        o.Link->LocalBus = *bus_;
        o.ErrorDialog = [this](const QString& text) { errors_ << text; };
        window_ = std::make_unique<TfrmQXZuz>(o);
        window_->OnConfirmShown = [](TfrmExitConfirm& d) { d.ExitResult = TfrmExitConfirm::Ok; };
        return *window_;
    }

    std::string Status() {
        auto* memo = window_->pnlStatus->findChild<QPlainTextEdit*>("memStatus");
        return memo ? memo->toPlainText().toStdString() : std::string();
    }

    const TListPageCore& ListCore(int page) {
        return dynamic_cast<TfrmListTab&>(*window_->Page(page)).Model()->Core();
    }

    void Control(const char* method, const QVariantList& args) {
        QDBusInterface control(ToQString(suite::SetupServer.BusName), ToQString(suite::ControlPath),
                               ToQString(suite::ControlInterface), *bus_);
        const QDBusMessage reply = control.callWithArgumentList(QDBus::Block, method, args);
        ASSERT_NE(reply.type(), QDBusMessage::ErrorMessage) << reply.errorMessage().toStdString();
    }

    QProcess daemon_;
    QString address_;
    std::unique_ptr<QDBusConnection> bus_;
    QTemporaryDir dir_;
    QStringList errors_;
    std::unique_ptr<TfrmQXZuz> window_;
};

TEST_F(DemoSuiteWindow, StartsTheSuiteFillsThePickerAndShowsLiveReadings) {
    TfrmQXZuz& w = Start();
    EXPECT_EQ(w.windowTitle(), "QX RIRovozer (local)");
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join('\n').toStdString();
    EXPECT_NE(Status().find("Ready.."), std::string::npos) << Status();
    ASSERT_EQ(w.cbxStations->count(), 3);
    EXPECT_EQ(w.cbxStations->itemText(0), "WX1");
    EXPECT_EQ(w.lstSensors->topLevelItemCount(), 5);
    EXPECT_EQ(w.cbxSensors->currentText(), "AIR");

    // The list pages fetched their sensors' current values while loading.
    const TListPageCore& weather = ListCore(0);
    ASSERT_EQ(weather.RowCount(), 5);
    EXPECT_FALSE(weather.Row(0).Value.empty());

    // A reading raised by the RTU server reaches its row.
    Control("Emit", {"rtu", "$REALTIME", "05/12/2009 10:15:00,WX1.AIR,99.5"});
    ASSERT_TRUE(WaitFor([&] { return weather.Row(0).Value == "99.5"; }));
    EXPECT_EQ(weather.Row(0).Time, "05/12/2009 10:15:00");

    // Choosing another station refills the sensors.
    w.cbxStations->setCurrentIndex(2);
    emit w.cbxStations->activated(2);
    EXPECT_EQ(w.lstSensors->topLevelItemCount(), 4);

    const QString shot = qEnvironmentVariable("QX_SCREENSHOT");
    if (!shot.isEmpty()) {
        w.resize(800, 560);
        w.show();
        w.pgData->setCurrentIndex(0);
        w.ShowStatus->trigger();
        WaitFor([&] { return false; }, 300);
        EXPECT_TRUE(w.grab().save(shot));
        // The sensor table of the list mode as well.
        w.btnMoreLessClick();
        WaitFor([&] { return false; }, 200);
        QString listShot = shot;
        listShot.insert(listShot.lastIndexOf('.'), "-list");
        EXPECT_TRUE(w.grab().save(listShot));
    }
}

TEST_F(DemoSuiteWindow, RefreshAndServerShutdownEvents) {
    TfrmQXZuz& w = Start();
    ASSERT_NE(Status().find("Ready.."), std::string::npos) << Status();
    Control("Refresh", {"{00000000-0000-0000-0000-000000000001}"});
    ASSERT_TRUE(
        WaitFor([&] { return Status().find("Refresh command received") != std::string::npos; }));
    ASSERT_TRUE(WaitFor([&] { return w.windowTitle() == "QX RIRovozer (local)"; }));

    Control("Shutdown", {"rtu"});
    ASSERT_TRUE(WaitFor(
        [&] { return Status().find("QX Rtu shutdown command received") != std::string::npos; }));
    // The program goes on; a setup shutdown closes it without asking.
    bool asked = false;
    w.OnConfirmShown = [&](TfrmExitConfirm& d) {
        asked = true;
        d.ExitResult = TfrmExitConfirm::Cancel;
    };
    w.show();
    Control("Shutdown", {"setup"});
    ASSERT_TRUE(WaitFor([&] { return !w.isVisible(); }));
    EXPECT_FALSE(asked);
    EXPECT_TRUE(w.ShutdownRequested);
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join('\n').toStdString();
}

}  // namespace
}  // namespace qx
