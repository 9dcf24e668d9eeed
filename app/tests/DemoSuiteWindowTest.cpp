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
#include <QDBusServiceWatcher>
#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>

#include "app/ExitConfirm.h"
#include "app/Main.h"
#include "app/tests/FindControl.h"
#include "chart/Chart.h"
#include "pages/ChartTab.h"
#include "pages/ListModel.h"
#include "pages/ListPageCore.h"
#include "pages/ListTab.h"
#include "protocol/SuiteProtocol.h"
#include "shell/StatusPanel.h"
#include "system/QtText.h"

namespace qx {
namespace {

using test::Find;

// Handles events until done() holds, checking it after each batch; sleeps
// only while no event arrives (a bus message, a process's output, a timer).
bool WaitFor(const std::function<bool()>& done, int ms = 15000) {
    const QDeadlineTimer deadline(ms);
    QTimer wake;  // ends the last wait at the deadline
    wake.setSingleShot(true);
    wake.start(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Delivers what is already posted (layouts, resizes, repaints).
void Settle() {
    QApplication::sendPostedEvents();
    QApplication::processEvents();
}

class DemoSuiteWindow : public testing::Test {
protected:
    void SetUp() override {
        // The test's own session bus; the suite the window starts inherits it.
        bus_ = std::make_unique<QDBusConnection>(QDBusConnection::sessionBus());
        ASSERT_TRUE(bus_->isConnected()) << "no session bus: the test runs inside one of its own";
    }

    void TearDown() override {
        window_.reset();
        if (bus_) {
            // The suite's bus name goes when it has ended.
            const QString name = ToQString(suite::SetupServer.BusName);
            QDBusServiceWatcher watcher(name, *bus_, QDBusServiceWatcher::WatchForUnregistration);
            bool gone = false;
            QObject::connect(&watcher, &QDBusServiceWatcher::serviceUnregistered,
                             [&] { gone = true; });
            QDBusInterface control(name, ToQString(suite::ControlPath),
                                   ToQString(suite::ControlInterface), *bus_);
            control.call("Quit");
            WaitFor([&] { return gone || !bus_->interface()->isServiceRegistered(name).value(); },
                    5000);
            bus_.reset();
        }
    }

    TfrmQXZuz& Start() {
        QFile::copy(QX_DEMO_WORKSPACE, dir_.filePath("qx.QFG"));
        QFile::setPermissions(dir_.filePath("qx.QFG"), QFile::ReadOwner | QFile::WriteOwner);
        TStartOptions o;
        o.WorkspaceFileName = dir_.filePath("qx.QFG");
        o.HomeDirectory = QX_HOME;
        o.Link.emplace();
        o.Link->LocalBus = *bus_;
        o.Link->Clock = clock_;
        o.ErrorDialog = [this](const QString& text) { errors_ << text; };
        window_ = std::make_unique<TfrmQXZuz>(o);
        window_->OnConfirmShown = [](TfrmExitConfirm& d) { d.ExitResult = TfrmExitConfirm::Ok; };
        return *window_;
    }

    std::string Status() {
        return Find<QPlainTextEdit>(*window_, "memStatus")->toPlainText().toStdString();
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

    std::unique_ptr<QDBusConnection> bus_;
    HealthClock clock_;
    QTemporaryDir dir_;
    QStringList errors_;
    std::unique_ptr<TfrmQXZuz> window_;
};

TEST_F(DemoSuiteWindow, StartsTheSuiteFillsThePickerAndShowsLiveReadings) {
    TfrmQXZuz& w = Start();
    EXPECT_EQ(w.windowTitle(), "QX RIRovozer (local)");
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join('\n').toStdString();
    EXPECT_NE(Status().find("Ready.."), std::string::npos) << Status();
    auto* stations = Find<QComboBox>(w, "cbxStations");
    auto* table = Find<QTreeWidget>(w, "lstSensors");
    ASSERT_EQ(stations->count(), 3);
    EXPECT_EQ(stations->itemText(0), "WX1");
    EXPECT_EQ(table->topLevelItemCount(), 5);
    EXPECT_EQ(Find<QComboBox>(w, "cbxSensors")->currentText(), "AIR");

    // The list pages fetched their sensors' current values while loading.
    const TListPageCore& weather = ListCore(0);
    ASSERT_EQ(weather.RowCount(), 5);
    EXPECT_FALSE(weather.Row(0).Value.empty());

    // A reading raised by the RTU server reaches its row.
    Control("Emit", {"rtu", "$REALTIME", "05/12/2009 10:15:00,WX1.AIR,99.5"});
    ASSERT_TRUE(WaitFor([&] { return weather.Row(0).Value == "99.5"; }));
    EXPECT_EQ(weather.Row(0).Time, "05/12/2009 10:15:00");

    // Choosing another station refills the sensors.
    stations->setCurrentIndex(2);
    emit stations->activated(2);
    EXPECT_EQ(table->topLevelItemCount(), 4);

    const QString shot = qEnvironmentVariable("QX_SCREENSHOT");
    if (!shot.isEmpty()) {
        w.resize(800, 560);
        w.show();
        Find<QTabWidget>(w, "pgData")->setCurrentIndex(0);
        Find<QAction>(w, "ShowStatus")->trigger();
        Settle();
        EXPECT_TRUE(w.grab().save(shot));
        // The sensor table of the list mode as well.
        w.btnMoreLessClick();
        Settle();
        QString listShot = shot;
        listShot.insert(listShot.lastIndexOf('.'), "-list");
        EXPECT_TRUE(w.grab().save(listShot));
    }
}

// The demo workspace's chart pages draw the suite's readings as they come.
TEST_F(DemoSuiteWindow, ChartPagesDrawTheLiveReadings) {
    TfrmQXZuz& w = Start();
    auto* weather = dynamic_cast<TfrmChartTab*>(w.Page(3));
    auto* river = dynamic_cast<TfrmChartTab*>(w.Page(4));
    ASSERT_NE(weather, nullptr);
    ASSERT_NE(river, nullptr);
    EXPECT_TRUE(weather->HasSensor("WX1", "AIR"));
    EXPECT_TRUE(river->HasSensor("RIVER1", "FLOW"));
    EXPECT_TRUE(weather->timerRefresh().isActive());
    // Live readings arrive in the window that ends now.
    ASSERT_TRUE(WaitFor([&] { return weather->Chart().Series(0).Count() >= 2; }, 30000));
    ASSERT_TRUE(WaitFor([&] { return river->Chart().Series(0).Count() >= 1; }, 30000));
    const TChartAxis& time = weather->Chart().BottomAxis();
    EXPECT_LE(time.Minimum(), weather->Chart().Series(0).FirstX());
    EXPECT_GE(time.Maximum(), weather->Chart().Series(0).LastX());

    const QString shot = qEnvironmentVariable("QX_SCREENSHOT");
    if (!shot.isEmpty()) {
        w.resize(900, 600);
        w.show();
        Find<QTabWidget>(w, "pgData")->setCurrentIndex(3);
        Settle();
        QString chartShot = shot;
        chartShot.insert(chartShot.lastIndexOf('.'), "-chart");
        EXPECT_TRUE(w.grab().save(chartShot));
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

// The setup server's shutdown while the exit confirmation shows ends the
// program at once instead of waiting for the operator's answer.
TEST_F(DemoSuiteWindow, SetupShutdownAnswersAShowingConfirmation) {
    TfrmQXZuz& w = Start();
    ASSERT_NE(Status().find("Ready.."), std::string::npos) << Status();
    w.show();
    int asked = 0;
    w.OnConfirmShown = [&](TfrmExitConfirm&) {
        ++asked;
        QTimer::singleShot(0, [&] { Control("Shutdown", {"setup"}); });
    };
    EXPECT_TRUE(w.close());
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(w.ShutdownRequested);
    EXPECT_TRUE(QFile::exists(dir_.filePath("qx.QFG")));
    Settle();  // nothing asks again
    EXPECT_EQ(asked, 1);
}

// The status bar's server indicator through its three states, and the rows
// of a server that went away greyed until it is back.
TEST_F(DemoSuiteWindow, TheServerIndicatorShowsAttachedLostAndNotRunning) {
    clock_ = [] { return EncodeDateTime({2026, 12, 10, 13, 20, 59}); };
    TfrmQXZuz& w = Start();
    auto* setup = Find<QLabel>(w, "lblSetupServer");
    auto* rtu = Find<QLabel>(w, "lblRtuServer");
    auto* zoviz = Find<QLabel>(w, "lblZOVizServer");
    auto* bar = Find<QStatusBar>(w, "StatusBar");
    EXPECT_TRUE(bar->isAncestorOf(rtu));
    EXPECT_EQ(setup->text(), "Setup: attached");
    EXPECT_EQ(rtu->text(), "Rtu: attached");
    EXPECT_EQ(rtu->accessibleName(), "QX Rtu server: attached");
    EXPECT_EQ(Find<QLabel>(w, "lblDecodeServer")->text(), "Decode: attached");
    EXPECT_EQ(zoviz->text(), "ZOViz: attached");

    // Pictures of the status bar in each state, one under the other.
    const QString shot = qEnvironmentVariable("QX_SCREENSHOT");
    std::vector<QPixmap> shots;
    auto snap = [&] {
        if (shot.isEmpty()) return;
        Settle();
        shots.push_back(bar->grab());
    };
    if (!shot.isEmpty()) {
        w.resize(900, 500);
        w.show();
    }
    snap();

    const TListPageCore& weather = ListCore(0);
    const QModelIndex air = dynamic_cast<TfrmListTab&>(*w.Page(0)).Model()->index(0, ColValue);
    // The river gauge's level comes from the decode server.
    Control("Emit", {"decode", "$GOESTIMED", "05/12/2009 10:15:00,RIVER1.LEVEL,3.55"});
    ASSERT_TRUE(WaitFor([&] { return ListCore(1).Row(0).Value == "3.55"; }));
    Control("SetAbsent", {"rtu", true});
    ASSERT_TRUE(WaitFor([&] { return rtu->text() == "Rtu: lost since 13:20:59"; }))
        << rtu->text().toStdString();
    EXPECT_EQ(rtu->accessibleName(), "QX Rtu server: lost since 13:20:59");
    EXPECT_NE(rtu->toolTip().indexOf("left the bus at 13:20:59 on 12/10/2026"), -1)
        << rtu->toolTip().toStdString();
    EXPECT_NE(Status().find("Error 1100: The QX Rtu server has gone away."), std::string::npos)
        << Status();
    EXPECT_TRUE(weather.Row(0).Stale);
    EXPECT_TRUE(air.data(Qt::ForegroundRole).isValid());
    EXPECT_FALSE(ListCore(1).Row(0).Stale);
    if (!shot.isEmpty()) {
        // The whole window too, with the weather station's rows greyed.
        Find<QTabWidget>(w, "pgData")->setCurrentIndex(0);
        Settle();
        QString windowShot = shot;
        windowShot.insert(windowShot.lastIndexOf('.'), "-window");
        EXPECT_TRUE(w.grab().save(windowShot));
    }

    Control("Shutdown", {"mbrtu"});
    ASSERT_TRUE(WaitFor([&] { return zoviz->text() == "ZOViz: not running"; }))
        << zoviz->text().toStdString();
    EXPECT_FALSE(zoviz->toolTip().isEmpty());
    snap();

    Control("SetAbsent", {"rtu", false});
    ASSERT_TRUE(WaitFor([&] { return rtu->text() == "Rtu: attached"; }));
    EXPECT_NE(Status().find("The QX Rtu server is back: attached and subscribed again."),
              std::string::npos);
    // A new reading makes the row current again.
    Control("Emit", {"rtu", "$REALTIME", "05/12/2009 10:15:00,WX1.AIR,21.5"});
    ASSERT_TRUE(WaitFor([&] { return !weather.Row(0).Stale; }));
    EXPECT_FALSE(air.data(Qt::ForegroundRole).isValid());
    snap();
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join('\n').toStdString();

    if (!shot.isEmpty()) {
        int height = 0;
        int width = 0;
        for (const QPixmap& p : shots) {
            height += p.height();
            width = std::max(width, p.width());
        }
        QImage sheet(width, height, QImage::Format_ARGB32);
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        int y = 0;
        for (const QPixmap& p : shots) {
            painter.drawPixmap(0, y, p);
            y += p.height();
        }
        painter.end();
        EXPECT_TRUE(sheet.save(shot));
    }
}

}  // namespace
}  // namespace qx
