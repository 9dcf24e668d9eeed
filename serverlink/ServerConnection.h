// One server connection: the bus the server is on, the reference to its
// interface, the event sink subscribed to its events and the sink's cookie.
#pragma once

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QObject>
#include <QString>
#include <QVariant>
#include <optional>
#include <string>

#include "protocol/SuiteProtocol.h"

class QDBusMessage;

namespace qx {

class IServerEventHandler;

// Receives the "Event" signal of one server's event interface from the owner
// of the server's bus name and hands it to that server's dispatch table.
class TEventSink final : public QObject {
    Q_OBJECT
public:
    TEventSink(suite::TServer server, IServerEventHandler& handler);

    suite::TServer Server() const { return server_; }
    // Events still queued for a detached sink are dropped.
    void Detach() { handler_ = nullptr; }
    // True while an event is being handled.
    bool Dispatching() const { return dispatching_ > 0; }

public slots:
    void OnEvent(const QDBusMessage& message);

private:
    suite::TServer server_;
    IServerEventHandler* handler_;
    int dispatching_ = 0;
};

// Sends one method call and waits for the answer (calls block the calling
// thread, they run no event loop). Throws TServerCallError for an error
// reply, a time-out or a lost connection.
QDBusMessage CallServer(const QDBusConnection& bus, const suite::TServerNames& names,
                        const QString& method, const QList<QVariant>& arguments, int timeoutMs);

// The first value of a reply as text; throws TServerCallError when there is
// none or it is not a scalar.
std::string ReplyText(const QDBusMessage& reply);

// Whether the name has an owner on the bus; false when the bus cannot tell.
bool NameHasOwner(const QDBusConnection& bus, const QString& name);
// The unique name of the name's owner; empty when it has none or the bus
// cannot tell.
QString NameOwner(const QDBusConnection& bus, const QString& name);

class TServerConnection {
public:
    explicit TServerConnection(suite::TServer server) : server_(server) {}
    ~TServerConnection();
    TServerConnection(const TServerConnection&) = delete;
    TServerConnection& operator=(const TServerConnection&) = delete;

    suite::TServer Server() const { return server_; }
    const suite::TServerNames& Names() const { return suite::Names(server_); }

    // The interface reference is held.
    bool Attached() const { return bus_.has_value(); }
    bool HasSink() const { return sink_ != nullptr; }
    // Non-zero while the sink is subscribed.
    quint32 Cookie() const { return cookie_; }

    // Takes the reference to the server on bus: its name has an owner, or
    // the bus starts it by activation. remoteName is the name of a
    // connection made for a remote node, closed when the reference goes.
    bool Attach(const QDBusConnection& bus, const QString& remoteName);
    // Drops the reference (and the sink's subscription, which rides on it).
    void Release();
    // The unique name of the server's owner while attached; empty otherwise.
    QString Owner() const;

    // A new sink for handler, replacing any held one.
    void CreateSink(IServerEventHandler& handler);
    // Subscribes the sink; throws TServerCallError without a sink or a
    // reference, or when the bus refuses.
    void ConnectSink(quint32 cookie);

    // A call to the server's interface; throws TServerCallError when no
    // reference is held or the call fails.
    QDBusMessage Call(const QString& method, const QList<QVariant>& arguments, int timeoutMs) const;
    // The same call without waiting; the pending call fails at once when no
    // reference is held.
    QDBusPendingCall AsyncCall(const QString& method, const QList<QVariant>& arguments,
                               int timeoutMs) const;

    // Unsubscribes and discards the sink, then releases the reference.
    // Closing a connection that is not open does nothing.
    void Close();

private:
    void DisconnectSink();
    void DiscardSink();

    suite::TServer server_;
    std::optional<QDBusConnection> bus_;
    QString remoteName_;
    TEventSink* sink_ = nullptr;
    quint32 cookie_ = 0;
};

}  // namespace qx
