// The server link against a scriptable fake suite on a private bus.
#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>

#include "protocol/Identifiers.h"
#include "serverlink/tests/FakeSuite.h"
#include "serverlink/tests/LinkTestSupport.h"
#include "system/QtText.h"
#include "testsupport/PrivateBus.h"

namespace qx {
namespace {

using suite::TServer;

const QString App = ToQString(IID_IQXRTDCom);
const QString RtuId = ToQString(IID_IQXRtuDataCOM);
const QString DecodeId = ToQString(IID_IQXDecodeCom);
const QString ZOVizId = ToQString(IID_IQXMBRTUDataCOM);

QVariantList Data(const QString& sender, const QString& text, const QString& type = "$REALTIME") {
    return {sender, type, "05/12/2009 10:15:00," + text};
}

class ServerLinkTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        fake.SetQueryAnswer("General,Stations", "ST1,ST2");
        fake.SetQueryAnswer("Station:ST1,Sensors", "AIR,BATT");
        fake.SetSensorSetup("ST1", "AIR", TFakeSuite::SensorSetup("ST1", "AIR", "AT", true, false));
        fake.SetQueryAnswer("TAGINFO:ST1,AIR", "WIND");
        options.HomeDirectory = QDir(home.path()).absolutePath().toStdString() + "/";
        options.StartProgram = [this](const std::string& commandLine) {
            started.push_back(commandLine);
            return false;
        };
        options.Wait = [this](std::chrono::milliseconds time) {
            ++waits;
            if (onWait) onWait();
            ShortWait(time);
        };
        options.SetupLoadTimeout = std::chrono::milliseconds(3000);
    }

    TServerLink& Link() {
        if (!link) link = std::make_unique<TServerLink>(host, pages, options);
        return *link;
    }

    // Starts the fake and runs the connect sequence.
    void Connect() {
        ASSERT_TRUE(fake.Start());
        Link().FileReset1Execute();
    }

    // A data event that does arrive: whatever was sent before it has been
    // handled once it shows.
    void Flush() {
        static int marker = 0;
        const std::string line = "MARK.M" + std::to_string(++marker) + "=1 $REALTIME";
        fake.Emit(TServer::Decode, 1,
                  Data(DecodeId, QString::fromStdString(line.substr(0, line.find('=')) + ",1")));
        ASSERT_TRUE(WaitFor([&] { return page().Has(line); })) << line;
    }

    LogPage& page() { return *pages.page; }

    QTemporaryDir home;
    TFakeSuite fake;
    FakeHost host;
    OnePage pages;
    TServerLinkOptions options;
    std::unique_ptr<TServerLink> link;
    Strings started;
    int waits = 0;
    std::function<void()> onWait;
};

TEST_F(ServerLinkTest, StartUpAttachesEveryEnabledServerAndSubscribesItsTypes) {
    Connect();
    EXPECT_EQ(host.messages, (Strings{Retrieving, "Ready.."}));
    EXPECT_TRUE(host.dialogs.empty());
    EXPECT_EQ(host.caption, "QX RIRovozer (local)");
    EXPECT_TRUE(started.empty());  // the setup server was running

    const QString id = App;
    EXPECT_EQ(fake.Calls(TServer::Decode),
              (QStringList{"RegisterMessageType(" + id + ",$GOESTIMED)",
                           "RegisterMessageType(" + id + ",$GOESRANDOM)"}));
    for (TServer server : {TServer::Rtu, TServer::ZOViz}) {
        EXPECT_EQ(fake.Calls(server), (QStringList{"RegisterMessageType(" + id + ",$TIMETAG)",
                                                   "RegisterMessageType(" + id + ",$REALTIME)"}));
    }
    for (TServer server : {TServer::Setup, TServer::Decode, TServer::Rtu, TServer::ZOViz}) {
        EXPECT_TRUE(Link().Connection(server).Attached());
        EXPECT_NE(Link().Connection(server).Cookie(), 0u);
    }
    EXPECT_TRUE(Link().GeneralSetup().RtuEnabled);
    EXPECT_EQ(Link().GeneralSetup().LogDirectory, "/var/qx/LOG/");

    // The station list and the first station's sensors.
    EXPECT_EQ(host.picker.stations, (Strings{"ST1", "ST2"}));
    EXPECT_EQ(host.picker.sensors, (Strings{"AIR", "BATT"}));
    EXPECT_EQ(host.picker.rows, (Strings{"AIR|AT|Yes|No|X*2|1,2", "BATT|BATT|Yes|No||"}));
}

TEST_F(ServerLinkTest, ReadingsOfEveryServerReachThePages) {
    Connect();
    fake.Emit(TServer::Rtu, 1, Data(RtuId, "ST1.AIR,12.5,ST1.BATT,13.1"));
    fake.Emit(TServer::Decode, 1, Data(DecodeId, "RIV.LEVEL,3.4", "$goestimed"));
    fake.Emit(TServer::ZOViz, 1, Data(ZOVizId, "PUMP.RPM,1200"));
    // The setup server relays data events too; only data servers' senders count.
    fake.Emit(TServer::Setup, 5, Data(RtuId, "ST2.X,1"));
    fake.Emit(TServer::Setup, 5, Data(App, "OWN.X,1"));
    fake.Emit(TServer::Rtu, 1,
              Data(QString::fromStdString(std::string(IID_IQXSetupCom)), "SETUP.X,1"));
    // An alarm companion is routed to the sensor the setup server names.
    fake.Emit(TServer::Rtu, 1, Data(RtuId, "ST1.AIR:2,HIGH"));
    Flush();
    EXPECT_TRUE(page().Has("ST1.AIR=12.5 $REALTIME"));
    EXPECT_TRUE(page().Has("ST1.BATT=13.1 $REALTIME"));
    EXPECT_TRUE(page().Has("RIV.LEVEL=3.4 $GOESTIMED"));
    EXPECT_TRUE(page().Has("PUMP.RPM=1200 $REALTIME"));
    EXPECT_TRUE(page().Has("ST2.X=1 $REALTIME"));
    // Delivered when the setup server's answer comes.
    EXPECT_TRUE(WaitFor([&] { return page().Has("alarm ST1.WIND=HIGH $REALTIME"); }));
    EXPECT_FALSE(page().Has("OWN.X=1 $REALTIME"));
    EXPECT_FALSE(page().Has("SETUP.X=1 $REALTIME"));
    EXPECT_EQ(fake.CallCount(TServer::Setup, "QuerySetup"),
              4);  // SetupLoad, stations, sensors, TAGINFO
}

