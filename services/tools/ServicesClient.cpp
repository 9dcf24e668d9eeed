// qxservices: a small client of the program's services, for shells and
// tests. "watch" holds an automation object and prints each item change it
// receives, "alive" prints the heartbeat, "converse" holds a conversation
// with the desktop service until the program ends it, "restore" brings the
// program's window forward.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

#include <cstdio>

#include "services/ServicesProtocol.h"

namespace {

using namespace qx::services;

QString Text(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

void Say(const QString& line) {
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

[[noreturn]] void Fail(const QString& what, int code = 1) {
    std::fprintf(stderr, "qxservices: %s\n", what.toUtf8().constData());
    std::exit(code);
}

const char* const Usage =
    "usage: qxservices [--bus ADDRESS] watch [--object PATH] [--no-advise]\n"
    "       qxservices [--bus ADDRESS] alive [--object PATH]\n"
    "       qxservices [--bus ADDRESS] converse [TOPIC]\n"
    "       qxservices [--bus ADDRESS] restore\n";

[[noreturn]] void UsageError() {
    std::fputs(Usage, stderr);
    std::exit(2);
}

QDBusMessage Call(QDBusConnection& bus, std::string_view service, const QString& path,
                  std::string_view interface, const char* method,
                  const QList<QVariant>& args = {}) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(Text(service), path, Text(interface), QString(method));
    call.setArguments(args);
    const QDBusMessage reply = bus.call(call);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        // The error's further arguments (source, code) follow its message.
        QString what = QStringLiteral("%1: %2").arg(method, reply.errorName());
        for (const QVariant& a : reply.arguments()) what += ": " + a.toString();
        Fail(what);
    }
    return reply;
}

// Prints each OnItemChange as a JSON array of its three strings.
class TPrinter : public QObject {
    Q_OBJECT
public slots:
    void OnItemChange(const QString& appId, const QString& item, const QString& value) {
        const QJsonArray fields{appId, item, value};
        Say("OnItemChange " +
            QString::fromUtf8(QJsonDocument(fields).toJson(QJsonDocument::Compact)));
    }
    void OnDisconnected(uint conversation) {
        Say(QStringLiteral("disconnected %1").arg(conversation));
        QCoreApplication::exit(0);
    }
};

void QuitWhenGone(QDBusConnection& bus, std::string_view service, QObject* parent) {
    auto* watcher = new QDBusServiceWatcher(Text(service), bus,
                                            QDBusServiceWatcher::WatchForUnregistration, parent);
    QObject::connect(watcher, &QDBusServiceWatcher::serviceUnregistered, [] {
        Say("server gone");
        QCoreApplication::exit(2);
    });
}

int Watch(QDBusConnection& bus, QStringList args) {
    QString path;
    bool advise = true;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (a == "--object" && !args.isEmpty())
            path = args.takeFirst();
        else if (a == "--no-advise")
            advise = false;
        else
            UsageError();
    }
    TPrinter printer;
    QuitWhenGone(bus, AutomationBusName, &printer);
    if (path.isEmpty()) {
        const QDBusMessage reply = Call(bus, AutomationBusName, Text(ClassObjectPath),
                                        ClassFactoryInterface, "CreateInstance");
        path = reply.arguments().value(0).value<QDBusObjectPath>().path();
    } else {
        Call(bus, AutomationBusName, path, ReferenceInterface, "AddRef");
    }
    Say("object " + path);
    // Subscribed before advising, so the first event is not missed.
    if (!bus.connect(Text(AutomationBusName), path, Text(EventInterface), Text(ItemChangeSignal),
                     &printer, SLOT(OnItemChange(QString, QString, QString))))
        Fail("cannot receive OnItemChange: " + bus.lastError().message());
    if (advise) {
        const QDBusMessage reply =
            Call(bus, AutomationBusName, path, ConnectionPointInterface, "Advise");
        Say(QStringLiteral("cookie %1").arg(reply.arguments().value(0).toUInt()));
    }
    Say("ready");
    return QCoreApplication::exec();
}

// One heartbeat from the object at path, or from a new one made for it.
int Alive(QDBusConnection& bus, QStringList args) {
    QString path;
    if (args.size() == 2 && args.at(0) == "--object")
        path = args.at(1);
    else if (!args.isEmpty())
        UsageError();
    const bool own = path.isEmpty();
    if (own) {
        const QDBusMessage reply = Call(bus, AutomationBusName, Text(ClassObjectPath),
                                        ClassFactoryInterface, "CreateInstance");
        path = reply.arguments().value(0).value<QDBusObjectPath>().path();
    }
    const QDBusMessage reply = Call(bus, AutomationBusName, path, ObjectInterface, "IsAlive");
    Say(reply.arguments().value(0).toString());
    if (own) Call(bus, AutomationBusName, path, ReferenceInterface, "Release");
    return 0;
}

int Converse(QDBusConnection& bus, const QStringList& args) {
    if (args.size() > 1) UsageError();
    TPrinter printer;
    QuitWhenGone(bus, DesktopBusName, &printer);
    if (!bus.connect(Text(DesktopBusName), Text(ConversationPath), Text(ConversationInterface),
                     Text(DisconnectedSignal), &printer, SLOT(OnDisconnected(uint))))
        Fail("cannot receive Disconnected: " + bus.lastError().message());
    const QDBusMessage reply = Call(bus, DesktopBusName, Text(ConversationPath),
                                    ConversationInterface, "Connect", {args.value(0)});
    Say(QStringLiteral("conversation %1").arg(reply.arguments().value(0).toUInt()));
    Say("ready");
    return QCoreApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    QString address;
    if (args.value(0) == "--bus") {
        if (args.size() < 2) UsageError();
        address = args.at(1);
        args = args.mid(2);
    }
    if (args.isEmpty()) UsageError();
    QDBusConnection bus = address.isEmpty() ? QDBusConnection::sessionBus()
                                            : QDBusConnection::connectToBus(address, "qxservices");
    if (!bus.isConnected()) Fail("no bus: " + bus.lastError().message());

    const QString command = args.takeFirst();
    if (command == "watch") return Watch(bus, args);
    if (command == "alive") return Alive(bus, args);
    if (command == "converse") return Converse(bus, args);
    if (command == "restore" && args.isEmpty()) {
        Call(bus, DesktopBusName, Text(MainWindowPath), MainWindowInterface, "Restore");
        return 0;
    }
    UsageError();
}

#include "ServicesClient.moc"
