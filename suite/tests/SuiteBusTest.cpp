// qxsetup on the private session bus of the test run, driven as the client
// and the tests drive it: setup queries, registrations and generated events,
// the control object and the command-line commands.
#include <gtest/gtest.h>

#include <functional>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "protocol/SuiteProtocol.h"
#include "system/QtText.h"
#include "testsupport/PrivateBus.h"

namespace qx::suite {
namespace {

constexpr const char* kSuiteText =
    "[Suite]\nTimeTag=0.1\n"
    "[Station WX1]\nServer=rtu\nInterval=0.05\nSensors=AIR,BATT\n"
    "[Sensor WX1.AIR]\nValue=12.5\nDecimals=1\nEquation=X*2\n"
    "[Sensor WX1.BATT]\nValue=13.1\n"
    "[Station RIVER]\nServer=decode\nInterval=0.05\n"
    "[Sensor RIVER.LEVEL]\nGenerator=step\nMin=1\nMax=4\nPeriod=0.15\nAlarm=yes\nAlarmHigh=3\n"
    "[Station PUMP]\nServer=mbrtu\nInterval=0.05\n"
    "[Sensor PUMP.STATE]\nGenerator=text\nTexts=RUN|STOP\n";

constexpr int kSetupLoadDelayMs = 300;

// Collects the Event signals of one server.
class TEventLog : public QObject {
    Q_OBJECT
public:
    QList<QDBusMessage> Events;
public slots:
    void OnEvent(const QDBusMessage& message) { Events.append(message); }
};

bool WaitFor(const std::function<bool()>& done, int ms = 3000) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void Pause(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

class SuiteBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus_.isConnected()) << "no session bus: the test runs inside one of its own";
        ASSERT_TRUE(dir_.isValid());
        suiteFile_ = dir_.filePath(QStringLiteral("test.suite"));
        QFile file(suiteFile_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kSuiteText);
        file.close();
        ASSERT_FALSE(Owned(SetupServer)) << "a suite runs already";
        server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server_.start(QStringLiteral(QX_SETUP_EXE),
                      {QStringLiteral("--suite"), suiteFile_, QStringLiteral("--setup-load-delay"),
                       QString::number(kSetupLoadDelayMs)});
        started_.start();
        ASSERT_TRUE(server_.waitForStarted());
        ASSERT_TRUE(WaitFor([&] { return Owned(SetupServer) && Owned(RtuServer); }));
    }

    void TearDown() override {
        if (server_.state() == QProcess::NotRunning) return;
        Control("Quit", {});
        if (!server_.waitForFinished(3000)) server_.kill();
        server_.waitForFinished(1000);
        WaitFor([&] { return !Owned(SetupServer); });
    }

    bool Owned(const TServerNames& server) {
        return bus_.interface()->isServiceRegistered(ToQString(server.BusName)).value();
    }

    QDBusMessage Call(const TServerNames& server, const char* method, const QVariantList& args) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(ToQString(server.BusName), ToQString(server.ObjectPath),
                                           ToQString(server.Interface), QLatin1String(method));
        call.setArguments(args);
        return bus_.call(call, QDBus::BlockWithGui, 5000);
    }

    QDBusMessage Control(const char* method, const QVariantList& args) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(ToQString(SetupServer.BusName), ToQString(ControlPath),
                                           ToQString(ControlInterface), QLatin1String(method));
        call.setArguments(args);
        return bus_.call(call, QDBus::BlockWithGui, 5000);
    }

    QString Setup(const QString& request) {
        const QDBusMessage reply = Call(SetupServer, "QuerySetup", {request});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        return reply.arguments().value(0).toString();
    }

    void Listen(const TServerNames& server, TEventLog& log) {
        ASSERT_TRUE(bus_.connect(ToQString(server.BusName), ToQString(server.ObjectPath),
                                 ToQString(server.EventInterface), ToQString(EventSignal), &log,
                                 SLOT(OnEvent(QDBusMessage))));
        // A round trip so that the match is in place before anything is sent.
        Setup(QStringLiteral("SetupLoad"));
    }

    void Register(const TServerNames& server, const char* type) {
        const QDBusMessage reply =
            Call(server, "RegisterMessageType", {ToQString(IID_IQXRTDCom), QLatin1String(type)});
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    }

    // Runs qxsetup with the arguments; its exit status and standard error.
    static std::pair<int, QString> Command(const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral(QX_SETUP_EXE), args);
        if (!p.waitForFinished(10000)) {
            p.kill();
            p.waitForFinished();
        }
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromLocal8Bit(p.readAllStandardError())};
    }

    static int DispatchId(const QDBusMessage& event) { return event.arguments().value(0).toInt(); }
    static QVariantList Arguments(const QDBusMessage& event) {
        return qdbus_cast<QVariantList>(event.arguments().value(1));
    }

    QDBusConnection bus_ = QDBusConnection::sessionBus();
    QTemporaryDir dir_;
    QString suiteFile_;
    QProcess server_;
    QElapsedTimer started_;
};