TEST_F(ServerLinkTest, ARefreshFromAnotherSenderRerunsTheSequenceAndOneWithTheOwnIdDoesNot) {
    Connect();
    host.messages.clear();
    fake.ClearCalls();
    fake.Emit(TServer::Setup, 1, {App});
    fake.Emit(TServer::Setup, 2, {App});
    Flush();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(fake.Calls(TServer::Rtu).isEmpty());

    fake.Emit(TServer::Setup, 1, {"{0D2E8C1A-0000-4000-8000-000000000001}"});
    ASSERT_TRUE(WaitFor([&] { return host.Count("Ready..") == 1; }));
    EXPECT_EQ(host.messages, (Strings{"Refresh command received", Retrieving, "Ready.."}));
    EXPECT_EQ(fake.CallCount(TServer::Rtu, "RegisterMessageType"), 2);
    // The new sinks work.
    fake.Emit(TServer::Rtu, 1, Data(RtuId, "ST1.AIR,7"));
    ASSERT_TRUE(WaitFor([&] { return page().Has("ST1.AIR=7 $REALTIME"); }));
    // Refresh 2 acts the same.
    fake.Emit(TServer::Setup, 2, {"{OTHER}"});
    ASSERT_TRUE(WaitFor([&] { return host.Count("Ready..") == 2; }));
}

TEST_F(ServerLinkTest, AnRtuShutdownClosesOnlyTheRtuConnection) {
    Connect();
    fake.Emit(TServer::Rtu, 2, {});
    ASSERT_TRUE(WaitFor([&] { return host.Count("QX Rtu shutdown command received") == 1; }));
    EXPECT_FALSE(Link().Connection(TServer::Rtu).Attached());
    EXPECT_FALSE(Link().Connection(TServer::Rtu).HasSink());
    EXPECT_TRUE(Link().Connection(TServer::Decode).Attached());
    EXPECT_TRUE(Link().Connection(TServer::ZOViz).Attached());
    EXPECT_TRUE(Link().Connection(TServer::Setup).Attached());

    fake.Emit(TServer::Rtu, 1, Data(RtuId, "ST1.GONE,1"));
    fake.Emit(TServer::ZOViz, 1, Data(ZOVizId, "PUMP.RPM,5"));
    Flush();
    EXPECT_TRUE(page().Has("PUMP.RPM=5 $REALTIME"));
    EXPECT_FALSE(page().Has("ST1.GONE=1 $REALTIME"));

    fake.Emit(TServer::Decode, 2, {});
    fake.Emit(TServer::ZOViz, 2, {QVariant::fromValue(QDBusObjectPath("/x"))});
    ASSERT_TRUE(WaitFor([&] { return host.Count("QX ZOViz shutdown command received") == 1; }));
    EXPECT_EQ(host.Count("QX Decode shutdown command received"), 1);
    EXPECT_TRUE(Link().Connection(TServer::Setup).Attached());

    // The next Refresh attaches again.
    Link().FileReset1Execute();
    EXPECT_TRUE(Link().Connection(TServer::Rtu).Attached());
    EXPECT_NE(Link().Connection(TServer::Rtu).Cookie(), 0u);
}

TEST_F(ServerLinkTest, NoSetupServerAnywhereAndNoProgramToStartGivesError4AndNoDialog) {
    options.StartProgram = nullptr;  // the real start: there is no qxsetup in the home directory
    Link().FileReset1Execute();
    EXPECT_EQ(host.messages, (Strings{Retrieving, Error4, "Ready.."}));
    EXPECT_TRUE(host.dialogs.empty());
    EXPECT_EQ(host.caption, "QX RIRovozer (local)");
    EXPECT_EQ(waits, 0);  // the start failed: no waiting
    for (TServer server : {TServer::Setup, TServer::Decode, TServer::Rtu, TServer::ZOViz}) {
        EXPECT_FALSE(Link().Connection(server).Attached());
        EXPECT_FALSE(Link().Connection(server).HasSink());
    }
    EXPECT_TRUE(host.picker.stations.empty());
}

TEST_F(ServerLinkTest, AStartedSetupServerIsLookedForOnceASecondElevenTimes) {
    options.StartProgram = [this](const std::string& commandLine) {
        started.push_back(commandLine);
        return true;
    };
    Link().FileReset1Execute();  // never appears
    EXPECT_EQ(started, Strings{"\"" + options.HomeDirectory + "qxsetup\""});
    EXPECT_EQ(waits, 11);
    EXPECT_EQ(host.messages, (Strings{Retrieving, Error4, "Ready.."}));
    EXPECT_TRUE(host.dialogs.empty());

    // Appears while the third wait runs.
    waits = 0;
    onWait = [this] {
        if (waits == 3) {
            ASSERT_TRUE(fake.Start());
        }
    };
    host.messages.clear();
    Link().FileReset1Execute();
    EXPECT_EQ(waits, 3);
    EXPECT_EQ(host.messages, (Strings{Retrieving, "Ready.."}));
    EXPECT_TRUE(Link().Connection(TServer::Rtu).Attached());
}

