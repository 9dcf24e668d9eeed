// The automation server in this process on the test's session bus; its
// clients are qxservices processes and a second connection of this one.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QSignalSpy>
#include <QTest>
#include <stdexcept>

#include "services/AutomationServer.h"
#include "services/ServicesProtocol.h"
#include "services/tests/ClientProcess.h"
#include "system/QtText.h"
#include "testsupport/PrivateBus.h"

namespace qx::services {
namespace {

QString Q(std::string_view text) {
    return ToQString(text);
}

TLocalTime PinnedTime() {
    return {2010, 1, 7, 9, 5, 3};
}

class TSignalCounter : public QObject {
    Q_OBJECT
public:
    QList<QDBusMessage> Messages;
public slots:
    void Count(const QDBusMessage& message) { Messages << message; }
};

// A client of the server on its own connection to the session bus.
class AutomationServer : public ::testing::Test {
protected:
    void SetUp() override {
        caller_ = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "caller");
        ASSERT_TRUE(caller_.isConnected());
    }
    void TearDown() override {
        server_.reset();
        QDBusConnection::disconnectFromBus("caller");
    }

    void StartServer(TClock clock = PinnedTime) {
        server_ = std::make_unique<TAutomationServer>(QDBusConnection::sessionBus(), clock);
        QString error;
        ASSERT_TRUE(server_->Start(&error)) << error.toStdString();
    }

    QDBusMessage Call(const QString& path, std::string_view interface, const QString& method,
                      const QList<QVariant>& args = {}) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(Q(AutomationBusName), path, Q(interface), method);
        call.setArguments(args);
        // The server is in this thread: it answers while the caller waits.
        return caller_.call(call, QDBus::BlockWithGui);
    }

    QString Create() {
        const QDBusMessage reply =
            Call(Q(ClassObjectPath), ClassFactoryInterface, "CreateInstance");
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        return reply.arguments().value(0).value<QDBusObjectPath>().path();
    }

    // Everything the server sent before now has reached the caller and the
    // server has handled what the bus told it.
    void Flush() {
        ASSERT_TRUE(qx::Flush(caller_, QDBusConnection::sessionBus().baseService()));
        ASSERT_TRUE(qx::Flush(QDBusConnection::sessionBus(), caller_.baseService()));
    }

    QDBusConnection caller_{QString()};
    std::unique_ptr<TAutomationServer> server_;
};

TEST_F(AutomationServer, EachLiveSinkGetsOneItemChangeWithTheCallersStrings) {
    StartServer();
    const QString path = Create();
    ASSERT_EQ(path, "/QXRTDCom/1");

    // Three sinks in three processes, each holding a reference of its own.
    std::vector<std::unique_ptr<TClientProcess>> sinks;
    for (int i = 0; i < 3; ++i) {
        sinks.push_back(std::make_unique<TClientProcess>(QStringList{"watch", "--object", path}));
        ASSERT_TRUE(sinks.back()->Start()) << sinks.back()->Errors().toStdString();
        EXPECT_EQ(sinks.back()->Value("cookie"), QString::number(i + 1));
    }
    QSignalSpy lastReleased(server_.get(), &TAutomationServer::LastObjectReleased);

    sinks[1]->Kill();
    const QString appId = "{34B27866-92A3-4C66-8376-28E8AFA3C0A4}";
    const QStringList first{appId, "Ünïcødé item\twith a tab", "line 1\nline 2 \"quoted\" \\"};
    QDBusMessage reply =
        Call(path, ObjectInterface, "SetItemChange", {first[0], first[1], first[2]});
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    reply = Call(path, ObjectInterface, "SetItemChange", {QString(), QString(""), QString()});
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();

    const QStringList empty{"", "", ""};
    for (const int i : {0, 2}) {
        ASSERT_TRUE(sinks[i]->WaitForLine("OnItemChange [\"\",\"\",\"\"]"))
            << sinks[i]->Lines().join('\n').toStdString();
        EXPECT_EQ(sinks[i]->ItemChanges(), (QList<QStringList>{first, empty})) << i;
    }
    // The killed client's sink goes once the bus has told the server.
    ASSERT_TRUE(QTest::qWaitFor([&] { return server_->Registry().Sinks(1).size() == 2; }, 10000));
    EXPECT_TRUE(lastReleased.isEmpty());
}

