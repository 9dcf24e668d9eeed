#include "suite/SuiteBus.h"

#include <cstdio>

#include <algorithm>
#include <cmath>

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMetaType>
#include <QDBusServiceWatcher>

#include "suite/DataText.h"
#include "system/QtText.h"
#include "textscan/TimeScale.h"

namespace qx::suite {

namespace {

const QString kRealtime = QString::fromLatin1(TypeRealtime.data(), TypeRealtime.size());
const QString kTimeTag = QString::fromLatin1(TypeTimeTag.data(), TypeTimeTag.size());
const QString kGoesTimed = QString::fromLatin1(TypeGoesTimed.data(), TypeGoesTimed.size());
const QString kGoesRandom = QString::fromLatin1(TypeGoesRandom.data(), TypeGoesRandom.size());

const QString kErrorAbsent = QStringLiteral("QXSetup.Error.Absent");
const QString kErrorNotServed = QStringLiteral("QXSetup.Error.NotServed");

QVariant ToVariant(const TSetupValue& v) {
    switch (v.index()) {
        case 0: return QString::fromStdString(std::get<std::string>(v));
        case 1: return std::get<bool>(v);
        case 2: return QVariant::fromValue<quint16>(std::get<std::uint16_t>(v));
        case 3: return QVariant::fromValue<qint16>(std::get<std::int16_t>(v));
        default: return QVariant::fromValue<qint32>(std::get<std::int32_t>(v));
    }
}

template <std::size_t N>
QVariantList ToVariantList(const std::array<TSetupValue, N>& record) {
    QVariantList list;
    list.reserve(static_cast<qsizetype>(N));
    for (const TSetupValue& v : record) list.append(ToVariant(v));
    return list;
}

QList<TInterfaceDescription> Parsed(const QString& xml) {
    return ParseInterfaces(xml);
}

std::vector<std::int64_t> Intervals(const std::vector<TStationFeed>& feeds) {
    std::vector<std::int64_t> intervals;
    for (const TStationFeed& feed : feeds)
        intervals.push_back(std::llround(feed.Def().Interval * 1e9));
    return intervals;
}

}  // namespace

TSuiteBus::TSuiteBus(TSuiteRuntime& runtime, QString busAddress, int setupLoadDelayMs,
                     QObject* parent)
    : QObject(parent),
      runtime_(runtime),
      busAddress_(std::move(busAddress)),
      setupLoadDelayMs_(setupLoadDelayMs),
      schedule_(Intervals(runtime.Feeds())) {
    const TSuiteDef& suite = runtime_.Suite();
    for (const TServer server : {TServer::Setup, TServer::Decode, TServer::Rtu, TServer::ZOViz}) {
        TEndpoint& ep = Endpoint(server);
        const TServerNames& names = Names(server);
        ep.Server = server;
        ep.Served = server == TServer::Setup || suite.Serves(server);
        ep.Sender = ToQString(names.Identifier);
        ep.EventTemplate = QDBusMessage::createSignal(
            ToQString(names.ObjectPath), ToQString(names.EventInterface), ToQString(EventSignal));
        TBusObject::THandler handler;
        if (server == TServer::Setup) {
            handler = [this](const QDBusMessage& call) { return HandleSetup(call); };
        } else {
            handler = [this, &ep](const QDBusMessage& call) { return HandleData(ep, call); };
        }
        ep.Object = new TBusObject(Parsed(ServerIntrospection(server)), std::move(handler), this);
    }
    control_ = new TBusObject(
        Parsed(ControlIntrospection()),
        [this](const QDBusMessage& call) { return HandleControl(call); }, this);

    generator_.setSingleShot(true);
    generator_.setTimerType(Qt::PreciseTimer);
    connect(&generator_, &QTimer::timeout, this, &TSuiteBus::Generate);
    if (suite.TimeTagPeriod > 0) {
        timeTagTimer_.setInterval(
            std::max(1, static_cast<int>(std::lround(suite.TimeTagPeriod * 1000))));
        connect(&timeTagTimer_, &QTimer::timeout, this, &TSuiteBus::TimeTagTick);
    }
}

TSuiteBus::~TSuiteBus() {
    for (TEndpoint& ep : endpoints_) {
        if (!ep.Connection.isConnected()) continue;
        ep.Connection.unregisterObject(ToQString(Names(ep.Server).ObjectPath));
        if (ep.Server == TServer::Setup) ep.Connection.unregisterObject(ToQString(ControlPath));
        QDBusConnection::disconnectFromBus(ep.Connection.name());
    }
}

bool TSuiteBus::Start(QString* error) {
    started_.start();
    for (TEndpoint& ep : endpoints_) {
        if (!ep.Served) continue;
        const TServerNames& names = Names(ep.Server);
        const QString connectionName = QStringLiteral("qxsetup-") + ToQString(names.Key);
        ep.Connection =
            busAddress_.isEmpty()
                ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName)
                : QDBusConnection::connectToBus(busAddress_, connectionName);
        if (!ep.Connection.isConnected()) {
            *error = QStringLiteral("cannot connect to the bus %1: %2")
                         .arg(busAddress_.isEmpty() ? QStringLiteral("(session)") : busAddress_,
                              ep.Connection.lastError().message());
            return false;
        }
        bool ok = ep.Connection.registerVirtualObject(ToQString(names.ObjectPath), ep.Object,
                                                      QDBusConnection::SingleNode);
        if (ok && ep.Server == TServer::Setup)
            ok = ep.Connection.registerVirtualObject(ToQString(ControlPath), control_,
                                                     QDBusConnection::SingleNode);
        if (!ok) {
            *error = QStringLiteral("cannot put up the object %1").arg(ToQString(names.ObjectPath));
            return false;
        }
        ep.Watcher = new QDBusServiceWatcher(QString(), ep.Connection,
                                             QDBusServiceWatcher::WatchForUnregistration, this);
        connect(ep.Watcher, &QDBusServiceWatcher::serviceUnregistered, this,
                [this, &ep](const QString& client) {
                    for (auto it = ep.Registered.begin(); it != ep.Registered.end();) {
                        it->remove(client);
                        it = it->isEmpty() ? ep.Registered.erase(it) : std::next(it);
                    }
                    ep.Watcher->removeWatchedService(client);
                });
        if (!PutOnBus(ep, error)) return false;
    }
    SetGenerating(true);
    // A suite whose bus has gone (the session ended) has no one left to
    // serve: it ends instead of running on unseen.
    busWatch_.setInterval(1000);
    connect(&busWatch_, &QTimer::timeout, this, [this] {
        if (!Endpoint(TServer::Setup).Connection.isConnected()) {
            std::fprintf(stderr, "qxsetup: the bus has gone; ending\n");
            QCoreApplication::exit(0);
        }
    });
    busWatch_.start();
    return true;
}

