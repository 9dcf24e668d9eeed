// The suite on the bus: the setup server with the control object and, as
// the suite file serves them, the decode, RTU and Modbus RTU servers, each
// on a connection of its own that owns the server's bus name. Generated
// readings go out as data events of the station's server, for the message
// types some client registered there.
#pragma once

#include <array>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QVariant>

#include "suite/BusObject.h"
#include "suite/Schedule.h"
#include "suite/SuiteRuntime.h"

class QDBusServiceWatcher;

namespace qx::suite {

class TSuiteBus : public QObject {
    Q_OBJECT
public:
    // busAddress empty: the session bus.
    TSuiteBus(TSuiteRuntime& runtime, QString busAddress, int setupLoadDelayMs,
              QObject* parent = nullptr);
    ~TSuiteBus() override;

    // Connects, puts the objects up and takes the bus names; false with the
    // reason when a connection fails or a name is owned already.
    bool Start(QString* error);

private:
    struct TEndpoint {
        TServer Server = TServer::Setup;
        bool Served = false;
        bool OffBus = false;  // a data server whose name was given up
        QDBusConnection Connection{QString()};
        TBusObject* Object = nullptr;
        QDBusMessage EventTemplate;
        QVariant Sender;
        // Registered message types (upper case) and the clients that asked.
        QHash<QString, QSet<QString>> Registered;
        QDBusServiceWatcher* Watcher = nullptr;
    };

    TEndpoint& Endpoint(TServer server) { return endpoints_[static_cast<std::size_t>(server)]; }
    bool Present(const TEndpoint& ep) const;
    bool Wants(const TEndpoint& ep, const QString& type) const;

    void SendEvent(TEndpoint& ep, int dispatchId, const QVariantList& arguments);
    void SendData(TEndpoint& ep, const QString& type, const QString& text);

    QDBusMessage HandleSetup(const QDBusMessage& call);
    QDBusMessage HandleData(TEndpoint& ep, const QDBusMessage& call);
    QDBusMessage HandleControl(const QDBusMessage& call);

    // The endpoint a control call names, or an error reply in *reply.
    TEndpoint* ServerArgument(const QDBusMessage& call, const QString& key, QDBusMessage* reply,
                              bool mustBePresent);
    bool TakeOffBus(TEndpoint& ep);
    bool PutOnBus(TEndpoint& ep, QString* error);

    void Generate();
    void ArmGenerator(qint64 now);
    void StationTick(std::size_t station, double t);
    void TimeTagTick();
    void SetGenerating(bool on);

    TSuiteRuntime& runtime_;
    QString busAddress_;
    int setupLoadDelayMs_;
    QElapsedTimer started_;
    std::array<TEndpoint, 4> endpoints_;
    TBusObject* control_ = nullptr;
    TReadingSchedule schedule_;
    QTimer generator_;  // wakes when the next reading falls due
    QTimer timeTagTimer_;
    QTimer busWatch_;  // ends the suite when its bus goes away
    bool generating_ = false;
};

}  // namespace qx::suite
