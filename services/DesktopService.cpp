#include "services/DesktopService.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusReply>

#include "services/BusObject.h"
#include "services/ClientWatch.h"
#include "services/ServicesProtocol.h"
#include "system/QtText.h"
#include "textscan/Diagnostics.h"

namespace qx::services {

TDesktopService::TDesktopService(const QDBusConnection& bus, std::function<void()> restore,
                                 QObject* parent)
    : QObject(parent), bus_(bus), restore_(std::move(restore)) {
    clients_ = new TClientWatch(
        bus_, [this](const QString& client) { conversations_.ClientGone(client.toStdString()); },
        this);
    const auto handler = [this](const QDBusMessage& call, const TBusInterface& interface) {
        return Handle(call, interface);
    };
    window_ = new TBusObject(
        [](const QString& path) {
            return TBusObject::TRoute{
                path == ToQString(MainWindowPath), {&MainWindowBusInterface()}, {}};
        },
        handler, this);
    conversationObject_ = new TBusObject(
        [](const QString& path) {
            return TBusObject::TRoute{
                path == ToQString(ConversationPath), {&ConversationBusInterface()}, {}};
        },
        handler, this);
}

TDesktopService::~TDesktopService() {
    try {
        DisconnectAll();
    } catch (...) {
        LogCaught(diagnostics::Services, "TDesktopService::~TDesktopService");
    }
    if (windowRegistered_) bus_.unregisterObject(ToQString(MainWindowPath));
    if (conversationsRegistered_) bus_.unregisterObject(ToQString(ConversationPath));
    if (ownsName_) bus_.unregisterService(ToQString(DesktopBusName));
}

bool TDesktopService::Start(QString* error) {
    if (!bus_.isConnected()) {
        if (error) *error = QStringLiteral("no bus: %1").arg(bus_.lastError().message());
        return false;
    }
    windowRegistered_ = bus_.registerVirtualObject(ToQString(MainWindowPath), window_);
    conversationsRegistered_ =
        bus_.registerVirtualObject(ToQString(ConversationPath), conversationObject_);
    if (!windowRegistered_ || !conversationsRegistered_) {
        if (error)
            *error = QStringLiteral("the desktop service's objects are taken on this connection");
        return false;
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        bus_.interface()->registerService(ToQString(DesktopBusName),
                                          QDBusConnectionInterface::QueueService,
                                          QDBusConnectionInterface::DontAllowReplacement);
    ownsName_ = reply.isValid() && reply.value() != QDBusConnectionInterface::ServiceNotRegistered;
    if (!ownsName_ && error)
        *error = QStringLiteral("cannot own %1: %2")
                     .arg(ToQString(DesktopBusName), reply.error().message());
    return ownsName_;
}

void TDesktopService::DisconnectAll() {
    for (const TConversation& c : conversations_.TakeAll()) {
        QDBusMessage signal = TargetedSignal(ToQString(c.Client), ToQString(ConversationPath),
                                             ConversationInterface, DisconnectedSignal);
        signal << static_cast<uint>(c.Id);
        bus_.send(signal);
        if (!conversations_.Knows(c.Client)) clients_->Forget(ToQString(c.Client));
    }
}

QDBusMessage TDesktopService::Handle(const QDBusMessage& call, const TBusInterface& interface) {
    if (&interface == &MainWindowBusInterface()) {
        if (restore_) restore_();
        return call.createReply();
    }
    return Conversation(call);
}

QDBusMessage TDesktopService::Conversation(const QDBusMessage& call) {
    const TClient client = call.service().toStdString();
    const QString member = call.member();
    const QList<QVariant> args = call.arguments();
    if (member == QLatin1String("Connect")) {
        const TConversationId id =
            conversations_.Open(client, args.value(0).toString().toStdString());
        clients_->Watch(call.service());
        return call.createReply(QVariant::fromValue(static_cast<uint>(id)));
    }
    const uint id = args.value(0).toUInt();
    const TConversation* conversation = conversations_.Find(id, client);
    if (!conversation) {
        return call.createErrorReply(
            ToQString(ErrorNoConversation),
            QStringLiteral("No conversation %1 of %2").arg(id).arg(call.service()));
    }
    if (member == QLatin1String("Disconnect")) {
        conversations_.Close(id, client);
        if (!conversations_.Knows(client)) clients_->Forget(call.service());
        return call.createReply();
    }
    const QString topic = ToQString(conversation->Topic);
    const QString what = member == QLatin1String("Execute")
                             ? QStringLiteral("No command is defined on topic \"%1\"").arg(topic)
                             : QStringLiteral("No item \"%1\" is defined on topic \"%2\"")
                                   .arg(args.value(1).toString(), topic);
    return call.createErrorReply(ToQString(ErrorNotDefined), what);
}

}  // namespace qx::services
