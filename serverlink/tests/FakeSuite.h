// A scriptable stand-in for the suite's four servers, for tests that need
// failures the demo suite does not make. It serves on a bus connection of
// its own from a worker thread, so the link's blocking calls are answered
// while the test's thread waits in them.
#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QStringList>
#include <QThread>
#include <QVariant>
#include <array>
#include <memory>
#include <optional>

#include "protocol/SuiteProtocol.h"

namespace qx {

class TFakeServerObject;

class TFakeSuite {
public:
    // address empty: the session bus.
    explicit TFakeSuite(QString address = QString());
    ~TFakeSuite();

    // Connects and takes the names of the present servers.
    bool Start();
    // Leaves the bus at once, as a crashed suite would.
    void Kill();
    bool SetPresent(suite::TServer server, bool present);

    // Behaviour; thread-safe.
    // Answers to "SetupLoad", one per poll; the last one repeats.
    void SetSetupLoadAnswers(QStringList answers);
    void SetGeneralSetup(QVariantList values);
    // Any reply argument, e.g. a list of the wrong type.
    void SetGeneralSetupReply(QVariant reply);
    void SetQueryAnswer(const QString& request, const QString& answer);
    void SetSensorSetup(const QString& station, const QString& sensor, QVariantList values);
    void SetCurrentData(suite::TServer server, const QString& request, const QString& answer);
    // The method answers with an error reply.
    void Fail(suite::TServer server, const QString& method, bool fail = true);

    // "Method(arg,arg)" for every call, in order.
    QStringList Calls(suite::TServer server) const;
    int CallCount(suite::TServer server, const QString& method) const;
    void ClearCalls();

    // A server event as the protocol has it: Event(id, av).
    void Emit(suite::TServer server, int dispatchId, const QVariantList& arguments);
    // An "Event" signal with any arguments at all.
    void EmitRaw(suite::TServer server, const QVariantList& signalArguments);
    // Sends any message from the fake's connection, as the server's owner.
    void EmitMessage(suite::TServer server, const QDBusMessage& message);

    // Reply to one call; used by the server objects.
    QDBusMessage Answer(suite::TServer server, const QDBusMessage& call);

    // The 37 general setup values with the three data servers switched.
    static QVariantList GeneralSetup(bool rtu, bool decode, bool zoviz,
                                     const QString& stations = "ST1,ST2");
    // The 75 values of one sensor's setup.
    static QVariantList SensorSetup(const QString& station, const QString& sensor,
                                    const QString& rtuName, bool enabled, bool isText);

private:
    QString address_;
    QString connectionName_;
    std::optional<QDBusConnection> bus_;
    QThread thread_;
    std::array<std::unique_ptr<TFakeServerObject>, 4> objects_;
    std::array<bool, 4> present_{{true, true, true, true}};

    mutable QMutex mutex_;
    QStringList setupLoad_{"OK"};
    QVariant general_;
    QHash<QString, QString> queries_;
    QHash<QString, QVariantList> sensors_;
    std::array<QHash<QString, QString>, 4> current_;
    std::array<QSet<QString>, 4> failing_;
    std::array<QStringList, 4> calls_;
};

}  // namespace qx
