// One object of the suite on the bus, answering exactly the methods its
// introspection XML declares. Calls with another signature get an
// InvalidArgs error; every reply can be held back by a delay, sent from a
// timer, so that a slow server never holds up the others.
#pragma once

#include <functional>

#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QList>

#include "suite/InterfaceDescription.h"

namespace qx::suite {

class TBusObject : public QDBusVirtualObject {
    Q_OBJECT
public:
    // Answers a call of one declared method: its reply or an error reply.
    using THandler = std::function<QDBusMessage(const QDBusMessage& call)>;

    TBusObject(QList<TInterfaceDescription> interfaces, THandler handler,
               QObject* parent = nullptr);

    const QList<TInterfaceDescription>& Interfaces() const { return interfaces_; }

    // Every reply is sent that many milliseconds after the call arrived.
    void SetDelay(int ms) { delayMs_ = ms; }
    int Delay() const { return delayMs_; }

    // An absent object answers every call with an UnknownObject error.
    void SetAbsent(bool absent) { absent_ = absent; }
    bool Absent() const { return absent_; }

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QList<TInterfaceDescription> interfaces_;
    THandler handler_;
    int delayMs_ = 0;
    bool absent_ = false;
};

}  // namespace qx::suite