TEST_F(ServerLinkTest, DisabledOrAbsentDataServersAreSkippedSilently) {
    fake.SetGeneralSetup(TFakeSuite::GeneralSetup(false, true, true));
    fake.SetPresent(TServer::ZOViz, false);
    Connect();
    EXPECT_EQ(host.messages, (Strings{Retrieving, "Ready.."}));
    EXPECT_TRUE(host.dialogs.empty());
    EXPECT_FALSE(Link().Connection(TServer::Rtu).HasSink());
    EXPECT_FALSE(Link().Connection(TServer::Rtu).Attached());
    EXPECT_TRUE(fake.Calls(TServer::Rtu).isEmpty());
    EXPECT_FALSE(Link().Connection(TServer::ZOViz).HasSink());
    EXPECT_TRUE(Link().Connection(TServer::Decode).HasSink());

    fake.Emit(TServer::Rtu, 1, Data(RtuId, "ST1.AIR,1"));
    Flush();
    EXPECT_FALSE(page().Has("ST1.AIR=1 $REALTIME"));
    EXPECT_FALSE(Link().ServerEnabled(TCurrentDataServer::Rtu));
    EXPECT_TRUE(Link().ServerEnabled(TCurrentDataServer::Decode));
}

TEST_F(ServerLinkTest, ASubscriptionThatFailsShowsItsServersDialogAndTheSequenceGoesOn) {
    const struct {
        TServer server;
        const char* dialog;
    } cases[] = {
        {TServer::Decode, "Error 1000: Unable to connect to QX Decode Interface"},
        {TServer::Rtu, "Error 1001: Unable to connect to QX Rtu Interface"},
        {TServer::ZOViz, "Error 1006: Unable to connect to QX ZOViz Interface"},
    };
    ASSERT_TRUE(fake.Start());
    for (const auto& c : cases) {
        fake.Fail(c.server, "RegisterMessageType");
        host.dialogs.clear();
        host.messages.clear();
        host.picker.stations.clear();
        Link().FileReset1Execute();
        EXPECT_EQ(host.dialogs, Strings{c.dialog});
        EXPECT_EQ(host.messages, (Strings{Retrieving, "Ready.."}));
        // The sink stays subscribed although the types were refused.
        EXPECT_TRUE(Link().Connection(c.server).HasSink());
        for (TServer other : {TServer::Decode, TServer::Rtu, TServer::ZOViz}) {
            if (other != c.server) {
                EXPECT_NE(Link().Connection(other).Cookie(), 0u);
            }
        }
        EXPECT_EQ(host.picker.stations, (Strings{"ST1", "ST2"}));
        fake.Fail(c.server, "RegisterMessageType", false);
    }
}

TEST_F(ServerLinkTest, ASetupThatNeverLoadsIsGivenUpQuietlyAfterTheDeadline) {
    options.SetupLoadTimeout = std::chrono::milliseconds(300);
    fake.SetSetupLoadAnswers({"LOADING"});
    Connect();
    EXPECT_EQ(host.messages, (Strings{Retrieving, "Ready.."}));
    EXPECT_TRUE(host.dialogs.empty());
    EXPECT_EQ(host.caption, "QX RIRovozer (local)");
    EXPECT_FALSE(Link().Connection(TServer::Setup).HasSink());
    EXPECT_FALSE(Link().Connection(TServer::Rtu).HasSink());
    EXPECT_GT(fake.CallCount(TServer::Setup, "QuerySetup"), 1);
    EXPECT_EQ(fake.CallCount(TServer::Setup, "GetGeneralSetup"), 0);
    EXPECT_TRUE(host.picker.stations.empty());
}

TEST_F(ServerLinkTest, ASetupLoadedAfterAFewPollsConnects) {
    fake.SetSetupLoadAnswers({"LOADING", "LOADING", "ok", "OK"});
    Connect();
    EXPECT_EQ(fake.Calls(TServer::Setup).mid(0, 4),
              (QStringList{"QuerySetup(SetupLoad)", "QuerySetup(SetupLoad)",
                           "QuerySetup(SetupLoad)", "QuerySetup(SetupLoad)"}));
    EXPECT_TRUE(Link().Connection(TServer::Rtu).HasSink());
}

TEST_F(ServerLinkTest, ASetupLoadQueryThatFailsEndsTheSequenceWithTheErrorShown) {
    fake.Fail(TServer::Setup, "QuerySetup");
    Connect();
    ASSERT_EQ(host.dialogs.size(), 1u);
    EXPECT_NE(host.dialogs[0].find("QuerySetup failed"), std::string::npos) << host.dialogs[0];
    EXPECT_EQ(host.messages, Strings{Retrieving});
    EXPECT_FALSE(Link().Connection(TServer::Rtu).HasSink());
}

