// The services' objects on the bus, written by hand from their introspection
// XML (services/dbus/, compiled in): each path answers exactly the methods
// and signatures its interfaces declare and introspects as declared.
#pragma once

#include <functional>

#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace qx::services {

// One interface of an introspection document.
struct TBusInterface {
    QString Name;
    QString Xml;                         // its <interface> element, as written
    QHash<QString, QString> Signatures;  // method name -> in signature

    // The first interface of the document; empty Name when there is none.
    static TBusInterface FromXml(const char* document);
};

// The interfaces of the checked-in documents, parsed once.
const TBusInterface& ClassFactoryBusInterface();
const TBusInterface& ObjectBusInterface();
const TBusInterface& EventBusInterface();
const TBusInterface& ConnectionPointBusInterface();
const TBusInterface& ReferenceBusInterface();
const TBusInterface& MainWindowBusInterface();
const TBusInterface& ConversationBusInterface();

// A subtree of paths served by one owner. For each path the router says
// whether an object is there, which interfaces it has and its child nodes;
// the handler answers a call of a declared method with a matching signature.
// Calls to a path without an object get UnknownObject, undeclared methods
// UnknownMethod, other signatures InvalidArgs. Anything the handler throws
// becomes an error reply; nothing crosses the call.
class TBusObject final : public QDBusVirtualObject {
    Q_OBJECT
public:
    struct TRoute {
        bool Exists = false;
        QList<const TBusInterface*> Interfaces;
        QStringList Children;
    };
    using TRouter = std::function<TRoute(const QString& path)>;
    using THandler =
        std::function<QDBusMessage(const QDBusMessage& call, const TBusInterface& interface)>;

    TBusObject(TRouter router, THandler handler, QObject* parent = nullptr);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    TRouter router_;
    THandler handler_;
};

// A signal sent to one connection alone.
QDBusMessage TargetedSignal(const QString& destination, const QString& path,
                            std::string_view interface, std::string_view name);

}  // namespace qx::services
