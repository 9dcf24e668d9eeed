// The server link against the demo suite qxsetup, each test on a private
// session bus of its own.
#include <gtest/gtest.h>

#include <sys/types.h>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>

#include "protocol/Identifiers.h"
#include "serverlink/tests/LinkTestSupport.h"
#include "system/QtText.h"
#include "testsupport/PrivateBus.h"

namespace qx {
namespace {

using suite::TServer;

// Fast readings on every server: WX1 on the RTU server with an alarm
// companion tagged AIRALM, RIVER1 on the decode server, PUMP1 on the Modbus
// RTU server.
const char* const FastSuite =
    "[Suite]\nStations=WX1,RIVER1,PUMP1\nTimeTag=0\nSeed=1\n%1\n"
    "[General]\n%2\n"
    "[Station WX1]\nServer=rtu\nInterval=0.05\nSensors=AIR\n"
    "[Sensor WX1.AIR]\nValue=12.5\nDecimals=1\nAlarm=yes\nAlarmTag=AIRALM\n"
    "[Station RIVER1]\nServer=decode\nInterval=0.05\nSensors=LEVEL\n"
    "[Sensor RIVER1.LEVEL]\nValue=3.4\n"
    "[Station PUMP1]\nServer=mbrtu\nInterval=0.05\nSensors=RPM\n"
    "[Sensor PUMP1.RPM]\nValue=1200\nDecimals=0\n";

class DemoSuiteTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(bus.isConnected());
        options.HomeDirectory = QX_HOME;
        options.Wait = [](std::chrono::milliseconds time) {
            QTest::qWait(
                static_cast<int>(std::min<std::chrono::milliseconds::rep>(time.count(), 200)));
        };
    }

    void TearDown() override {
        // Whatever suite still runs is asked to quit, and made to.
        for (const QDBusConnection& on : {bus, remote}) {
            if (!on.isConnected() || !Owned(on, suite::SetupServer)) continue;
            const QDBusReply<uint> pid =
                on.interface()->servicePid(ToQString(suite::SetupServer.BusName));
            Control(on, "Quit", {});
            if (!WaitFor([&] { return !Owned(on, suite::SetupServer); }, 3000) && pid.isValid())
                ::kill(static_cast<pid_t>(pid.value()), SIGKILL);
        }
        if (suiteProcess.state() != QProcess::NotRunning && !suiteProcess.waitForFinished(3000)) {
            suiteProcess.kill();
            suiteProcess.waitForFinished(3000);
        }
        link.reset();
        if (remote.isConnected()) QDBusConnection::disconnectFromBus(remote.name());
        remoteBus.Stop();
    }

    TServerLink& Link() {
        if (!link) link = std::make_unique<TServerLink>(host, pages, options);
        return *link;
    }
    LogPage& page() { return *pages.page; }

    // Starts qxsetup with the fast suite on the bus and waits for its names.
    void StartSuite(const QString& suiteKeys = QString(), const QString& generalKeys = QString(),
                    const QString& address = QString()) {
        const QString file = dir.filePath("fast.suite");
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(QString(FastSuite).arg(suiteKeys, generalKeys).toUtf8());
        out.close();
        QStringList args{"--suite", file, "--setup-load-delay", "0"};
        if (!address.isEmpty()) args << "--bus" << address;
        suiteProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        suiteProcess.start(QX_SETUP_EXE, args);
        ASSERT_TRUE(suiteProcess.waitForStarted());
        const QDBusConnection& on = address.isEmpty() ? bus : remote;
        ASSERT_TRUE(
            WaitFor([&] { return Owned(on, suite::SetupServer) && Owned(on, suite::RtuServer); }));
    }

    static bool Owned(const QDBusConnection& on, const suite::TServerNames& server) {
        return on.interface()->isServiceRegistered(ToQString(server.BusName)).value();
    }