TEST_F(ServerLinkTest, AGeneralSetupThatDoesNotConvertReportsError7AndConnectsNothing) {
    QVariantList structure = TFakeSuite::GeneralSetup(true, true, true);
    QDBusArgument pair;
    pair.beginStructure();
    pair << 1 << QString("x");
    pair.endStructure();
    structure[20] = QVariant::fromValue(pair);
    QVariantList shortRecord = TFakeSuite::GeneralSetup(true, true, true);
    shortRecord.removeLast();
    const QVariant replies[] = {
        QVariant::fromValue(structure),
        QVariant::fromValue(shortRecord),
        QVariant::fromValue(QStringList{"not", "variants"}),
    };
    ASSERT_TRUE(fake.Start());
    for (const QVariant& reply : replies) {
        fake.SetGeneralSetupReply(reply);
        host.messages.clear();
        Link().FileReset1Execute();
        EXPECT_EQ(host.messages,
                  (Strings{Retrieving, "Error 7: Unable to retrieve General Setup parameters",
                           "Ready.."}));
        EXPECT_FALSE(Link().Connection(TServer::Setup).HasSink());
        EXPECT_FALSE(Link().GeneralSetup().RtuEnabled);  // the defaults
    }
    // Null is quiet.
    fake.SetGeneralSetup({});
    host.messages.clear();
    Link().FileReset1Execute();
    EXPECT_EQ(host.messages, (Strings{Retrieving, "Ready.."}));
    EXPECT_FALSE(Link().Connection(TServer::Setup).HasSink());
}

TEST_F(ServerLinkTest, MalformedEventsAreIgnored) {
    Connect();
    QDBusArgument pair;
    pair.beginStructure();
    pair << 1 << QString("x");
    pair.endStructure();
    const QVariantList badRtu[] = {
        {},                                                              // no arguments
        {1},                                                             // no array
        {QString("1"), QVariant::fromValue(Data(RtuId, "BAD.A,1"))},     // id of the wrong type
        {1, QVariant::fromValue(QStringList{RtuId, "$REALTIME", "x"})},  // array of strings
        {1, QVariant::fromValue(Data(RtuId, "BAD.B,1")), 5},             // extra arguments are fine
        {1, QVariant::fromValue(QVariantList{RtuId, "$REALTIME"})},      // too few values
        {1, QVariant::fromValue(
                QVariantList{RtuId, QVariant::fromValue(pair), "05/12/2009 10:15:00,BAD.C,1"})},
        {1, QVariant::fromValue(
                QVariantList{RtuId, "$REALTIME", QVariant::fromValue(QStringList{"x"})})},
        {99, QVariant::fromValue(Data(RtuId, "BAD.D,1"))},  // unknown id
        {1,
         QVariant::fromValue(QVariantList{RtuId, "$REALTIME", QString(200000, 'x')})},  // huge text
        {1, QVariant::fromValue(QVariantList{RtuId, "$REALTIME", QString()})},  // empty text
    };
    const QVariantList badSetup[] = {
        {},
        {1},
        {QString("1"), QVariant::fromValue(QVariantList{"{OTHER}"})},
        {1, QVariant::fromValue(QStringList{"{OTHER}"})},
        {1, QVariant::fromValue(QVariantList{QVariant::fromValue(pair)})},  // sender not text
        {1, QVariant::fromValue(QVariantList{})},                           // no sender
        {3, QVariant::fromValue(QVariantList{})},  // shutdown without sender
        {5, QVariant::fromValue(QVariantList{RtuId, "$REALTIME"})},
        {5, QVariant::fromValue(
                QVariantList{RtuId, QVariant::fromValue(pair), "05/12/2009 10:15:00,BAD.E,1"})},
        {0, QVariant::fromValue(QVariantList{"{OTHER}"})},
        {6, QVariant::fromValue(QVariantList{"{OTHER}"})},
    };
    for (const QVariantList& args : badRtu) fake.EmitRaw(TServer::Rtu, args);
    for (const QVariantList& args : badSetup) fake.EmitRaw(TServer::Setup, args);
    Flush();
    EXPECT_EQ(page().log.size(), 2u);  // BAD.B and the marker
    EXPECT_TRUE(page().Has("BAD.B=1 $REALTIME"));
    EXPECT_EQ(host.shutdowns, 0);
    EXPECT_EQ(host.Count("Refresh command received"), 0);
    EXPECT_TRUE(Link().Connection(TServer::Rtu).HasSink());
}

TEST_F(ServerLinkTest, ARefreshAskedForDuringTheSetupWaitRunsOnceAfterTheSequence) {
    fake.SetSetupLoadAnswers({"LOADING", "LOADING", "OK"});
    int asked = 0;
    onWait = [&] {
        // The operator presses Refresh twice while the setup loads.
        if (asked++ < 2) Link().FileReset1Execute();
    };
    Connect();
    EXPECT_EQ(host.messages, (Strings{Retrieving, "Ready..", Retrieving, "Ready.."}));
    EXPECT_TRUE(Link().Connection(TServer::Rtu).HasSink());
    EXPECT_EQ(fake.CallCount(TServer::Rtu, "RegisterMessageType"), 4);
}

TEST_F(ServerLinkTest, ARefreshEventArrivingDuringAnErrorDialogIsQueued) {
    ASSERT_TRUE(fake.Start());
    fake.Fail(TServer::ZOViz, "RegisterMessageType");
    int dialogs = 0;
    host.onDialog = [&](const std::string&) {
        // The dialog's loop delivers a refresh event from the setup server.
        if (dialogs++ > 0) return;
        fake.Emit(TServer::Setup, 1, {"{OTHER}"});
        ASSERT_TRUE(WaitFor([&] { return host.Count("Refresh command received") == 1; }));
    };
    Link().FileReset1Execute();
    EXPECT_EQ(host.messages,
              (Strings{Retrieving, "Refresh command received", "Ready..", Retrieving, "Ready.."}));
    EXPECT_EQ(dialogs, 2);
}