TEST_F(SuiteBusTest, SetupServerAnswersAfterItsLoadDelay) {
    QString answer;
    ASSERT_TRUE(WaitFor(
        [&] { return (answer = Setup(QStringLiteral("SetupLoad"))) == QLatin1String("OK"); }));
    EXPECT_GE(started_.elapsed(), kSetupLoadDelayMs);
    EXPECT_EQ(Setup(QStringLiteral("General,Stations")), QLatin1String("WX1,RIVER,PUMP"));
    EXPECT_EQ(Setup(QStringLiteral("Station:WX1,Sensors")), QLatin1String("AIR,BATT"));
    EXPECT_EQ(Setup(QStringLiteral("Station:NOPE,Sensors")), QLatin1String("ERROR"));
    EXPECT_EQ(Setup(QStringLiteral("TAGINFO:RIVER,LEVEL")), QLatin1String("LEVEL"));

    const QDBusMessage general = Call(SetupServer, "GetGeneralSetup", {});
    ASSERT_EQ(general.signature(), QLatin1String("av"));
    const QVariantList g = qdbus_cast<QVariantList>(general.arguments().value(0));
    ASSERT_EQ(g.size(), 37);
    EXPECT_EQ(g[6].toString(), QLatin1String("WX1,RIVER,PUMP"));
    EXPECT_EQ(g[8].metaType().id(), QMetaType::UShort);
    EXPECT_EQ(g[10].metaType().id(), QMetaType::Int);
    for (const int flag : {14, 15, 32}) {
        EXPECT_EQ(g[flag].metaType().id(), QMetaType::Bool);
        EXPECT_TRUE(g[flag].toBool()) << flag;
    }

    const QVariantList s = qdbus_cast<QVariantList>(
        Call(SetupServer, "GetSensorSetup", {QStringLiteral("WX1"), QStringLiteral("AIR")})
            .arguments()
            .value(0));
    ASSERT_EQ(s.size(), 75);
    EXPECT_EQ(s[1].toString(), QLatin1String("AIR"));
    EXPECT_EQ(s[2].toString(), QLatin1String("X*2"));
    EXPECT_EQ(s[6].metaType().id(), QMetaType::Bool);
    EXPECT_EQ(s[7].metaType().id(), QMetaType::Short);
    EXPECT_EQ(s[19].toString(), QLatin1String("QX_DATA1"));
    const QDBusMessage unknown =
        Call(SetupServer, "GetSensorSetup", {QStringLiteral("WX1"), QStringLiteral("NOPE")});
    ASSERT_EQ(unknown.type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(qdbus_cast<QVariantList>(unknown.arguments().value(0)).isEmpty());

    // A call with the wrong arguments is an error, not a crash.
    EXPECT_EQ(Call(SetupServer, "QuerySetup", {42}).type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(Setup(QStringLiteral("SetupLoad")), QLatin1String("OK"));
}

TEST_F(SuiteBusTest, GeneratedEventsFollowRegistrations) {
    TEventLog rtu, decode;
    Listen(RtuServer, rtu);
    Listen(DecodeServer, decode);
    // Both stations are due on the same ticks: once the decode server's
    // first event is in, and everything sent before it, the RTU server has
    // had its chance to send and must not have.
    Register(DecodeServer, "$GOESTIMED");
    ASSERT_TRUE(WaitFor([&] { return !decode.Events.isEmpty(); }));
    ASSERT_TRUE(Flush(bus_, ToQString(SetupServer.BusName)));
    EXPECT_TRUE(rtu.Events.isEmpty()) << "no client registered yet";

    Register(RtuServer, "$realtime");
    ASSERT_TRUE(WaitFor([&] { return !rtu.Events.isEmpty(); }));
    const QVariantList args = Arguments(rtu.Events.first());
    EXPECT_EQ(DispatchId(rtu.Events.first()), ServerData);
    ASSERT_EQ(args.size(), 3);
    EXPECT_EQ(args[0].toString(), ToQString(IID_IQXRtuDataCOM));
    EXPECT_EQ(args[1].toString(), QLatin1String("$REALTIME"));
    EXPECT_TRUE(args[2].toString().contains(QRegularExpression(QStringLiteral(
        "^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d,WX1\\.AIR,12\\.5,WX1\\.BATT,13\\.10$"))))
        << args[2].toString().toStdString();

    const QVariantList goes = Arguments(decode.Events.first());
    EXPECT_EQ(goes.value(0).toString(), ToQString(IID_IQXDecodeCom));
    EXPECT_EQ(goes.value(1).toString(), QLatin1String("$GOESTIMED"));
    EXPECT_TRUE(goes.value(2).toString().contains(QLatin1String(",RIVER.LEVEL:2,")));
    // Only what was registered: no $TIMETAG at the RTU server, nothing from
    // the Modbus RTU server.
    for (const QDBusMessage& e : rtu.Events)
        EXPECT_EQ(Arguments(e).value(1).toString(), QLatin1String("$REALTIME"));

    // The current values answer in the same text.
    const QDBusMessage current =
        Call(RtuServer, "QueryCurrentData", {QStringLiteral("WX1.$REALTIME")});
    EXPECT_TRUE(current.arguments().value(0).toString().endsWith(
        QLatin1String(",WX1.AIR,12.5,WX1.BATT,13.10")));
    EXPECT_TRUE(Call(DecodeServer, "QueryCurrentData", {QStringLiteral("PUMP.$REALTIME")})
                    .arguments()
                    .value(0)
                    .toString()
                    .endsWith(QLatin1String(",PUMP.STATE,RUN")));

    // Time tags and alarm changes come when asked for too.
    Register(RtuServer, "$TIMETAG");
    Register(DecodeServer, "$GOESRANDOM");
    auto has = [](const TEventLog& log, const char* type) {
        for (const QDBusMessage& e : log.Events)
            if (Arguments(e).value(1).toString() == QLatin1String(type)) return true;
        return false;
    };
    EXPECT_TRUE(WaitFor([&] { return has(rtu, "$TIMETAG") && has(decode, "$GOESRANDOM"); }));

    // Generation stops and starts again.
    ASSERT_EQ(Control("SetGenerating", {false}).type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(Flush(bus_, ToQString(SetupServer.BusName)));
    const qsizetype count = rtu.Events.size();
    // Four ticks' worth of nothing, and everything sent meanwhile delivered.
    Pause(200);
    ASSERT_TRUE(Flush(bus_, ToQString(SetupServer.BusName)));
    EXPECT_EQ(rtu.Events.size(), count);
    ASSERT_EQ(Control("SetGenerating", {true}).type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(WaitFor([&] { return rtu.Events.size() > count; }));
}

TEST_F(SuiteBusTest, ControlRaisesEvents) {
    TEventLog setup, mbrtu;
    Listen(SetupServer, setup);
    Listen(ZOVizServer, mbrtu);
    const QString text = QStringLiteral("05/12/2009 10:15:00,PUMP.RPM,1480");
    ASSERT_EQ(Control("Emit", {QStringLiteral("mbrtu"), QStringLiteral("$REALTIME"), text}).type(),
              QDBusMessage::ReplyMessage);
    ASSERT_TRUE(WaitFor([&] { return !mbrtu.Events.isEmpty(); }));
    EXPECT_EQ(Arguments(mbrtu.Events.first()),
              (QVariantList{ToQString(IID_IQXMBRTUDataCOM), QStringLiteral("$REALTIME"), text}));

    // The command line does the same; an event with any id and arguments.
    const auto [status, error] =
        Command({QStringLiteral("--emit"), QStringLiteral("mbrtu"), QStringLiteral("$TIMETAG"),
                 QStringLiteral("05/12/2009 10:15:01")});
    EXPECT_EQ(status, 0) << error.toStdString();
    ASSERT_TRUE(WaitFor([&] { return mbrtu.Events.size() == 2; }));
    EXPECT_EQ(Arguments(mbrtu.Events[1]).value(1).toString(), QLatin1String("$TIMETAG"));
    const QVariantList any{5, QStringLiteral("five"), true};
    ASSERT_EQ(Control("EmitEvent", {QStringLiteral("mbrtu"), 77, QVariant(any)}).type(),
              QDBusMessage::ReplyMessage);
    ASSERT_TRUE(WaitFor([&] { return mbrtu.Events.size() == 3; }));
    EXPECT_EQ(DispatchId(mbrtu.Events[2]), 77);
    EXPECT_EQ(Arguments(mbrtu.Events[2]), any);

    // Refresh: setup event 1 with the setup server's identifier or the given one.
    ASSERT_EQ(Control("Refresh", {QString()}).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(Command({QStringLiteral("--refresh"), QStringLiteral("{X}")}).first, 0);
    EXPECT_EQ(Command({QStringLiteral("--shutdown"), QStringLiteral("setup")}).first, 0);
    ASSERT_TRUE(WaitFor([&] { return setup.Events.size() == 3; }));
    EXPECT_EQ(DispatchId(setup.Events[0]), SetupRefresh);
    EXPECT_EQ(Arguments(setup.Events[0]), QVariantList{ToQString(IID_IQXSetupCom)});
    EXPECT_EQ(Arguments(setup.Events[1]), QVariantList{QStringLiteral("{X}")});
    EXPECT_EQ(DispatchId(setup.Events[2]), SetupShutdown);

    // Bad control calls are errors with a reason.
    const QDBusMessage bad =
        Control("Emit", {QStringLiteral("pager"), QStringLiteral("$REALTIME"), text});
    EXPECT_EQ(bad.errorName(), QLatin1String("org.freedesktop.DBus.Error.InvalidArgs"));
    EXPECT_EQ(Control("SetDelay", {QStringLiteral("rtu"), -1}).type(), QDBusMessage::ErrorMessage);
    const auto [badStatus, badError] = Command(
        {QStringLiteral("--emit"), QStringLiteral("pager"), QStringLiteral("$REALTIME"), text});
    EXPECT_EQ(badStatus, 2);
}

TEST_F(SuiteBusTest, ShutdownReleasesTheServersNameAndAbsenceBringsItBack) {
    TEventLog rtu;
    Listen(RtuServer, rtu);
    ASSERT_EQ(Control("Shutdown", {QStringLiteral("rtu")}).type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(WaitFor([&] { return !rtu.Events.isEmpty(); }));
    EXPECT_EQ(DispatchId(rtu.Events.first()), ServerShutdown);
    EXPECT_TRUE(Arguments(rtu.Events.first()).isEmpty());
    EXPECT_FALSE(Owned(RtuServer));
    EXPECT_TRUE(Owned(DecodeServer));
    EXPECT_EQ(
        Control("Emit", {QStringLiteral("rtu"), QStringLiteral("$REALTIME"), QStringLiteral("x")})
            .errorName(),
        QLatin1String("QXSetup.Error.Absent"));

    ASSERT_EQ(Control("SetAbsent", {QStringLiteral("rtu"), false}).type(),
              QDBusMessage::ReplyMessage);
    EXPECT_TRUE(Owned(RtuServer));
    const auto [status, error] = Command({QStringLiteral("--shutdown"), QStringLiteral("rtu")});
    EXPECT_EQ(status, 0) << error.toStdString();
    EXPECT_FALSE(Owned(RtuServer));

    // The setup server stays on the bus (the control shares its name) but
    // stops answering while absent.
    ASSERT_EQ(Control("SetAbsent", {QStringLiteral("setup"), true}).type(),
              QDBusMessage::ReplyMessage);
    EXPECT_EQ(Call(SetupServer, "QuerySetup", {QStringLiteral("SetupLoad")}).type(),
              QDBusMessage::ErrorMessage);
    ASSERT_EQ(Control("SetAbsent", {QStringLiteral("setup"), false}).type(),
              QDBusMessage::ReplyMessage);
    EXPECT_EQ(Call(SetupServer, "QuerySetup", {QStringLiteral("General,Stations")}).type(),
              QDBusMessage::ReplyMessage);
}

TEST_F(SuiteBusTest, ADelayedServerDoesNotHoldUpTheOthers) {
    ASSERT_EQ(Control("SetDelay", {QStringLiteral("setup"), 600}).type(),
              QDBusMessage::ReplyMessage);
    QDBusMessage call = QDBusMessage::createMethodCall(
        ToQString(SetupServer.BusName), ToQString(SetupServer.ObjectPath),
        ToQString(SetupServer.Interface), QStringLiteral("QuerySetup"));
    call.setArguments({QStringLiteral("General,Stations")});
    QElapsedTimer clock;
    clock.start();
    QDBusPendingCall pending = bus_.asyncCall(call);
    // Meanwhile the RTU server answers at once.
    const QDBusMessage rtu = Call(RtuServer, "QueryCurrentData", {QStringLiteral("WX1.$REALTIME")});
    EXPECT_EQ(rtu.type(), QDBusMessage::ReplyMessage);
    EXPECT_LT(clock.elapsed(), 500);
    ASSERT_TRUE(WaitFor([&] { return pending.isFinished(); }));
    EXPECT_GE(clock.elapsed(), 590);
    EXPECT_EQ(pending.reply().arguments().value(0).toString(), QLatin1String("WX1,RIVER,PUMP"));
}

TEST_F(SuiteBusTest, ASecondSuiteAndCommandsWithoutSuiteFail) {
    const auto [second, secondError] = Command({QStringLiteral("--suite"), suiteFile_});
    EXPECT_EQ(second, 1);
    EXPECT_TRUE(secondError.contains(QLatin1String("QXSetup.Applications")))
        << secondError.toStdString();

    EXPECT_EQ(Command({QStringLiteral("--quit")}).first, 0);
    ASSERT_TRUE(server_.waitForFinished(3000));
    EXPECT_EQ(server_.exitCode(), 0);
    ASSERT_TRUE(WaitFor([&] { return !Owned(SetupServer) && !Owned(RtuServer); }));

    const auto [status, error] = Command({QStringLiteral("--emit"), QStringLiteral("rtu"),
                                          QStringLiteral("$REALTIME"), QStringLiteral("x")});
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(error.startsWith(QLatin1String("qxsetup: no suite is running")))
        << error.toStdString();
    EXPECT_EQ(error.count(QLatin1Char('\n')), 1);

    // A broken suite file is bad use, reported on one line per fault.
    QFile bad(dir_.filePath(QStringLiteral("bad.suite")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("[Station A]\nServer=modem\n");
    bad.close();
    const auto [badStatus, badError] = Command({QStringLiteral("--suite"), bad.fileName()});
    EXPECT_EQ(badStatus, 2);
    EXPECT_TRUE(badError.contains(QLatin1String("Server=modem"))) << badError.toStdString();
    EXPECT_EQ(
        Command({QStringLiteral("--suite"), dir_.filePath(QStringLiteral("missing.suite"))}).first,
        2);
}

// A suite on a bus of its own, as for a remote node, with the default suite
// file the build puts beside qxsetup.
TEST(SuiteOnAnotherBus, ServesAndObeysThere) {
    TPrivateBus daemon;
    ASSERT_TRUE(daemon.Start()) << daemon.Error().toStdString();
    const QString address = daemon.Address();

    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(QStringLiteral(QX_SETUP_EXE), {QStringLiteral("--bus"), address});
    ASSERT_TRUE(server.waitForStarted());
    {
        QDBusConnection other = QDBusConnection::connectToBus(address, QStringLiteral("other"));
        ASSERT_TRUE(other.isConnected());
        ASSERT_TRUE(WaitFor([&] {
            return other.interface()->isServiceRegistered(ToQString(RtuServer.BusName)).value();
        }));
        QDBusMessage call = QDBusMessage::createMethodCall(
            ToQString(SetupServer.BusName), ToQString(SetupServer.ObjectPath),
            ToQString(SetupServer.Interface), QStringLiteral("QuerySetup"));
        call.setArguments({QStringLiteral("General,Stations")});
        EXPECT_EQ(other.call(call).arguments().value(0).toString(),
                  QLatin1String("WX1,RIVER1,PUMP1"));
        // Not on the session bus.
        QDBusConnection session = QDBusConnection::sessionBus();
        if (session.isConnected()) {
            EXPECT_FALSE(
                session.interface()->isServiceRegistered(ToQString(SetupServer.BusName)).value());
        }
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("other"));

    QProcess quit;
    quit.start(QStringLiteral(QX_SETUP_EXE),
               {QStringLiteral("--bus"), address, QStringLiteral("--quit")});
    ASSERT_TRUE(quit.waitForFinished(10000));
    EXPECT_EQ(quit.exitCode(), 0) << quit.readAllStandardError().toStdString();
    EXPECT_TRUE(server.waitForFinished(3000));
    EXPECT_EQ(server.exitCode(), 0);
}

}  // namespace
}  // namespace qx::suite

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "SuiteBusTest.moc"
