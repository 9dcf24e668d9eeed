#include "services/BusObject.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QXmlStreamReader>

#include "services/ServicesXml.h"
#include "textscan/Diagnostics.h"

namespace qx::services {

TBusInterface TBusInterface::FromXml(const char* document) {
    TBusInterface result;
    const QString xml = QString::fromUtf8(document);
    const qsizetype begin = xml.indexOf(QLatin1String("<interface"));
    const QLatin1String endTag("</interface>");
    const qsizetype end = xml.indexOf(endTag, begin);
    if (begin < 0 || end < 0) return result;
    result.Xml = QStringLiteral("  ") + xml.mid(begin, end + endTag.size() - begin) + '\n';

    QXmlStreamReader reader(xml);
    QString method;
    QString signature;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const QXmlStreamAttributes a = reader.attributes();
            if (reader.name() == QLatin1String("interface") && result.Name.isEmpty()) {
                result.Name = a.value(QLatin1String("name")).toString();
            } else if (reader.name() == QLatin1String("method")) {
                method = a.value(QLatin1String("name")).toString();
                signature.clear();
            } else if (reader.name() == QLatin1String("arg") && !method.isEmpty() &&
                       a.value(QLatin1String("direction")) != QLatin1String("out")) {
                signature += a.value(QLatin1String("type"));
            }
        } else if (reader.isEndElement() && reader.name() == QLatin1String("method")) {
            result.Signatures.insert(method, signature);
            method.clear();
        }
    }
    if (reader.hasError()) return {};
    return result;
}

#define QX_BUS_INTERFACE(Function, Document)                                  \
    const TBusInterface& Function() {                                         \
        static const TBusInterface parsed = TBusInterface::FromXml(Document); \
        return parsed;                                                        \
    }
QX_BUS_INTERFACE(ClassFactoryBusInterface, kClassFactoryXml)
QX_BUS_INTERFACE(ObjectBusInterface, kObjectXml)
QX_BUS_INTERFACE(EventBusInterface, kEventsXml)
QX_BUS_INTERFACE(ConnectionPointBusInterface, kConnectionPointXml)
QX_BUS_INTERFACE(ReferenceBusInterface, kReferenceXml)
QX_BUS_INTERFACE(MainWindowBusInterface, kMainWindowXml)
QX_BUS_INTERFACE(ConversationBusInterface, kConversationXml)
#undef QX_BUS_INTERFACE

TBusObject::TBusObject(TRouter router, THandler handler, QObject* parent)
    : QDBusVirtualObject(parent), router_(std::move(router)), handler_(std::move(handler)) {}

QString TBusObject::introspect(const QString& path) const {
    const TRoute route = router_(path);
    QString xml;
    for (const TBusInterface* i : route.Interfaces) xml += i->Xml;
    for (const QString& child : route.Children)
        xml += QStringLiteral("  <node name=\"%1\"/>\n").arg(child);
    return xml;
}

bool TBusObject::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
    if (message.type() != QDBusMessage::MethodCallMessage) return false;
    const QString interface = message.interface();
    // Introspection, Peer and Properties are the bus library's.
    if (interface.startsWith(QLatin1String("org.freedesktop.DBus."))) return false;

    QDBusMessage reply;
    const TRoute route = router_(message.path());
    const TBusInterface* found = nullptr;
    bool ownInterface = false;
    for (const TBusInterface* i : route.Interfaces) {
        if (!interface.isEmpty() && interface != i->Name) continue;
        ownInterface = true;
        if (i->Signatures.contains(message.member())) {
            found = i;
            break;
        }
    }
    if (!route.Exists) {
        reply = message.createErrorReply(QDBusError::UnknownObject,
                                         QStringLiteral("No object at %1").arg(message.path()));
    } else if (!found) {
        if (!ownInterface && !interface.isEmpty()) {
            reply = message.createErrorReply(
                QDBusError::UnknownInterface,
                QStringLiteral("No interface %1 at %2").arg(interface, message.path()));
        } else {
            reply = message.createErrorReply(
                QDBusError::UnknownMethod,
                QStringLiteral("No method %1 at %2").arg(message.member(), message.path()));
        }
    } else if (const QString expected = found->Signatures.value(message.member());
               message.signature() != expected) {
        reply = message.createErrorReply(QDBusError::InvalidArgs,
                                         QStringLiteral("%1 takes \"%2\", not \"%3\"")
                                             .arg(message.member(), expected, message.signature()));
    } else {
        try {
            reply = handler_(message, *found);
        } catch (const std::exception& e) {
            LogCaught(diagnostics::Services, "TBusObject::handleMessage");
            reply = message.createErrorReply(QDBusError::Failed, QString::fromUtf8(e.what()));
        } catch (...) {
            LogCaught(diagnostics::Services, "TBusObject::handleMessage");
            reply = message.createErrorReply(QDBusError::Failed, QStringLiteral("internal error"));
        }
    }
    if (message.isReplyRequired()) connection.send(reply);
    return true;
}

QDBusMessage TargetedSignal(const QString& destination, const QString& path,
                            std::string_view interface, std::string_view name) {
    return QDBusMessage::createTargetedSignal(
        destination, path,
        QString::fromLatin1(interface.data(), static_cast<qsizetype>(interface.size())),
        QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
}

}  // namespace qx::services