TEST_F(AutomationServer, OnlyAdvisedConnectionsReceiveUntilTheyUnadvise) {
    StartServer();
    const QString path = Create();
    TClientProcess sink({"watch", "--object", path});
    ASSERT_TRUE(sink.Start()) << sink.Errors().toStdString();

    // The caller listens for the signal from any sender: a broadcast would
    // reach it, a signal addressed to the sink does not.
    TSignalCounter heard;
    ASSERT_TRUE(caller_.connect(QString(), QString(), Q(EventInterface), Q(ItemChangeSignal),
                                &heard, SLOT(Count(QDBusMessage))));
    const auto send = [&](const QString& item) {
        const QDBusMessage reply = Call(path, ObjectInterface, "SetItemChange", {"A", item, "1"});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        EXPECT_TRUE(sink.WaitForLine("OnItemChange [\"A\",\"" + item + "\",\"1\"]"));
        Flush();
    };
    send("one");
    EXPECT_EQ(heard.Messages.size(), 0);

    QDBusMessage reply = Call(path, ConnectionPointInterface, "Advise");
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage);
    const uint cookie = reply.arguments().value(0).toUInt();
    EXPECT_EQ(cookie, 2u);
    send("two");
    ASSERT_EQ(heard.Messages.size(), 1);
    EXPECT_EQ(heard.Messages[0].path(), path);
    EXPECT_EQ(heard.Messages[0].arguments(), (QList<QVariant>{"A", "two", "1"}));
    EXPECT_EQ(heard.Messages[0].signature(), "sss");

    // The sink's cookie is not the caller's to take back.
    EXPECT_EQ(Call(path, ConnectionPointInterface, "Unadvise", {uint(1)}).errorName(),
              Q(ErrorNoConnection));
    reply = Call(path, ConnectionPointInterface, "Unadvise", {cookie});
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    send("three");
    EXPECT_EQ(heard.Messages.size(), 1);
    EXPECT_EQ(sink.ItemChanges().size(), 3);
}

TEST_F(AutomationServer, HeartbeatAtAPinnedTimeWithTheRegionalSeparators) {
    StartServer();
    struct TCase {
        char Date, Time;
        const char* Expected;
    };
    for (const TCase c :
         {TCase{'/', ':', "2010/01/07 09:05:03"}, TCase{'.', ':', "2010.01.07 09:05:03"},
          TCase{'-', '.', "2010-01-07 09.05.03"}}) {
        ScopedRegional regional(c.Date, c.Time);
        TClientProcess alive({"alive"});
        ASSERT_TRUE(alive.Run()) << alive.Errors().toStdString();
        EXPECT_EQ(alive.Process().exitCode(), 0) << alive.Errors().toStdString();
        EXPECT_EQ(alive.Lines(), QStringList{c.Expected});
    }
    // qxservices released the objects it made for the heartbeat.
    Flush();
    EXPECT_EQ(server_->ObjectCount(), 0u);
}