TEST_F(ServerLinkTest, AShutdownEventAsksTheHostToCloseAndClosingInsideTheEventIsSafe) {
    Connect();
    host.onShutdown = [&] { Link().CloseAllConnections(); };
    fake.Emit(TServer::Setup, 3, {"{ANYONE}"});
    ASSERT_TRUE(WaitFor([&] { return host.shutdowns == 1; }));
    EXPECT_EQ(host.messages.back(), "Shutdown command received");
    for (TServer server : {TServer::Setup, TServer::Decode, TServer::Rtu, TServer::ZOViz})
        EXPECT_FALSE(Link().Connection(server).Attached());
    fake.Emit(TServer::Setup, 3, {"{ANYONE}"});
    ASSERT_TRUE(qx::Flush(QDBusConnection::sessionBus(), ToQString(suite::SetupServer.BusName)));
    EXPECT_EQ(host.shutdowns, 1);
}

TEST_F(ServerLinkTest, ClosingTheProgramDuringTheSetupWaitStopsTheSequence) {
    fake.SetSetupLoadAnswers({"LOADING"});
    onWait = [&] { Link().CloseAllConnections(); };
    Connect();
    EXPECT_EQ(host.messages, Strings{Retrieving});
    EXPECT_EQ(host.caption, "");
    EXPECT_FALSE(Link().Connection(TServer::Setup).Attached());
    EXPECT_FALSE(Link().Connection(TServer::Rtu).HasSink());
}

TEST_F(ServerLinkTest, ASuiteKilledMidStreamLeavesTheLinkWorkingAndARefreshAttachesAgain) {
    Connect();
    fake.SetCurrentData(TServer::Rtu, "ST1.$REALTIME", "05/12/2009 10:15:00,ST1.AIR,3");
    fake.Emit(TServer::Rtu, 1, Data(RtuId, "ST1.AIR,1"));
    ASSERT_TRUE(WaitFor([&] { return page().Has("ST1.AIR=1 $REALTIME"); }));
    fake.Kill();
    ASSERT_TRUE(WaitFor([&] { return !Link().ServerWindowExists(TServer::Setup); }));

    // Calls fail quietly; nothing throws out of the link.
    std::string answer = "unchanged";
    EXPECT_TRUE(Link().ServerConnected(TCurrentDataServer::Rtu));
    EXPECT_FALSE(Link().QueryCurrentData(TCurrentDataServer::Rtu, "ST1.$REALTIME", answer));
    Link().Timer1Timer();
    Link().cbxStationsChange();
    std::string tag;
    EXPECT_FALSE(Link().LookupSetupValue("TAGINFO", "ST1", "", "AIR", tag));

    Link().FileReset1Execute();
    EXPECT_EQ(host.Count(Error4), 1);

    ASSERT_TRUE(fake.Start());
    Link().FileReset1Execute();
    EXPECT_EQ(host.Count(Error4), 1);
    fake.Emit(TServer::Rtu, 1, Data(RtuId, "ST1.AIR,2"));
    ASSERT_TRUE(WaitFor([&] { return page().Has("ST1.AIR=2 $REALTIME"); }));
    EXPECT_TRUE(Link().QueryCurrentData(TCurrentDataServer::Rtu, "ST1.$REALTIME", answer));
    EXPECT_EQ(answer, "05/12/2009 10:15:00,ST1.AIR,3");
}

TEST_F(ServerLinkTest, ListPagesFetchCurrentValuesFromTheRtuAndDecodeServers) {
    fake.SetCurrentData(TServer::Rtu, "ST1.$REALTIME", "R");
    fake.SetCurrentData(TServer::Decode, "RIV.$REALTIME", "D");
    std::string answer;
    EXPECT_FALSE(Link().ServerConnected(TCurrentDataServer::Rtu));
    EXPECT_FALSE(Link().QueryCurrentData(TCurrentDataServer::Rtu, "ST1.$REALTIME", answer));
    Connect();
    EXPECT_TRUE(Link().ServerConnected(TCurrentDataServer::Decode));
    EXPECT_TRUE(Link().QueryCurrentData(TCurrentDataServer::Rtu, "ST1.$REALTIME", answer));
    EXPECT_EQ(answer, "R");
    EXPECT_TRUE(Link().QueryCurrentData(TCurrentDataServer::Decode, "RIV.$REALTIME", answer));
    EXPECT_EQ(answer, "D");
    fake.Fail(TServer::Decode, "QueryCurrentData");
    EXPECT_FALSE(Link().QueryCurrentData(TCurrentDataServer::Decode, "RIV.$REALTIME", answer));
}

TEST_F(ServerLinkTest, TheSetupLookupWorksFromAnotherThread) {
    Connect();
    bool ok = false;
    std::string answer;
    // A thread of Qt's own, as the program's other threads would be.
    std::unique_ptr<QThread> other(QThread::create(
        [&] { ok = Link().LookupSetupValue("TAGINFO", "ST1", "", "AIR", answer); }));
    other->start();
    ASSERT_TRUE(other->wait(30000));
    EXPECT_TRUE(ok);
    EXPECT_EQ(answer, "WIND");
}

TEST_F(ServerLinkTest, TestTicksRouteReadingsForEveryStationsSensors) {
    Connect();
    Link().Timer1Timer();
    ASSERT_EQ(page().log.size(), 2u);
    EXPECT_EQ(page().log[0].substr(0, 8), "ST1.AIR=");
    EXPECT_EQ(page().log[0].substr(page().log[0].size() - 2), " S");
}

