// The desktop service in this process on the test's session bus; its
// clients are qxservices processes and a second connection of this one.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QTest>

#include "services/DesktopService.h"
#include "services/ServicesProtocol.h"
#include "services/tests/ClientProcess.h"
#include "system/QtText.h"
#include "testsupport/PrivateBus.h"

namespace qx::services {
namespace {

QString Q(std::string_view text) {
    return ToQString(text);
}

bool NameOwned(const QString& name) {
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(name).value();
}

TEST(DesktopService, HoldsItsNameFromStartUntilDestroyed) {
    EXPECT_FALSE(NameOwned(Q(DesktopBusName)));
    {
        TDesktopService service(QDBusConnection::sessionBus(), {});
        QString error;
        ASSERT_TRUE(service.Start(&error)) << error.toStdString();
        EXPECT_TRUE(NameOwned(Q(DesktopBusName)));
    }
    EXPECT_FALSE(NameOwned(Q(DesktopBusName)));
}

TEST(DesktopService, ConversationsOpenAnswerNotDefinedAndAllEndWithASignal) {
    TDesktopService service(QDBusConnection::sessionBus(), {});
    ASSERT_TRUE(service.Start());
    TClientProcess first({"converse", "System"});
    ASSERT_TRUE(first.Start()) << first.Errors().toStdString();
    TClientProcess second({"converse"});
    ASSERT_TRUE(second.Start()) << second.Errors().toStdString();
    EXPECT_EQ(first.Value("conversation"), "1");
    EXPECT_EQ(second.Value("conversation"), "2");

    // A caller of its own: its requests in its conversation are answered
    // NotDefined, another client's conversation is not its to use.
    QDBusConnection caller = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "caller");
    const auto call = [&](const QString& method, const QList<QVariant>& args) {
        QDBusMessage m = QDBusMessage::createMethodCall(Q(DesktopBusName), Q(ConversationPath),
                                                        Q(ConversationInterface), method);
        m.setArguments(args);
        return caller.call(m, QDBus::BlockWithGui);
    };
    const QDBusMessage opened = call("Connect", {"Any"});
    ASSERT_EQ(opened.type(), QDBusMessage::ReplyMessage) << opened.errorMessage().toStdString();
    const uint mine = opened.arguments().value(0).toUInt();
    EXPECT_EQ(mine, 3u);
    struct TCase {
        QString Method;
        QList<QVariant> Args;
        QString Error;
    };
    const TCase cases[] = {
        {"Request", {mine, "Value"}, Q(ErrorNotDefined)},
        {"Poke", {mine, "Value", "12"}, Q(ErrorNotDefined)},
        {"Execute", {mine, "[Open(1)]"}, Q(ErrorNotDefined)},
        {"Request", {uint(1), "Value"}, Q(ErrorNoConversation)},
        {"Disconnect", {uint(2)}, Q(ErrorNoConversation)},
        {"Request", {mine}, "org.freedesktop.DBus.Error.InvalidArgs"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(call(c.Method, c.Args).errorName(), c.Error) << c.Method.toStdString();
    EXPECT_EQ(call("Disconnect", {mine}).type(), QDBusMessage::ReplyMessage);
    QDBusConnection::disconnectFromBus("caller");
    EXPECT_EQ(service.ConversationCount(), 2u);

    service.DisconnectAll();
    EXPECT_EQ(service.ConversationCount(), 0u);
    for (TClientProcess* p : {&first, &second}) {
        ASSERT_TRUE(p->WaitForExit()) << p->Lines().join('\n').toStdString();
        EXPECT_EQ(p->Process().exitCode(), 0) << p->Errors().toStdString();
    }
    EXPECT_EQ(first.Lines().last(), "disconnected 1");
    EXPECT_EQ(second.Lines().last(), "disconnected 2");
}

TEST(DesktopService, AClientThatLeavesTakesItsConversationsWithIt) {
    TDesktopService service(QDBusConnection::sessionBus(), {});
    ASSERT_TRUE(service.Start());
    TClientProcess client({"converse", "Any"});
    ASSERT_TRUE(client.Start()) << client.Errors().toStdString();
    EXPECT_EQ(service.ConversationCount(), 1u);
    client.Kill();
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.ConversationCount() == 0; }, 10000));
}

TEST(DesktopService, RestoreRunsTheWindowsRequest) {
    int restores = 0;
    TDesktopService service(QDBusConnection::sessionBus(), [&] { ++restores; });
    ASSERT_TRUE(service.Start());
    TClientProcess restore({"restore"});
    ASSERT_TRUE(restore.Run()) << restore.Errors().toStdString();
    EXPECT_EQ(restore.Process().exitCode(), 0) << restore.Errors().toStdString();
    EXPECT_EQ(restores, 1);
}

}  // namespace
}  // namespace qx::services