TEST_F(AutomationServer, AFailureIsAnErrorReplyWithTheDescriptionSourceAndCode) {
    StartServer([]() -> TLocalTime { throw std::runtime_error("the clock has stopped"); });
    const QString path = Create();
    const QDBusMessage reply = Call(path, ObjectInterface, "IsAlive");
    ASSERT_EQ(reply.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(reply.errorName(), Q(ErrorUnexpected));
    EXPECT_EQ(reply.errorMessage(), "the clock has stopped");
    EXPECT_EQ(reply.arguments(),
              (QList<QVariant>{"the clock has stopped", "QXRTD.QXRTDCom", uint(0x8000FFFF)}));
    // The server goes on serving.
    EXPECT_EQ(Call(path, ObjectInterface, "SetItemChange", {"a", "b", "c"}).type(),
              QDBusMessage::ReplyMessage);
}

TEST_F(AutomationServer, BadCallsAreErrorsOfTheirKind) {
    StartServer();
    const QString path = Create();
    struct TCase {
        QString Path;
        std::string_view Interface;
        QString Method;
        QList<QVariant> Args;
        QString Error;
    };
    const TCase cases[] = {
        {path,
         ObjectInterface,
         "SetItemChange",
         {"a", "b"},
         "org.freedesktop.DBus.Error.InvalidArgs"},
        {path, ObjectInterface, "IsAlive", {1}, "org.freedesktop.DBus.Error.InvalidArgs"},
        {path, ObjectInterface, "Explode", {}, "org.freedesktop.DBus.Error.UnknownMethod"},
        {path, "QXRTD.Other", "IsAlive", {}, "org.freedesktop.DBus.Error.UnknownInterface"},
        {Q(ClassObjectPath),
         ObjectInterface,
         "IsAlive",
         {},
         "org.freedesktop.DBus.Error.UnknownInterface"},
        {"/QXRTDCom/2", ObjectInterface, "IsAlive", {}, "org.freedesktop.DBus.Error.UnknownObject"},
        {"/QXRTDCom/01",
         ObjectInterface,
         "IsAlive",
         {},
         "org.freedesktop.DBus.Error.UnknownObject"},
        {"/QXRTDCom/1/2",
         ObjectInterface,
         "IsAlive",
         {},
         "org.freedesktop.DBus.Error.UnknownObject"},
        {path, ConnectionPointInterface, "Unadvise", {uint(7)}, Q(ErrorNoConnection)},
    };
    for (const TCase& c : cases) {
        const QDBusMessage reply = Call(c.Path, c.Interface, c.Method, c.Args);
        EXPECT_EQ(reply.errorName(), c.Error)
            << c.Path.toStdString() << " " << c.Method.toStdString();
    }
    // Another connection holds no reference to release; the caller's stays.
    QDBusConnection other = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "other");
    const QDBusMessage refused =
        other.call(QDBusMessage::createMethodCall(Q(AutomationBusName), path, Q(ReferenceInterface),
                                                  "Release"),
                   QDBus::BlockWithGui);
    QDBusConnection::disconnectFromBus("other");
    EXPECT_EQ(refused.errorName(), Q(ErrorNoReference));
    EXPECT_EQ(Call(path, ReferenceInterface, "Release").type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(Call(path, ReferenceInterface, "Release").errorName(),
              "org.freedesktop.DBus.Error.UnknownObject");
}

TEST_F(AutomationServer, ObjectsEndWithTheirLastReferenceOrTheirClientsConnection) {
    StartServer();
    QSignalSpy lastReleased(server_.get(), &TAutomationServer::LastObjectReleased);
    const QString mine = Create();
    EXPECT_EQ(Call(mine, ReferenceInterface, "AddRef").type(), QDBusMessage::ReplyMessage);

    TClientProcess holder({"watch"});
    ASSERT_TRUE(holder.Start()) << holder.Errors().toStdString();
    const QString theirs = holder.Value("object");
    EXPECT_EQ(theirs, "/QXRTDCom/2");

    // The class object lists the objects as its children.
    QDBusMessage introspect =
        Call(Q(ClassObjectPath), "org.freedesktop.DBus.Introspectable", "Introspect");
    const QString xml = introspect.arguments().value(0).toString();
    EXPECT_TRUE(xml.contains("<interface name=\"QXRTD.ClassFactory\">")) << xml.toStdString();
    EXPECT_TRUE(xml.contains("<node name=\"1\"/>") && xml.contains("<node name=\"2\"/>"))
        << xml.toStdString();
    introspect = Call(theirs, "org.freedesktop.DBus.Introspectable", "Introspect");
    for (const char* i :
         {"QXRTD.IQXRTDCom", "QXRTD.IQXRTDComEvents", "QXRTD.ConnectionPoint", "QXRTD.Reference"})
        EXPECT_TRUE(introspect.arguments().value(0).toString().contains(i)) << i;

    holder.Kill();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server_->ObjectCount() == 1; }, 10000));
    EXPECT_EQ(Call(theirs, ObjectInterface, "IsAlive").errorName(),
              "org.freedesktop.DBus.Error.UnknownObject");
    EXPECT_TRUE(lastReleased.isEmpty());

    EXPECT_EQ(Call(mine, ReferenceInterface, "Release").type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(Call(mine, ObjectInterface, "IsAlive").type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(Call(mine, ReferenceInterface, "Release").type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(server_->ObjectCount(), 0u);
    // Emitted once the call that released it has been answered.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !lastReleased.isEmpty(); }, 5000));
    EXPECT_EQ(lastReleased.size(), 1);
}

}  // namespace
}  // namespace qx::services

#include "AutomationServerTest.moc"
