#include "suite/BusObject.h"

#include <exception>

#include <QDBusConnection>
#include <QDBusError>
#include <QTimer>

#include "textscan/Diagnostics.h"

namespace qx::suite {

TBusObject::TBusObject(QList<TInterfaceDescription> interfaces, THandler handler, QObject* parent)
    : QDBusVirtualObject(parent),
      interfaces_(std::move(interfaces)),
      handler_(std::move(handler)) {}

QString TBusObject::introspect(const QString&) const {
    QString xml;
    for (const TInterfaceDescription& i : interfaces_) xml += i.IntrospectionXml();
    return xml;
}

bool TBusObject::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
    if (message.type() != QDBusMessage::MethodCallMessage) return false;
    const QString interface = message.interface();
    const TMemberDescription* method = nullptr;
    bool ownInterface = false;
    for (const TInterfaceDescription& i : interfaces_) {
        if (!interface.isEmpty() && interface != i.Name) continue;
        ownInterface = ownInterface || !interface.isEmpty();
        method = i.FindMethod(message.member());
        if (method) break;
    }
    // Introspection, Peer and the like are the bus library's.
    if (!method && !ownInterface) return false;

    QDBusMessage reply;
    if (!method) {
        reply = message.createErrorReply(
            QDBusError::UnknownMethod,
            QStringLiteral("No method %1 in interface %2").arg(message.member(), interface));
    } else if (absent_) {
        reply = message.createErrorReply(QDBusError::UnknownObject,
                                         QStringLiteral("No object at %1").arg(message.path()));
    } else if (message.signature() != method->InSignature()) {
        reply = message.createErrorReply(
            QDBusError::InvalidArgs,
            QStringLiteral("%1 takes \"%2\", not \"%3\"")
                .arg(method->Name, method->InSignature(), message.signature()));
    } else {
        try {
            reply = handler_(message);
        } catch (const std::exception& e) {
            LogCaught(diagnostics::Suite, "TBusObject::handleMessage");
            reply = message.createErrorReply(QDBusError::Failed, QString::fromUtf8(e.what()));
        } catch (...) {
            LogCaught(diagnostics::Suite, "TBusObject::handleMessage");
            reply = message.createErrorReply(QDBusError::Failed, QStringLiteral("internal error"));
        }
    }
    if (!message.isReplyRequired()) return true;
    if (delayMs_ <= 0) {
        connection.send(reply);
    } else {
        QTimer::singleShot(delayMs_, this, [connection, reply] { connection.send(reply); });
    }
    return true;
}

}  // namespace qx::suite