bool TSuiteBus::PutOnBus(TEndpoint& ep, QString* error) {
    const QString name = ToQString(Names(ep.Server).BusName);
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        ep.Connection.interface()->registerService(name, QDBusConnectionInterface::DontQueueService,
                                                   QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) {
        *error =
            QStringLiteral("cannot take the bus name %1: %2").arg(name, reply.error().message());
        return false;
    }
    if (reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        *error =
            QStringLiteral("the bus name %1 is owned already; is another suite running?").arg(name);
        return false;
    }
    ep.OffBus = false;
    return true;
}

bool TSuiteBus::TakeOffBus(TEndpoint& ep) {
    ep.Registered.clear();
    for (const QString& client : ep.Watcher->watchedServices())
        ep.Watcher->removeWatchedService(client);
    const QDBusReply<bool> reply =
        ep.Connection.interface()->unregisterService(ToQString(Names(ep.Server).BusName));
    ep.OffBus = true;
    return reply.isValid() && reply.value();
}

bool TSuiteBus::Present(const TEndpoint& ep) const {
    return ep.Served && !ep.OffBus && !ep.Object->Absent();
}

bool TSuiteBus::Wants(const TEndpoint& ep, const QString& type) const {
    return ep.Registered.contains(type);
}

void TSuiteBus::SendEvent(TEndpoint& ep, int dispatchId, const QVariantList& arguments) {
    // The template carries path, interface and member; only the arguments
    // change from event to event.
    QDBusMessage message = ep.EventTemplate;
    message.setArguments({QVariant(dispatchId), QVariant(arguments)});
    ep.Connection.send(message);
}

