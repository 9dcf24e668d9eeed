#include "serverlink/tests/FakeSuite.h"
#include "system/QtText.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QMutexLocker>

namespace qx {

using suite::TServer;

namespace {

std::size_t Index(TServer server) {
    return static_cast<std::size_t>(server);
}

constexpr TServer AllServers[] = {TServer::Setup, TServer::Decode, TServer::Rtu, TServer::ZOViz};

}  // namespace

class TFakeServerObject final : public QDBusVirtualObject {
public:
    TFakeServerObject(TFakeSuite& suite, TServer server) : suite_(suite), server_(server) {}

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.type() != QDBusMessage::MethodCallMessage) return false;
        connection.send(suite_.Answer(server_, message));
        return true;
    }
    QString introspect(const QString&) const override { return QString(); }

private:
    TFakeSuite& suite_;
    TServer server_;
};

TFakeSuite::TFakeSuite(QString address) : address_(std::move(address)) {
    for (TServer server : AllServers) {
        objects_[Index(server)] = std::make_unique<TFakeServerObject>(*this, server);
        objects_[Index(server)]->moveToThread(&thread_);
    }
    thread_.start();
    general_ = GeneralSetup(true, true, true);
}

TFakeSuite::~TFakeSuite() {
    Kill();
    thread_.quit();
    thread_.wait();
}

bool TFakeSuite::Start() {
    static int started = 0;
    connectionName_ = QString("fake-suite-%1").arg(++started);
    bus_ = address_.isEmpty()
               ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName_)
               : QDBusConnection::connectToBus(address_, connectionName_);
    if (!bus_->isConnected()) return false;
    for (TServer server : AllServers) {
        if (!bus_->registerVirtualObject(ToQString(suite::Names(server).ObjectPath),
                                         objects_[Index(server)].get()))
            return false;
        if (present_[Index(server)] &&
            !bus_->registerService(ToQString(suite::Names(server).BusName)))
            return false;
    }
    return true;
}

void TFakeSuite::Kill() {
    if (!bus_) return;
    bus_.reset();
    QDBusConnection::disconnectFromBus(connectionName_);
}

bool TFakeSuite::SetPresent(TServer server, bool present) {
    present_[Index(server)] = present;
    if (!bus_) return true;
    const QString name = ToQString(suite::Names(server).BusName);
    return present ? bus_->registerService(name) : bus_->unregisterService(name);
}

void TFakeSuite::SetSetupLoadAnswers(QStringList answers) {
    QMutexLocker lock(&mutex_);
    setupLoad_ = std::move(answers);
}

void TFakeSuite::SetGeneralSetup(QVariantList values) {
    SetGeneralSetupReply(QVariant::fromValue(std::move(values)));
}

void TFakeSuite::SetGeneralSetupReply(QVariant reply) {
    QMutexLocker lock(&mutex_);
    general_ = std::move(reply);
}

void TFakeSuite::SetQueryAnswer(const QString& request, const QString& answer) {
    QMutexLocker lock(&mutex_);
    queries_[request] = answer;
}

void TFakeSuite::SetSensorSetup(const QString& station, const QString& sensor,
                                QVariantList values) {
    QMutexLocker lock(&mutex_);
    sensors_[station + "." + sensor] = std::move(values);
}

void TFakeSuite::SetCurrentData(TServer server, const QString& request, const QString& answer) {
    QMutexLocker lock(&mutex_);
    current_[Index(server)][request] = answer;
}

void TFakeSuite::Fail(TServer server, const QString& method, bool fail) {
    QMutexLocker lock(&mutex_);
    if (fail) {
        failing_[Index(server)].insert(method);
    } else {
        failing_[Index(server)].remove(method);
    }
}

QStringList TFakeSuite::Calls(TServer server) const {
    QMutexLocker lock(&mutex_);
    return calls_[Index(server)];
}

int TFakeSuite::CallCount(TServer server, const QString& method) const {
    int count = 0;
    for (const QString& call : Calls(server)) {
        if (call.startsWith(method + "(")) ++count;
    }
    return count;
}

void TFakeSuite::ClearCalls() {
    QMutexLocker lock(&mutex_);
    for (QStringList& calls : calls_) calls.clear();
}

void TFakeSuite::Emit(TServer server, int dispatchId, const QVariantList& arguments) {
    EmitRaw(server, {dispatchId, QVariant::fromValue(arguments)});
}

void TFakeSuite::EmitRaw(TServer server, const QVariantList& signalArguments) {
    if (!bus_) return;
    const suite::TServerNames& names = suite::Names(server);
    QDBusMessage signal = QDBusMessage::createSignal(ToQString(names.ObjectPath),
                                                     ToQString(names.EventInterface), "Event");
    signal.setArguments(signalArguments);
    bus_->send(signal);
}

void TFakeSuite::EmitMessage(TServer, const QDBusMessage& message) {
    if (bus_) bus_->send(message);
}

QDBusMessage TFakeSuite::Answer(TServer server, const QDBusMessage& call) {
    QMutexLocker lock(&mutex_);
    const std::size_t i = Index(server);
    const QString method = call.member();
    QStringList args;
    for (const QVariant& argument : call.arguments()) args << argument.toString();
    calls_[i] << method + "(" + args.join(",") + ")";
    if (failing_[i].contains(method))
        return call.createErrorReply("QXFake.Error.Failed", method + " failed");

    const QString first = call.arguments().value(0).toString();
    if (server == TServer::Setup) {
        if (method == "QuerySetup") {
            if (first == "SetupLoad") {
                const QString answer = setupLoad_.value(0);
                if (setupLoad_.size() > 1) setupLoad_.removeFirst();
                return call.createReply(answer);
            }
            return call.createReply(queries_.value(first));
        }
        if (method == "GetGeneralSetup") return call.createReply(general_);
        if (method == "GetSensorSetup") {
            const QString key = first + "." + call.arguments().value(1).toString();
            return call.createReply(QVariant::fromValue(sensors_.value(key)));
        }
    } else {
        if (method == "RegisterMessageType") return call.createReply();
        if (method == "QueryCurrentData") return call.createReply(current_[i].value(first));
    }
    return call.createErrorReply("org.freedesktop.DBus.Error.UnknownMethod", method);
}

QVariantList TFakeSuite::GeneralSetup(bool rtu, bool decode, bool zoviz, const QString& stations) {
    QVariantList v;
    for (int n = 0; n < 37; ++n) {
        if (n <= 6 || (n >= 20 && n <= 22) || n == 28) {
            v << QString();
        } else if (n == 8 || n == 9) {
            v << QVariant::fromValue(quint16{60000});
        } else if ((n >= 10 && n <= 12) || n == 26 || n == 34 || n == 36) {
            v << 0;
        } else {
            v << false;
        }
    }
    v[4] = "/var/qx/LOG/";
    v[5] = "/var/qx/RAW/";
    v[6] = stations;
    v[14] = rtu;
    v[15] = decode;
    v[32] = zoviz;
    return v;
}

QVariantList TFakeSuite::SensorSetup(const QString& station, const QString& sensor,
                                     const QString& rtuName, bool enabled, bool isText) {
    QVariantList v;
    v << station << sensor << QString("X*2") << rtuName << QString() << QString("1,2") << enabled
      << QVariant::fromValue(qint16{2}) << isText;
    for (int n = 9; n < 75; ++n) v << (n == 19 ? QString("QX_DATA1") : QString());
    return v;
}

}  // namespace qx
