#include "services/AutomationServer.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <exception>

#include "services/BusObject.h"
#include "services/ClientWatch.h"
#include "services/ServicesProtocol.h"
#include "system/QtText.h"
#include "textscan/Diagnostics.h"

namespace qx::services {

namespace {

QString Text(std::string_view text) {
    return ToQString(text);
}

// The object number of /QXRTDCom/N; 0 for the class object, -1 for a path
// that names neither.
qint64 ObjectOfPath(const QString& path) {
    const QString root = Text(ClassObjectPath);
    if (path == root) return 0;
    if (!path.startsWith(root + '/')) return -1;
    bool ok = false;
    const QString tail = path.mid(root.size() + 1);
    const uint n = tail.toUInt(&ok);
    // Only the path's own spelling: no sign, no leading zeros.
    if (!ok || n == 0 || QString::number(n) != tail) return -1;
    return n;
}

QString ObjectPath(TObjectId object) {
    return Text(ClassObjectPath) + '/' + QString::number(object);
}

// A failure of a method: the description, the source and the code travel
// as the error's arguments, so that a client can show all three.
QDBusMessage Unexpected(const QDBusMessage& call, const QString& description) {
    QDBusMessage reply = call.createErrorReply(Text(ErrorUnexpected), description);
    reply << Text(AutomationBusName) << static_cast<uint>(ErrorUnexpectedCode);
    return reply;
}

QDBusMessage Failure(const QDBusMessage& call, TCallResult result, const QString& what) {
    switch (result) {
        case TCallResult::Ok: break;
        case TCallResult::NoObject:
            return call.createErrorReply(QDBusError::UnknownObject,
                                         QStringLiteral("No object at %1").arg(call.path()));
        case TCallResult::NoReference:
            return call.createErrorReply(
                Text(ErrorNoReference),
                QStringLiteral("%1 holds no reference to %2").arg(call.service(), call.path()));
        case TCallResult::NoConnection:
            return call.createErrorReply(
                Text(ErrorNoConnection),
                QStringLiteral("No sink %1 of %2 at %3").arg(what, call.service(), call.path()));
    }
    return call.createReply();
}

}  // namespace

TAutomationServer::TAutomationServer(const QDBusConnection& bus, TClock clock, QObject* parent)
    : QObject(parent), bus_(bus), clock_(std::move(clock)) {
    clients_ = new TClientWatch(
        bus_, [this](const QString& client) { registry_.ClientGone(client.toStdString()); }, this);
    registry_.OnLastObjectEnded = [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (registry_.ObjectCount() == 0) emit LastObjectReleased();
            },
            Qt::QueuedConnection);
    };
    object_ = new TBusObject(
        [this](const QString& path) {
            TBusObject::TRoute route;
            const qint64 n = ObjectOfPath(path);
            if (n == 0) {
                route.Exists = true;
                route.Interfaces = {&ClassFactoryBusInterface()};
                for (const TObjectId id : registry_.Objects())
                    route.Children << QString::number(id);
            } else if (n > 0 && registry_.Exists(static_cast<TObjectId>(n))) {
                route.Exists = true;
                route.Interfaces = {&ObjectBusInterface(), &EventBusInterface(),
                                    &ConnectionPointBusInterface(), &ReferenceBusInterface()};
            }
            return route;
        },
        [this](const QDBusMessage& call, const TBusInterface& interface) {
            return Handle(call, interface);
        },
        this);
}

TAutomationServer::~TAutomationServer() {
    registry_.OnLastObjectEnded = nullptr;
    if (registered_) bus_.unregisterObject(Text(ClassObjectPath), QDBusConnection::UnregisterTree);
    if (ownsName_) bus_.unregisterService(Text(AutomationBusName));
}