void TSuiteBus::SendData(TEndpoint& ep, const QString& type, const QString& text) {
    SendEvent(ep, ep.Server == TServer::Setup ? SetupData : ServerData, {ep.Sender, type, text});
}

QDBusMessage TSuiteBus::HandleSetup(const QDBusMessage& call) {
    const QString member = call.member();
    const QVariantList args = call.arguments();
    if (member == QLatin1String("GetGeneralSetup"))
        return call.createReply(QVariant(ToVariantList(runtime_.Suite().General)));
    if (member == QLatin1String("GetSensorSetup")) {
        const TSensorSetup* setup = runtime_.SensorSetup(args[0].toString().toStdString(),
                                                         args[1].toString().toStdString());
        return call.createReply(QVariant(setup ? ToVariantList(*setup) : QVariantList()));
    }
    if (member == QLatin1String("QuerySetup")) {
        const bool loaded = started_.elapsed() >= setupLoadDelayMs_;
        return call.createReply(
            ToQString(runtime_.QuerySetup(args[0].toString().toStdString(), loaded)));
    }
    return call.createErrorReply(QDBusError::UnknownMethod, member);
}

QDBusMessage TSuiteBus::HandleData(TEndpoint& ep, const QDBusMessage& call) {
    const QString member = call.member();
    const QVariantList args = call.arguments();
    if (member == QLatin1String("RegisterMessageType")) {
        const QString type = args[1].toString().toUpper();
        const QString client = call.service();
        ep.Registered[type].insert(client);
        if (!client.isEmpty() && !ep.Watcher->watchedServices().contains(client))
            ep.Watcher->addWatchedService(client);
        return call.createReply();
    }
    if (member == QLatin1String("QueryCurrentData"))
        return call.createReply(ToQString(runtime_.CurrentData(args[0].toString().toStdString())));
    return call.createErrorReply(QDBusError::UnknownMethod, member);
}

TSuiteBus::TEndpoint* TSuiteBus::ServerArgument(const QDBusMessage& call, const QString& key,
                                                QDBusMessage* reply, bool mustBePresent) {
    const auto server = ServerByKey(key.toStdString());
    if (!server) {
        *reply = call.createErrorReply(
            QDBusError::InvalidArgs,
            QStringLiteral("unknown server \"%1\": setup, decode, rtu or mbrtu").arg(key));
        return nullptr;
    }
    TEndpoint& ep = Endpoint(*server);
    if (!ep.Served) {
        *reply = call.createErrorReply(kErrorNotServed,
                                       QStringLiteral("this suite does not serve %1").arg(key));
        return nullptr;
    }
    if (mustBePresent && !Present(ep)) {
        *reply = call.createErrorReply(kErrorAbsent,
                                       QStringLiteral("the %1 server is off the bus").arg(key));
        return nullptr;
    }
    return &ep;
}

