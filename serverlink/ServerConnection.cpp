#include "serverlink/ServerConnection.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

#include "serverlink/DBusValues.h"
#include "serverlink/EventDispatch.h"
#include "serverlink/SetupRetrieval.h"
#include "system/QtText.h"
#include "textscan/Diagnostics.h"

namespace qx {

namespace {

std::string ErrorText(const QDBusMessage& reply) {
    const QString message = reply.errorMessage();
    return (message.isEmpty() ? reply.errorName() : message).toStdString();
}

}  // namespace

TEventSink::TEventSink(suite::TServer server, IServerEventHandler& handler)
    : server_(server), handler_(&handler) {}

void TEventSink::OnEvent(const QDBusMessage& message) {
    if (!handler_) return;
    ++dispatching_;
    try {
        int id = 0;
        TSetupValues arguments;
        if (EventFromMessage(message, id, arguments)) {
            if (server_ == suite::TServer::Setup) {
                DispatchSetupEvent(id, std::move(arguments), *handler_);
            } else {
                DispatchDataServerEvent(server_, id, std::move(arguments), *handler_);
            }
        }
    } catch (...) {
        // An event that cannot be handled is dropped; the server is not told.
        LogCaught(diagnostics::ServerLink, "TEventSink::OnEvent");
    }
    --dispatching_;
    // Closed while this event was handled: the sink goes now.
    if (!handler_ && dispatching_ == 0) deleteLater();
}

QDBusMessage CallServer(const QDBusConnection& bus, const suite::TServerNames& names,
                        const QString& method, const QList<QVariant>& arguments, int timeoutMs) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        ToQString(names.BusName), ToQString(names.ObjectPath), ToQString(names.Interface), method);
    call.setArguments(arguments);
    const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage)
        throw TServerCallError(method.toStdString() + ": " + ErrorText(reply));
    return reply;
}

std::string ReplyText(const QDBusMessage& reply) {
    std::string text;
    if (reply.arguments().isEmpty() ||
        !SetupValueToText(SetupValueFromVariant(reply.arguments().first()), text))
        throw TServerCallError("the answer is not text");
    return text;
}

bool NameHasOwner(const QDBusConnection& bus, const QString& name) {
    // A plain call rather than bus.interface(), so that other threads may ask.
    QDBusMessage call = QDBusMessage::createMethodCall(
        "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner");
    call << name;
    const QDBusReply<bool> reply = bus.call(call, QDBus::Block, 5000);
    return reply.isValid() && reply.value();
}

QString NameOwner(const QDBusConnection& bus, const QString& name) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetNameOwner");
    call << name;
    const QDBusReply<QString> reply = bus.call(call, QDBus::Block, 5000);
    return reply.isValid() ? reply.value() : QString();
}

TServerConnection::~TServerConnection() {
    Close();
}

bool TServerConnection::Attach(const QDBusConnection& bus, const QString& remoteName) {
    Release();
    remoteName_ = remoteName;
    bool found = bus.isConnected() && NameHasOwner(bus, ToQString(Names().BusName));
    if (!found && bus.isConnected() && bus.interface()) {
        const QDBusReply<void> started = bus.interface()->startService(ToQString(Names().BusName));
        found = started.isValid();
    }
    if (!found) {
        Release();
        return false;
    }
    bus_ = bus;
    return true;
}

void TServerConnection::Release() {
    DisconnectSink();
    bus_.reset();
    if (!remoteName_.isEmpty()) {
        QDBusConnection::disconnectFromBus(remoteName_);
        remoteName_.clear();
    }
}

QString TServerConnection::Owner() const {
    return bus_ ? NameOwner(*bus_, ToQString(Names().BusName)) : QString();
}

void TServerConnection::CreateSink(IServerEventHandler& handler) {
    DisconnectSink();
    DiscardSink();
    sink_ = new TEventSink(server_, handler);
}

void TServerConnection::ConnectSink(quint32 cookie) {
    if (!sink_) throw TServerCallError("no event sink");
    if (!bus_) throw TServerCallError("not attached");
    DisconnectSink();
    const suite::TServerNames& names = Names();
    if (!bus_->connect(ToQString(names.BusName), ToQString(names.ObjectPath),
                       ToQString(names.EventInterface), ToQString(suite::EventSignal), sink_,
                       SLOT(OnEvent(QDBusMessage))))
        throw TServerCallError("the bus refused the event subscription");
    cookie_ = cookie;
}

QDBusPendingCall TServerConnection::AsyncCall(const QString& method,
                                              const QList<QVariant>& arguments,
                                              int timeoutMs) const {
    if (!bus_) {
        return QDBusPendingCall::fromError(QDBusError(QDBusError::Disconnected, "not attached"));
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(ToQString(Names().BusName), ToQString(Names().ObjectPath),
                                       ToQString(Names().Interface), method);
    call.setArguments(arguments);
    return bus_->asyncCall(call, timeoutMs);
}

QDBusMessage TServerConnection::Call(const QString& method, const QList<QVariant>& arguments,
                                     int timeoutMs) const {
    if (!bus_) throw TServerCallError(method.toStdString() + ": not attached");
    return CallServer(*bus_, Names(), method, arguments, timeoutMs);
}

void TServerConnection::Close() {
    DisconnectSink();
    DiscardSink();
    Release();
}

void TServerConnection::DisconnectSink() {
    if (cookie_ == 0) return;
    cookie_ = 0;
    if (!bus_ || !sink_) return;
    const suite::TServerNames& names = Names();
    // A refused disconnect changes nothing: the sink goes anyway.
    bus_->disconnect(ToQString(names.BusName), ToQString(names.ObjectPath),
                     ToQString(names.EventInterface), ToQString(suite::EventSignal), sink_,
                     SLOT(OnEvent(QDBusMessage)));
}

void TServerConnection::DiscardSink() {
    if (!sink_) return;
    TEventSink* sink = sink_;
    sink_ = nullptr;
    sink->Detach();
    // A sink whose own event closes the connection deletes itself afterwards.
    if (!sink->Dispatching()) delete sink;
}

}  // namespace qx