    static QDBusMessage Control(const QDBusConnection& on, const char* method,
                                const QVariantList& args) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            ToQString(suite::SetupServer.BusName), ToQString(suite::ControlPath),
            ToQString(suite::ControlInterface), method);
        call.setArguments(args);
        return on.call(call, QDBus::Block, 5000);
    }
    QDBusMessage Control(const char* method, const QVariantList& args) {
        return Control(bus, method, args);
    }

    bool Logged(const std::string& prefix) {
        for (const std::string& line : page().log) {
            if (line.rfind(prefix, 0) == 0) return true;
        }
        return false;
    }
    bool Arrives(const std::string& prefix) {
        return WaitFor([&] { return Logged(prefix); });
    }
    // Nothing of the kind has come by the time everything the suite sent so
    // far has been delivered.
    bool NothingArrives(const std::string& prefix, const QDBusConnection& on) {
        EXPECT_TRUE(Flush(on, ToQString(suite::SetupServer.BusName)));
        return !Logged(prefix);
    }
    bool NothingArrives(const std::string& prefix) { return NothingArrives(prefix, bus); }

    QTemporaryDir dir;
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusConnection remote{QString()};
    QProcess suiteProcess;
    TPrivateBus remoteBus{TPrivateBus::TKind::Tcp};
    FakeHost host;
    OnePage pages;
    TServerLinkOptions options;
    std::unique_ptr<TServerLink> link;
};

TEST_F(DemoSuiteTest, TheSequenceStartsTheDemoSuiteFromTheHomeDirectoryAndShowsItsData) {
    ASSERT_FALSE(Owned(bus, suite::SetupServer));
    Link().FileReset1Execute();
    EXPECT_EQ(host.messages, (Strings{Retrieving, "Ready.."}));
    EXPECT_TRUE(host.dialogs.empty());
    EXPECT_EQ(host.caption, "QX RIRovozer (local)");
    EXPECT_EQ(host.picker.stations, (Strings{"WX1", "RIVER1", "PUMP1"}));
    ASSERT_FALSE(host.picker.rows.empty());
    EXPECT_EQ(host.picker.rows[0], "AIR|AT|Yes|No|X*0.01-40|1");

    ASSERT_EQ(
        Control("Emit", {"rtu", "$REALTIME", "05/12/2009 10:15:00,ST1.AIR,12.5,ST1.BATT,13.1"})
            .type(),
        QDBusMessage::ReplyMessage);
    ASSERT_TRUE(Arrives("ST1.BATT=13.1 $REALTIME"));
    EXPECT_TRUE(page().Has("ST1.AIR=12.5 $REALTIME"));
}

TEST_F(DemoSuiteTest, GeneratedReadingsOfEveryServerArriveForTheSubscribedTypes) {
    StartSuite();
    Link().FileReset1Execute();
    ASSERT_EQ(host.messages, (Strings{Retrieving, "Ready.."}));
    // The suite sends only what was registered: the readings prove the subscriptions.
    EXPECT_TRUE(Arrives("WX1.AIR=12.5 $REALTIME"));
    EXPECT_TRUE(Arrives("RIVER1.LEVEL=3.40 $GOESTIMED"));
    EXPECT_TRUE(Arrives("PUMP1.RPM=1200 $REALTIME"));
    // The alarm companion AIRALM:2 belongs to AIR, as the suite's TAGINFO says.
    EXPECT_TRUE(Arrives("alarm WX1.AIR="));

    std::string answer;
    EXPECT_TRUE(Link().QueryCurrentData(TCurrentDataServer::Rtu, "WX1.$REALTIME", answer));
    EXPECT_NE(answer.find("WX1.AIR,12.5"), std::string::npos) << answer;
}

