// The automation server on a bus: the class object /QXRTDCom that makes the
// objects /QXRTDCom/N, their methods, connection points and reference
// counts, and the bus name QXRTD.QXRTDCom. Each object's item changes go to
// its sinks' connections alone, as signals addressed to them.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>

#include "services/AutomationRegistry.h"
#include "services/Heartbeat.h"

namespace qx::services {

class TBusObject;
class TClientWatch;
struct TBusInterface;

class TAutomationServer final : public QObject {
    Q_OBJECT
public:
    // clock gives the heartbeat's time; tests pin their own.
    explicit TAutomationServer(const QDBusConnection& bus, TClock clock = CurrentLocalTime,
                               QObject* parent = nullptr);
    ~TAutomationServer() override;
    TAutomationServer(const TAutomationServer&) = delete;
    TAutomationServer& operator=(const TAutomationServer&) = delete;

    // Puts the class object on the bus and asks for the bus name, queued
    // behind an owner it already has. False with the reason when either
    // fails; the server then serves nothing.
    bool Start(QString* error = nullptr);

    // Objects some client still holds.
    std::size_t ObjectCount() const { return registry_.ObjectCount(); }
    const TAutomationRegistry& Registry() const { return registry_; }

signals:
    // The last object has ended; emitted once the call or departure that
    // ended it has been handled, and only when no object was made since.
    void LastObjectReleased();

private:
    QDBusMessage Handle(const QDBusMessage& call, const TBusInterface& interface);
    QDBusMessage ObjectCall(TObjectId object, const QDBusMessage& call,
                            const TBusInterface& interface);
    QDBusMessage SetItemChange(TObjectId object, const QDBusMessage& call);
    void Forget(const TClient& client);

    QDBusConnection bus_;
    TClock clock_;
    TAutomationRegistry registry_;
    TBusObject* object_ = nullptr;
    TClientWatch* clients_ = nullptr;
    bool registered_ = false;
    bool ownsName_ = false;
};

}  // namespace qx::services