TEST_F(ServerLinkTest, ARemoteSetupNodeIsAttachedWithoutLookingForTheLocalServer) {
    host.nodes[0] = "FARAWAY";
    std::string asked;
    options.RemoteAddress = [&](const std::string& node) {
        asked = node;
        return QString("tcp:host=127.0.0.1,port=1");  // refused at once
    };
    Connect();
    EXPECT_EQ(asked, "FARAWAY");
    EXPECT_TRUE(started.empty());
    EXPECT_EQ(host.messages, (Strings{Retrieving, Error4, "Ready.."}));
    EXPECT_TRUE(host.dialogs.empty());
    EXPECT_EQ(host.caption, "QX RIRovozer (FARAWAY)");
    EXPECT_FALSE(Link().Connection(TServer::Setup).Attached());
}

TEST_F(ServerLinkTest, AnUnreachableRemoteDataNodeGivesItsServersErrorBox) {
    host.nodes[static_cast<std::size_t>(TServer::Rtu)] = "NOWHERE";
    options.RemoteAddress = [](const std::string&) {
        return QString("tcp:host=127.0.0.1,port=1");  // refused at once
    };
    Connect();
    EXPECT_EQ(host.dialogs, Strings{"Error 1001: Unable to connect to QX Rtu Interface"});
    EXPECT_FALSE(Link().Connection(TServer::Rtu).Attached());
    EXPECT_TRUE(Link().Connection(TServer::Decode).HasSink());
    EXPECT_EQ(host.messages.back(), "Ready..");
}

TEST_F(ServerLinkTest, ConnectionsCloseInTheOrderRtuModbusDecodeSetup) {
    std::vector<TServer> closed;
    options.ConnectionClosed = [&](TServer server) { closed.push_back(server); };
    Connect();
    ASSERT_TRUE(closed.empty());
    const std::vector<TServer> order{TServer::Rtu, TServer::ZOViz, TServer::Decode, TServer::Setup};
    Link().FileReset1Execute();  // a Refresh closes them first, too
    EXPECT_EQ(closed, order);
    closed.clear();
    Link().CloseAllConnections();
    EXPECT_EQ(closed, order);
    for (TServer server : order) EXPECT_FALSE(Link().Connection(server).Attached());
}

TEST_F(ServerLinkTest, AShutdownEventEndsTheProgramWhoeverSendsIt) {
    Connect();
    fake.Emit(TServer::Setup, 3, {App});  // the program's own identifier
    ASSERT_TRUE(WaitFor([&] { return host.shutdowns == 1; }));
    EXPECT_EQ(host.messages.back(), "Shutdown command received");
}

// Only the server's own events count: the signal from the owner of the
// server's name, on the server's object and event interface.
TEST_F(ServerLinkTest, EventsFromAnotherConnectionPathOrInterfaceAreIgnored) {
    Connect();
    const suite::TServerNames& rtu = suite::RtuServer;
    auto event = [](const QString& path, const QString& interface, const char* sensor) {
        QDBusMessage signal = QDBusMessage::createSignal(path, interface, "Event");
        signal.setArguments({1, QVariant::fromValue(Data(RtuId, QString(sensor) + ",1"))});
        return signal;
    };
    QDBusConnection intruder =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, "intruder");
    ASSERT_TRUE(intruder.isConnected());
    intruder.send(event(ToQString(rtu.ObjectPath), ToQString(rtu.EventInterface), "ST1.INTRUDER"));
    ASSERT_TRUE(intruder.interface()->isServiceRegistered(ToQString(rtu.BusName)).value());
    QDBusConnection::disconnectFromBus("intruder");
    fake.EmitMessage(TServer::Rtu, event("/Elsewhere", ToQString(rtu.EventInterface), "ST1.PATH"));
    fake.EmitMessage(TServer::Rtu, event(ToQString(rtu.ObjectPath), "QXRtu.Other", "ST1.IFACE"));
    Flush();
    for (const char* line : {"ST1.INTRUDER=1", "ST1.PATH=1", "ST1.IFACE=1"})
        EXPECT_FALSE(page().Has(std::string(line) + " $REALTIME")) << line;
}

TEST_F(ServerLinkTest, AFailedSetupLoadOnALaterRefreshKeepsTheGeneralSetup) {
    Connect();
    ASSERT_EQ(Link().GeneralSetup().LogDirectory, "/var/qx/LOG/");
    fake.Fail(TServer::Setup, "QuerySetup");
    Link().FileReset1Execute();
    ASSERT_EQ(host.dialogs.size(), 1u);
    EXPECT_TRUE(Link().GeneralSetup().RtuEnabled);
    EXPECT_EQ(Link().GeneralSetup().LogDirectory, "/var/qx/LOG/");
}

// --- Health of the connections ---------------------------------------------

const TDateTime LostAt = EncodeDateTime({2026, 12, 10, 13, 20, 59});

class ServerHealthLinkTest : public ServerLinkTest {
protected:
    void SetUp() override {
        ServerLinkTest::SetUp();
        options.Clock = [] { return LostAt; };
    }
    THealthState State(TServer server) { return Link().Health().Status(server).State; }
    bool Said(const std::string& message) {
        return WaitFor([&] { return host.Count(message) > 0; });
    }
    // Everything the bus sent before now has been handled: the watch's
    // owner changes come from the bus itself.
    void FlushBus() {
        ASSERT_TRUE(qx::Flush(QDBusConnection::sessionBus(), "org.freedesktop.DBus"));
        QCoreApplication::processEvents();
    }
};