TEST_F(DemoSuiteTest, ASuiteRefreshRerunsTheSequenceAndOneSentWithTheOwnIdDoesNot) {
    StartSuite();
    Link().FileReset1Execute();
    host.messages.clear();
    ASSERT_EQ(Control("Refresh", {ToQString(IID_IQXRTDCom)}).type(), QDBusMessage::ReplyMessage);
    ASSERT_EQ(Control("Refresh", {""}).type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(WaitFor([&] { return host.Count("Ready..") == 1; }));
    // A second sequence would have begun by the time both refresh events,
    // and what handling them queued, are through.
    ASSERT_TRUE(Flush(bus, ToQString(suite::SetupServer.BusName)));
    ASSERT_TRUE(Flush(bus, ToQString(suite::SetupServer.BusName)));
    EXPECT_EQ(host.messages, (Strings{"Refresh command received", Retrieving, "Ready.."}));
    page().log.clear();
    EXPECT_TRUE(Arrives("WX1.AIR=12.5 $REALTIME"));
}

TEST_F(DemoSuiteTest, AnRtuShutdownClosesOnlyTheRtuLink) {
    StartSuite();
    Link().FileReset1Execute();
    ASSERT_TRUE(Arrives("WX1.AIR=12.5 $REALTIME"));
    ASSERT_EQ(Control("Shutdown", {"rtu"}).type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(WaitFor([&] { return host.Count("QX Rtu shutdown command received") == 1; }));
    EXPECT_FALSE(Link().Connection(TServer::Rtu).Attached());
    page().log.clear();
    EXPECT_TRUE(Arrives("RIVER1.LEVEL=3.40 $GOESTIMED"));
    EXPECT_TRUE(Arrives("PUMP1.RPM=1200 $REALTIME"));
    EXPECT_TRUE(NothingArrives("WX1.AIR="));
}

TEST_F(DemoSuiteTest, WithTheRtuServerDisabledItGetsNoSinkThoughItRuns) {
    StartSuite("Serve=rtu,decode,mbrtu", "RtuEnabled=no");
    Link().FileReset1Execute();
    ASSERT_TRUE(Owned(bus, suite::RtuServer));
    EXPECT_FALSE(Link().Connection(TServer::Rtu).HasSink());
    EXPECT_FALSE(Link().Connection(TServer::Rtu).Attached());
    EXPECT_TRUE(Link().Connection(TServer::Decode).HasSink());
    ASSERT_EQ(Control("Emit", {"rtu", "$REALTIME", "05/12/2009 10:15:00,ST9.X,1"}).type(),
              QDBusMessage::ReplyMessage);
    ASSERT_TRUE(Arrives("RIVER1.LEVEL="));
    EXPECT_TRUE(NothingArrives("ST9.X="));
    EXPECT_FALSE(page().Has("WX1.AIR=12.5 $REALTIME"));
}

TEST_F(DemoSuiteTest, ASuiteKilledMidStreamLeavesTheLinkWorkingAndALaterRefreshAttachesAgain) {
    options.HomeDirectory =
        QDir(dir.path()).absolutePath().toStdString() + "/";  // nothing to start here
    StartSuite();
    Link().FileReset1Execute();
    ASSERT_TRUE(Arrives("PUMP1.RPM=1200 $REALTIME"));
    suiteProcess.kill();
    ASSERT_TRUE(suiteProcess.waitForFinished(3000));
    ASSERT_TRUE(WaitFor([&] { return !Owned(bus, suite::SetupServer); }));

    std::string answer;
    EXPECT_FALSE(Link().QueryCurrentData(TCurrentDataServer::Rtu, "WX1.$REALTIME", answer));
    Link().Timer1Timer();
    Link().cbxStationsChange();
    Link().FileReset1Execute();
    EXPECT_EQ(host.Count(Error4), 1);
    EXPECT_TRUE(host.dialogs.empty());

    StartSuite();
    host.messages.clear();
    page().log.clear();
    Link().FileReset1Execute();
    EXPECT_EQ(host.messages, (Strings{Retrieving, "Ready.."}));
    EXPECT_TRUE(Arrives("PUMP1.RPM=1200 $REALTIME"));
}

TEST_F(DemoSuiteTest, AKilledSuiteIsReportedAndItsReadingsResumeWithoutARefreshWhenItRestarts) {
    options.HomeDirectory =
        QDir(dir.path()).absolutePath().toStdString() + "/";  // nothing to start here
    StartSuite();
    Link().FileReset1Execute();
    ASSERT_TRUE(Arrives("WX1.AIR=12.5 $REALTIME"));
    host.messages.clear();
    suiteProcess.kill();  // SIGKILL: no shutdown event, the names just go
    ASSERT_TRUE(suiteProcess.waitForFinished(3000));
    const TServer all[] = {TServer::Setup, TServer::Decode, TServer::Rtu, TServer::ZOViz};
    ASSERT_TRUE(WaitFor([&] {
        return std::all_of(std::begin(all), std::end(all),
                           [&](TServer s) { return host.Count(ServerGoneMessage(s)) == 1; });
    }));
    for (TServer server : all) EXPECT_EQ(Link().Health().Status(server).State, THealthState::Lost);
    for (const char* title : {"QX Decode", "QX Rtu", "QX ZOViz"})
        EXPECT_TRUE(page().Has(std::string("stale ") + title)) << title;

    host.messages.clear();
    page().log.clear();
    StartSuite();
    EXPECT_TRUE(Arrives("WX1.AIR=12.5 $REALTIME"));
    EXPECT_TRUE(Arrives("RIVER1.LEVEL=3.40 $GOESTIMED"));
    EXPECT_TRUE(Arrives("PUMP1.RPM=1200 $REALTIME"));
    ASSERT_TRUE(WaitFor([&] { return host.Count("Ready..") == 1; }));
    EXPECT_EQ(host.messages, (Strings{ServerBackMessage(TServer::Setup), Retrieving, "Ready.."}));
    for (TServer server : all)
        EXPECT_EQ(Link().Health().Status(server).State, THealthState::Attached);
    EXPECT_TRUE(host.dialogs.empty());
}

TEST_F(DemoSuiteTest, ADataServerTakenOffTheBusComesBackByItself) {
    StartSuite();
    Link().FileReset1Execute();
    ASSERT_TRUE(Arrives("PUMP1.RPM=1200 $REALTIME"));
    ASSERT_EQ(Control("SetAbsent", {"mbrtu", true}).type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(WaitFor([&] { return host.Count(ServerGoneMessage(TServer::ZOViz)) == 1; }));
    EXPECT_TRUE(page().Has("stale QX ZOViz"));
    page().log.clear();
    EXPECT_TRUE(NothingArrives("PUMP1.RPM="));
    ASSERT_EQ(Control("SetAbsent", {"mbrtu", false}).type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(WaitFor([&] { return host.Count(ServerBackMessage(TServer::ZOViz)) == 1; }));
    // The suite generates for registered types only: the readings prove the new subscription.
    EXPECT_TRUE(Arrives("PUMP1.RPM=1200 $REALTIME"));
    EXPECT_EQ(host.Count(ServerGoneMessage(TServer::Rtu)), 0);
}

TEST_F(DemoSuiteTest, ASetupShutdownEventAsksTheHostToEnd) {
    StartSuite();
    Link().FileReset1Execute();
    host.onShutdown = [&] { Link().CloseAllConnections(); };
    ASSERT_EQ(Control("EmitEvent", {"setup", 3, QVariant::fromValue(QVariantList{"{ANY}"})}).type(),
              QDBusMessage::ReplyMessage);
    ASSERT_TRUE(WaitFor([&] { return host.shutdowns == 1; }));
    EXPECT_EQ(host.messages.back(), "Shutdown command received");
    EXPECT_FALSE(Link().Connection(TServer::Setup).Attached());
}

TEST_F(DemoSuiteTest, RemoteNodesAreReachedOnTheirSuiteBusOverTcp) {
    ASSERT_TRUE(remoteBus.Start()) << remoteBus.Error().toStdString();
    const QString address = remoteBus.Address();
    remote = remoteBus.Connect("test-remote-node");
    ASSERT_TRUE(remote.isConnected()) << address.toStdString();

    host.nodes = {"NODE1", "NODE1", "NODE1", "NODE1"};
    Strings asked;
    options.RemoteAddress = [&](const std::string& node) {
        asked.push_back(node);
        return address;
    };
    options.StartProgram = [](const std::string&) {
        ADD_FAILURE() << "no program is started for a remote node";
        return false;
    };
    // The node's bus is there, its suite is not, and the bus cannot start it.
    Link().FileReset1Execute();
    EXPECT_EQ(host.messages, (Strings{Retrieving, Error4, "Ready.."}));
    EXPECT_EQ(host.caption, "QX RIRovozer (NODE1)");

    StartSuite(QString(), QString(), address);
    host.messages.clear();
    asked.clear();
    Link().FileReset1Execute();
    EXPECT_EQ(host.messages, (Strings{Retrieving, "Ready.."}));
    EXPECT_EQ(host.caption, "QX RIRovozer (NODE1)");
    EXPECT_EQ(asked, (Strings{"NODE1", "NODE1", "NODE1", "NODE1"}));
    EXPECT_FALSE(Owned(bus, suite::SetupServer));
    EXPECT_TRUE(Arrives("WX1.AIR=12.5 $REALTIME"));
    EXPECT_TRUE(Arrives("RIVER1.LEVEL=3.40 $GOESTIMED"));
    EXPECT_EQ(host.picker.stations, (Strings{"WX1", "RIVER1", "PUMP1"}));

    Link().CloseAllConnections();
    page().log.clear();
    EXPECT_TRUE(NothingArrives("WX1.AIR=", remote));
}

// A setup server that answers slowly or not at all never holds the window:
// the setup wait keeps its bound, and alarm values are resolved without
// waiting while the rest of their event is shown at once.
TEST_F(DemoSuiteTest, ASlowSetupServerCannotStretchTheSetupWait) {
    options.SetupLoadTimeout = std::chrono::milliseconds(500);
    StartSuite();
    ASSERT_EQ(Control("SetDelay", {"setup", 20000}).type(), QDBusMessage::ReplyMessage);
    QElapsedTimer clock;
    clock.start();
    Link().FileReset1Execute();
    EXPECT_LT(clock.elapsed(), 10000);  // a poll alone would have taken 20 s
    EXPECT_FALSE(Link().Connection(TServer::Rtu).HasSink());
}

TEST_F(DemoSuiteTest, AlarmValuesOfAStalledSetupServerDoNotHoldTheWindow) {
    options.TagInfoTimeoutMs = 300;
    StartSuite("Serve=rtu,decode,mbrtu");
    Link().FileReset1Execute();
    ASSERT_TRUE(Arrives("WX1.AIR=12.5 $REALTIME"));
    ASSERT_EQ(Control("SetDelay", {"setup", 20000}).type(), QDBusMessage::ReplyMessage);
    std::string text = "05/12/2009 10:15:00";
    for (int i = 0; i < 10000; ++i) text += ",ST9.T" + std::to_string(i) + ":2,1";
    text += ",ST9.LAST,7";
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(Control("Emit", {"rtu", "$REALTIME", ToQString(text)}).type(),
              QDBusMessage::ReplyMessage);
    ASSERT_TRUE(Arrives("ST9.LAST=7 $REALTIME"));
    EXPECT_LT(clock.elapsed(), 5000);  // one blocking lookup per record: hours
    // Once the lookups give up, every alarm value arrives under its own name.
    EXPECT_TRUE(WaitFor([&] { return Logged("alarm ST9.T9999=1"); }, 60000));
    EXPECT_EQ(Link().Decoder().TagOwners().Waiting(), 0u);
}

}  // namespace
}  // namespace qx