QDBusMessage TSuiteBus::HandleControl(const QDBusMessage& call) {
    const QString member = call.member();
    const QVariantList args = call.arguments();
    QDBusMessage reply = call.createReply();

    if (member == QLatin1String("Emit")) {
        if (TEndpoint* ep = ServerArgument(call, args[0].toString(), &reply, true))
            SendData(*ep, args[1].toString(), args[2].toString());
    } else if (member == QLatin1String("EmitRepeated")) {
        const int count = args[3].toInt();
        if (count < 0 || count > 10'000'000)
            return call.createErrorReply(QDBusError::InvalidArgs,
                                         QStringLiteral("a count from 0 to 10000000"));
        if (TEndpoint* ep = ServerArgument(call, args[0].toString(), &reply, true)) {
            const QString type = args[1].toString();
            const QString text = args[2].toString();
            for (int i = 0; i < count; ++i) SendData(*ep, type, text);
        }
    } else if (member == QLatin1String("EmitEvent")) {
        if (TEndpoint* ep = ServerArgument(call, args[0].toString(), &reply, true))
            SendEvent(*ep, args[1].toInt(), qdbus_cast<QVariantList>(args[2]));
    } else if (member == QLatin1String("Refresh")) {
        TEndpoint& setup = Endpoint(TServer::Setup);
        if (!Present(setup))
            return call.createErrorReply(kErrorAbsent,
                                         QStringLiteral("the setup server is off the bus"));
        const QString sender = args[0].toString();
        SendEvent(setup, SetupRefresh, {sender.isEmpty() ? setup.Sender : QVariant(sender)});
    } else if (member == QLatin1String("Shutdown")) {
        if (TEndpoint* ep = ServerArgument(call, args[0].toString(), &reply, true)) {
            if (ep->Server == TServer::Setup) {
                SendEvent(*ep, SetupShutdown, {ep->Sender});
            } else {
                // The event goes out before the name is given up, on the same
                // connection, so every subscriber sees it.
                SendEvent(*ep, ServerShutdown, {});
                TakeOffBus(*ep);
            }
        }
    } else if (member == QLatin1String("SetDelay")) {
        if (TEndpoint* ep = ServerArgument(call, args[0].toString(), &reply, false)) {
            const int ms = args[1].toInt();
            if (ms < 0)
                return call.createErrorReply(QDBusError::InvalidArgs,
                                             QStringLiteral("a delay is never negative"));
            ep->Object->SetDelay(ms);
        }
    } else if (member == QLatin1String("SetAbsent")) {
        if (TEndpoint* ep = ServerArgument(call, args[0].toString(), &reply, false)) {
            const bool absent = args[1].toBool();
            if (ep->Server == TServer::Setup) {
                // The control object shares the setup server's name, so the
                // name stays; the setup object stops answering.
                ep->Object->SetAbsent(absent);
            } else if (absent && !ep->OffBus) {
                TakeOffBus(*ep);
            } else if (!absent && ep->OffBus) {
                QString error;
                if (!PutOnBus(*ep, &error)) return call.createErrorReply(QDBusError::Failed, error);
            }
        }
    } else if (member == QLatin1String("SetGenerating")) {
        SetGenerating(args[0].toBool());
    } else if (member == QLatin1String("Quit")) {
        // Leave time for the reply to go out.
        QTimer::singleShot(100, QCoreApplication::instance(), &QCoreApplication::quit);
    } else {
        reply = call.createErrorReply(QDBusError::UnknownMethod, member);
    }
    return reply;
}

void TSuiteBus::Generate() {
    const qint64 now = started_.nsecsElapsed();
    const double t = static_cast<double>(now) / 1e9;
    schedule_.Run(now, [this, t](std::size_t station) { StationTick(station, t); });
    ArmGenerator(now);
}

void TSuiteBus::ArmGenerator(qint64 now) {
    const std::int64_t next = schedule_.NextDue();
    if (next < 0 || !generating_) return;
    // Whole milliseconds, rounded up: readings due within the same
    // millisecond are taken together at the next wake.
    const std::int64_t ms = std::clamp<std::int64_t>((next - now + 999999) / 1000000, 0, 86400000);
    generator_.start(static_cast<int>(ms));
}

void TSuiteBus::StationTick(std::size_t station, double t) {
    TStationFeed& feed = runtime_.Feeds()[station];
    feed.Advance(t, NowSeconds());
    TEndpoint& ep = Endpoint(feed.Def().Server);
    if (!Present(ep)) return;
    const bool decode = feed.Def().Server == TServer::Decode;
    const QString& type = decode ? kGoesTimed : kRealtime;
    if (Wants(ep, type)) SendData(ep, type, ToQString(feed.CurrentText()));
    if (decode && Wants(ep, kGoesRandom)) {
        const std::string alarms = feed.AlarmChangeText();
        if (!alarms.empty()) SendData(ep, kGoesRandom, ToQString(alarms));
    }
}

void TSuiteBus::TimeTagTick() {
    QString text;
    for (const TServer server : {TServer::Rtu, TServer::ZOViz}) {
        TEndpoint& ep = Endpoint(server);
        if (!Present(ep) || !Wants(ep, kTimeTag)) continue;
        if (text.isEmpty()) text = ToQString(TDataText(NowSeconds()).Text());
        SendData(ep, kTimeTag, text);
    }
}

void TSuiteBus::SetGenerating(bool on) {
    if (on == generating_) return;
    generating_ = on;
    if (on) {
        const qint64 now = started_.nsecsElapsed();
        schedule_.Restart(now);
        ArmGenerator(now);
        if (runtime_.Suite().TimeTagPeriod > 0) timeTagTimer_.start();
    } else {
        generator_.stop();
        timeTagTimer_.stop();
    }
}

}  // namespace qx::suite