TEST_F(ServerHealthLinkTest, AKilledSuiteIsReportedOncePerServerAndTheirReadingsGoStale) {
    Connect();
    for (TServer server : {TServer::Setup, TServer::Decode, TServer::Rtu, TServer::ZOViz})
        EXPECT_EQ(State(server), THealthState::Attached);
    EXPECT_GT(host.healthChanges[static_cast<std::size_t>(TServer::Rtu)], 0);
    host.messages.clear();
    fake.Kill();
    ASSERT_TRUE(Said(ServerGoneMessage(TServer::ZOViz)));
    FlushBus();
    for (TServer server : {TServer::Setup, TServer::Decode, TServer::Rtu, TServer::ZOViz}) {
        EXPECT_EQ(host.Count(ServerGoneMessage(server)), 1) << ServerTitle(server);
        EXPECT_EQ(State(server), THealthState::Lost);
        EXPECT_EQ(Link().Health().Status(server).Since, LostAt);
    }
    EXPECT_EQ(host.messages.size(), 4u);
    for (const char* title : {"QX Decode", "QX Rtu", "QX ZOViz"})
        EXPECT_TRUE(page().Has(std::string("stale ") + title)) << title;
    EXPECT_TRUE(host.dialogs.empty());

    // A Refresh without the suite keeps the time of the loss.
    Link().FileReset1Execute();
    EXPECT_EQ(host.Count(Error4), 1);
    EXPECT_EQ(State(TServer::Setup), THealthState::Lost);
    EXPECT_EQ(State(TServer::Rtu), THealthState::Lost);
}

TEST_F(ServerHealthLinkTest, ADataServerThatReturnsIsAttachedAndSubscribedAgainByItself) {
    Connect();
    ASSERT_TRUE(fake.SetPresent(TServer::Rtu, false));
    ASSERT_TRUE(Said(ServerGoneMessage(TServer::Rtu)));
    EXPECT_TRUE(page().Has("stale QX Rtu"));
    EXPECT_EQ(State(TServer::Decode), THealthState::Attached);
    host.messages.clear();
    fake.ClearCalls();

    ASSERT_TRUE(fake.SetPresent(TServer::Rtu, true));
    ASSERT_TRUE(Said(ServerBackMessage(TServer::Rtu)));
    EXPECT_EQ(host.messages, Strings{ServerBackMessage(TServer::Rtu)});  // no full Refresh
    EXPECT_EQ(State(TServer::Rtu), THealthState::Attached);
    EXPECT_EQ(fake.Calls(TServer::Rtu),
              (QStringList{"RegisterMessageType(" + App + ",$TIMETAG)",
                           "RegisterMessageType(" + App + ",$REALTIME)"}));
    EXPECT_TRUE(fake.Calls(TServer::Setup).isEmpty());
    fake.Emit(TServer::Rtu, 1, Data(RtuId, "ST1.AIR,8"));
    ASSERT_TRUE(WaitFor([&] { return page().Has("ST1.AIR=8 $REALTIME"); }));

    // One that comes back but refuses the subscription says so, without a box.
    fake.Fail(TServer::Rtu, "RegisterMessageType");
    ASSERT_TRUE(fake.SetPresent(TServer::Rtu, false));
    ASSERT_TRUE(fake.SetPresent(TServer::Rtu, true));
    ASSERT_TRUE(Said(ServerBackFailedMessage(TServer::Rtu)));
    EXPECT_EQ(State(TServer::Rtu), THealthState::Failed);
    EXPECT_FALSE(Link().Connection(TServer::Rtu).Attached());
    EXPECT_TRUE(host.dialogs.empty());
}

TEST_F(ServerHealthLinkTest, AReturnedSetupServerRunsTheConnectSequenceOnceItHasLoaded) {
    Connect();
    fake.Kill();
    ASSERT_TRUE(Said(ServerGoneMessage(TServer::Setup)));
    host.messages.clear();
    fake.SetSetupLoadAnswers({"LOADING", "LOADING", "LOADING", "OK"});
    ASSERT_TRUE(fake.Start());
    ASSERT_TRUE(WaitFor([&] { return host.Count("Ready..") == 1; }));
    // The data servers came back with it and are attached by the sequence.
    EXPECT_EQ(host.messages, (Strings{ServerBackMessage(TServer::Setup), Retrieving, "Ready.."}));
    EXPECT_GE(fake.CallCount(TServer::Setup, "QuerySetup"), 4);
    for (TServer server : {TServer::Setup, TServer::Decode, TServer::Rtu, TServer::ZOViz})
        EXPECT_EQ(State(server), THealthState::Attached) << ServerTitle(server);
    EXPECT_EQ(fake.CallCount(TServer::Rtu, "RegisterMessageType"), 4);
    fake.Emit(TServer::ZOViz, 1, Data(ZOVizId, "PUMP.RPM,7"));
    ASSERT_TRUE(WaitFor([&] { return page().Has("PUMP.RPM=7 $REALTIME"); }));
    EXPECT_TRUE(host.dialogs.empty());
}

TEST_F(ServerHealthLinkTest, ASetupServerThatLeavesAgainWhileLoadingIsReadOnceWhenItReturns) {
    Connect();
    fake.Kill();
    ASSERT_TRUE(Said(ServerGoneMessage(TServer::Setup)));
    fake.SetSetupLoadAnswers({"LOADING"});
    ASSERT_TRUE(fake.Start());
    ASSERT_TRUE(WaitFor([&] { return fake.CallCount(TServer::Setup, "QuerySetup") >= 2; }));
    fake.Kill();
    FlushBus();
    fake.SetSetupLoadAnswers({"OK"});
    ASSERT_TRUE(fake.Start());
    ASSERT_TRUE(WaitFor([&] { return host.Count("Ready..") == 2; }));
    EXPECT_EQ(host.Count(ServerBackMessage(TServer::Setup)), 1);
    FlushBus();
    EXPECT_EQ(host.Count(Retrieving), 2);
}