bool TAutomationServer::Start(QString* error) {
    if (!bus_.isConnected()) {
        if (error) *error = QStringLiteral("no bus: %1").arg(bus_.lastError().message());
        return false;
    }
    registered_ =
        bus_.registerVirtualObject(Text(ClassObjectPath), object_, QDBusConnection::SubPath);
    if (!registered_) {
        if (error)
            *error = QStringLiteral("%1 is taken on this connection").arg(Text(ClassObjectPath));
        return false;
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        bus_.interface()->registerService(Text(AutomationBusName),
                                          QDBusConnectionInterface::QueueService,
                                          QDBusConnectionInterface::DontAllowReplacement);
    ownsName_ = reply.isValid() && reply.value() != QDBusConnectionInterface::ServiceNotRegistered;
    if (!ownsName_ && error)
        *error = QStringLiteral("cannot own %1: %2")
                     .arg(Text(AutomationBusName), reply.error().message());
    return ownsName_;
}

QDBusMessage TAutomationServer::Handle(const QDBusMessage& call, const TBusInterface& interface) {
    const qint64 n = ObjectOfPath(call.path());
    if (n > 0) return ObjectCall(static_cast<TObjectId>(n), call, interface);
    // The class object's one method.
    const TObjectId object = registry_.Create(call.service().toStdString());
    clients_->Watch(call.service());
    return call.createReply(QVariant::fromValue(QDBusObjectPath(ObjectPath(object))));
}

QDBusMessage TAutomationServer::ObjectCall(TObjectId object, const QDBusMessage& call,
                                           const TBusInterface& interface) {
    const TClient client = call.service().toStdString();
    const QString member = call.member();
    if (interface.Name == Text(ObjectInterface)) {
        // No exception leaves these two: a failure is the error the
        // interface declares.
        try {
            if (member == QLatin1String("IsAlive"))
                return call.createReply(ToQString(HeartbeatText(clock_(), Regional())));
            return SetItemChange(object, call);
        } catch (const std::exception& e) {
            LogCaught(diagnostics::Services, "TAutomationServer::ObjectCall");
            return Unexpected(call, QString::fromUtf8(e.what()));
        } catch (...) {
            LogCaught(diagnostics::Services, "TAutomationServer::ObjectCall");
            return Unexpected(call, QStringLiteral("Unexpected failure"));
        }
    }
    if (member == QLatin1String("Advise")) {
        const TCookie cookie = registry_.Advise(object, client);
        if (cookie == 0) return Failure(call, TCallResult::NoObject, {});
        clients_->Watch(call.service());
        return call.createReply(QVariant::fromValue(static_cast<uint>(cookie)));
    }
    if (member == QLatin1String("Unadvise")) {
        const uint cookie = call.arguments().value(0).toUInt();
        const TCallResult result = registry_.Unadvise(object, client, cookie);
        Forget(client);
        return Failure(call, result, QString::number(cookie));
    }
    if (member == QLatin1String("AddRef")) {
        const TCallResult result = registry_.AddRef(object, client);
        if (result == TCallResult::Ok) clients_->Watch(call.service());
        return Failure(call, result, {});
    }
    const TCallResult result = registry_.Release(object, client);
    Forget(client);
    return Failure(call, result, {});
}

QDBusMessage TAutomationServer::SetItemChange(TObjectId object, const QDBusMessage& call) {
    const QList<QVariant> args = call.arguments();
    const QString appId = args.value(0).toString();
    const QString item = args.value(1).toString();
    const QString data = args.value(2).toString();
    const QString path = call.path();
    // One signal per sink, in the order they were advised; a sink the bus
    // cannot reach any more is passed over.
    const TCallResult result = registry_.Broadcast(object, [&](const TSink& sink) {
        QDBusMessage signal =
            TargetedSignal(ToQString(sink.Client), path, EventInterface, ItemChangeSignal);
        signal << appId << item << data;
        return bus_.send(signal);
    });
    return Failure(call, result, {});
}

void TAutomationServer::Forget(const TClient& client) {
    if (!registry_.Knows(client)) clients_->Forget(ToQString(client));
}

}  // namespace qx::services