TEST_F(ServerHealthLinkTest, ALocalDataServerAbsentAtConnectIsShownAndAttachedWhenItAppears) {
    fake.SetPresent(TServer::ZOViz, false);
    Connect();
    EXPECT_EQ(host.messages, (Strings{Retrieving, "Ready.."}));
    EXPECT_EQ(State(TServer::ZOViz), THealthState::NotRunning);
    EXPECT_TRUE(fake.Calls(TServer::ZOViz).isEmpty());

    ASSERT_TRUE(fake.SetPresent(TServer::ZOViz, true));
    ASSERT_TRUE(Said(ServerBackMessage(TServer::ZOViz)));
    EXPECT_EQ(State(TServer::ZOViz), THealthState::Attached);
    EXPECT_EQ(fake.CallCount(TServer::ZOViz, "RegisterMessageType"), 2);

    // A disabled server is left alone, whatever its name does.
    fake.SetGeneralSetup(TFakeSuite::GeneralSetup(true, false, true));
    Link().FileReset1Execute();
    EXPECT_EQ(State(TServer::Decode), THealthState::Unused);
    host.messages.clear();
    fake.ClearCalls();
    ASSERT_TRUE(fake.SetPresent(TServer::Decode, false));
    ASSERT_TRUE(fake.SetPresent(TServer::Decode, true));
    FlushBus();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(fake.Calls(TServer::Decode).isEmpty());
}

TEST_F(ServerHealthLinkTest, AShutdownEventIsNoLossItsReadingsGoStaleAndItComesBackByItself) {
    Connect();
    fake.Emit(TServer::Rtu, 2, {});
    ASSERT_TRUE(Said("QX Rtu shutdown command received"));
    EXPECT_EQ(State(TServer::Rtu), THealthState::NotRunning);
    EXPECT_TRUE(page().Has("stale QX Rtu"));
    ASSERT_TRUE(fake.SetPresent(TServer::Rtu, false));  // its name goes after the event
    FlushBus();
    EXPECT_EQ(host.Count(ServerGoneMessage(TServer::Rtu)), 0);

    ASSERT_TRUE(fake.SetPresent(TServer::Rtu, true));
    ASSERT_TRUE(Said(ServerBackMessage(TServer::Rtu)));
    EXPECT_TRUE(Link().Connection(TServer::Rtu).Attached());
}

TEST_F(ServerHealthLinkTest, ServersLeavingAfterTheProgramClosedItsConnectionsAreNotReported) {
    Connect();
    Link().CloseAllConnections();
    fake.Kill();
    FlushBus();
    EXPECT_EQ(host.Count(ServerGoneMessage(TServer::Setup)), 0);
    EXPECT_EQ(host.Count(ServerGoneMessage(TServer::Rtu)), 0);
    ASSERT_TRUE(fake.Start());
    FlushBus();
    EXPECT_EQ(host.Count(Retrieving), 1);
}

TEST_F(ServerHealthLinkTest, ServersOnARemoteNodeAreWatchedOnTheNodesBus) {
    TPrivateBus node(TPrivateBus::TKind::Tcp);
    ASSERT_TRUE(node.Start()) << node.Error().toStdString();
    TFakeSuite remote(node.Address());
    remote.SetQueryAnswer("General,Stations", "ST1");
    host.nodes = {"NODE1", "NODE1", "NODE1", "NODE1"};
    int addressed = 0;
    options.RemoteAddress = [&](const std::string&) {
        ++addressed;
        return node.Address();
    };
    ASSERT_TRUE(remote.Start());
    ASSERT_TRUE(fake.Start());  // the local bus has servers too: they are not the ones watched
    Link().FileReset1Execute();
    EXPECT_EQ(State(TServer::Rtu), THealthState::Attached);
    const int perSequence = addressed;
    Link().FileReset1Execute();
    // The watch's connection to the node is opened once.
    EXPECT_EQ(addressed, 2 * perSequence - 1);

    ASSERT_TRUE(fake.SetPresent(TServer::Rtu, false));
    FlushBus();
    EXPECT_EQ(host.Count(ServerGoneMessage(TServer::Rtu)), 0);
    ASSERT_TRUE(remote.SetPresent(TServer::Rtu, false));
    ASSERT_TRUE(Said(ServerGoneMessage(TServer::Rtu)));
    ASSERT_TRUE(remote.SetPresent(TServer::Rtu, true));
    ASSERT_TRUE(Said(ServerBackMessage(TServer::Rtu)));
    EXPECT_GE(remote.CallCount(TServer::Rtu, "RegisterMessageType"), 6);
    link.reset();
}

TEST(RemoteBusAddress, TheNodeIsEscapedIntoTheSuitePortAddress) {
    EXPECT_EQ(RemoteBusAddress("qx-node.example.com"), "tcp:host=qx-node.example.com,port=47011");
    EXPECT_EQ(RemoteBusAddress("a,port=1;unix:path=/x"),
              "tcp:host=a%2cport%3d1%3bunix%3apath%3d/x,port=47011");
    EXPECT_EQ(RemoteBusAddress("n\xc3\xa9"), "tcp:host=n%c3%a9,port=47011");
}

}  // namespace
}  // namespace qx
