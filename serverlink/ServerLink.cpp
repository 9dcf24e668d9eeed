#include "serverlink/ServerLink.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>

#include "protocol/Identifiers.h"
#include "serverlink/DBusValues.h"
#include "serverlink/ServerWatch.h"
#include "system/QtText.h"
#include "textscan/Diagnostics.h"
#include "textscan/StartProgram.h"

namespace qx {

using suite::TServer;

namespace {

const char* const RetrievingMessage = "Retrieving setup parameters from QX Setup..";
const char* const Error4 =
    "Error 4: An instance of the \"QXSetup.Applications\" OLE Automation class could not be "
    "created.  "
    "Is QX Setup running?";

std::size_t Index(TServer server) {
    return static_cast<std::size_t>(server);
}

// The message types the program subscribes at a data server.
std::array<std::string_view, 2> MessageTypes(TServer server) {
    if (server == TServer::Decode) return {"$GOESTIMED", "$GOESRANDOM"};
    return {"$TIMETAG", "$REALTIME"};
}

void NestedLoopWait(std::chrono::milliseconds time) {
    QEventLoop loop;
    QTimer::singleShot(time, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

QString RemoteBusAddress(const std::string& node) {
    // D-Bus address values keep [-0-9A-Za-z_/.\*] and escape every other byte.
    QString host;
    for (const char ch : node) {
        const auto c = static_cast<unsigned char>(ch);
        const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                           (c >= 'a' && c <= 'z') || c == '-' || c == '_' || c == '/' || c == '.' ||
                           c == '\\' || c == '*';
        if (plain) {
            host += QChar(c);
        } else {
            host += QString::asprintf("%%%02x", c);
        }
    }
    return "tcp:host=" + host + ",port=" + QString::number(suite::RemoteBusPort);
}

TServerLink::TServerLink(IServerLinkHost& host, const IPageList& pages, TServerLinkOptions options)
    : host_(host),
      pages_(pages),
      options_(std::move(options)),
      appId_(IID_IQXRTDCom),
      connections_{TServerConnection(TServer::Setup), TServerConnection(TServer::Decode),
                   TServerConnection(TServer::Rtu), TServerConnection(TServer::ZOViz)},
      retrieval_(*this, options_.HomeDirectory),
      decoder_(appId_, pages, static_cast<IAsyncSetupLookup&>(*this)),
      lookups_(std::make_unique<QObject>()),
      thread_(QThread::currentThread()),
      random_(std::random_device{}()),
      health_(options_.Clock),
      watch_(std::make_unique<TServerWatch>(
          [this](TServer server, bool hasOwner, const QString& owner) {
              OnOwnerChanged(server, hasOwner, owner);
          })) {
    if (!options_.StartProgram) {
        options_.StartProgram = [](const std::string& commandLine) {
            return qx::StartProgram(commandLine, ShowMode::Minimized);
        };
    }
    if (!options_.Wait) options_.Wait = NestedLoopWait;
    if (!options_.RemoteAddress) options_.RemoteAddress = RemoteBusAddress;
}

TServerLink::~TServerLink() {
    CloseAllConnections();
}

const TServerConnection& TServerLink::Connection(TServer server) const {
    return connections_[Index(server)];
}

TServerConnection& TServerLink::Conn(TServer server) {
    return connections_[Index(server)];
}

void TServerLink::Wait(std::chrono::milliseconds time) {
    options_.Wait(time);
}

// ---- Connect sequence ------------------------------------------------------

void TServerLink::FileReset1Execute() {
    // Asked for again while running (from a pumped wait or a dialog): once
    // more when this run ends, never inside it.
    if (sequenceRunning_) {
        refreshQueued_ = true;
        return;
    }
    sequenceRunning_ = true;
    do {
        refreshQueued_ = false;
        try {
            RunConnectSequence();
        } catch (...) {
            // Every step reports its own errors; nothing may leave the command.
            LogCaught(diagnostics::ServerLink, "TServerLink::FileReset1Execute");
        }
    } while (refreshQueued_);
    sequenceRunning_ = false;
    // Servers that appeared while the sequence ran and that it did not attach.
    for (TServer server : {TServer::Setup, TServer::Decode, TServer::Rtu, TServer::ZOViz}) {
        if (!appeared_[Index(server)]) continue;
        appeared_[Index(server)] = false;
        OnServerAppeared(server);
    }
}

void TServerLink::RunConnectSequence() {
    host_.AddStatusMessage(RetrievingMessage);
    decoder_.ForgetTagOwners();
    // A returned setup server waited for is read by this sequence instead.
    ++setupPoll_;
    setupLoaded_ = false;
    CloseRtuConnection();
    CloseZOVizConnection();
    CloseDecodeConnection();
    CloseSetupConnection();
    const int generation = setupGeneration_;

    for (TServer server : {TServer::Setup, TServer::Decode, TServer::Rtu, TServer::ZOViz})
        nodes_[Index(server)] = host_.NodeName(server);
    const std::string& setupNode = nodes_[Index(TServer::Setup)];
    WatchServers();

    bool attached = false;
    if (setupNode.empty()) {
        if (EnsureSetupServerRunning() && generation == setupGeneration_)
            attached = AttachServer(TServer::Setup, "");
    } else {
        attached = AttachServer(TServer::Setup, setupNode);
    }
    if (generation != setupGeneration_) return;
    SetHealth(TServer::Setup, attached ? THealthState::Attached : THealthState::NotRunning);
    if (!attached) host_.AddStatusMessage(Error4);

    // Without the setup no data server is connected; one lost stays lost.
    auto dataServersUnused = [this] {
        for (TServer server : {TServer::Decode, TServer::Rtu, TServer::ZOViz}) {
            if (health_.Status(server).State != THealthState::Lost)
                SetHealth(server, THealthState::Unused);
        }
    };
    bool loaded = false;
    try {
        loaded = LoadGeneralSetup();
    } catch (const std::exception& error) {
        // The setup server failed to answer: the sequence ends here.
        LogCaught(diagnostics::ServerLink, "TServerLink::LoadGeneralSetup");
        dataServersUnused();
        host_.ShowErrorDialog(error.what());
        return;
    }
    if (generation != setupGeneration_) return;
    if (loaded) {
        ConnectSinks(generation);
    } else {
        dataServersUnused();
    }
    if (generation != setupGeneration_) return;
    setupLoaded_ = loaded;

    host_.SetCaption(setupNode.empty() ? "QX RIRovozer (local)"
                                       : "QX RIRovozer (" + setupNode + ")");
    host_.AddStatusMessage("Ready..");
}

void TServerLink::ConnectSinks(int generation) {
    try {
        TServerConnection& setup = Conn(TServer::Setup);
        setup.CreateSink(*this);
        setup.ConnectSink(nextCookie_++);

        const TGeneralSetup& general = retrieval_.General;
        ConnectDataServer(TServer::Decode, general.DecodeEnabled, nodes_[Index(TServer::Decode)],
                          "$GOESTIMED", "$GOESRANDOM",
                          "Error 1000: Unable to connect to QX Decode Interface");
        if (generation != setupGeneration_) return;
        ConnectDataServer(TServer::Rtu, general.RtuEnabled, nodes_[Index(TServer::Rtu)], "$TIMETAG",
                          "$REALTIME", "Error 1001: Unable to connect to QX Rtu Interface");
        if (generation != setupGeneration_) return;
        ConnectDataServer(TServer::ZOViz, general.ZOVizEnabled, nodes_[Index(TServer::ZOViz)],
                          "$TIMETAG", "$REALTIME",
                          "Error 1006: Unable to connect to QX ZOViz Interface");
        if (generation != setupGeneration_) return;
        LoadStations();
    } catch (...) {
        LogCaught(diagnostics::ServerLink, "TServerLink::ConnectSinks");
        host_.ShowErrorDialog("Error 1004: Unknown Refresh Exception");
    }
}

void TServerLink::ConnectDataServer(TServer server, bool enabled, const std::string& node,
                                    std::string_view firstType, std::string_view secondType,
                                    const char* errorText) {
    if (!enabled) {
        SetHealth(server, THealthState::Unused);
        return;
    }
    // A local data server that is not running is skipped; it is never started
    // (the watch attaches it when it appears).
    if (node.empty() && !ServerWindowExists(server)) {
        SetHealth(server, THealthState::NotRunning);
        return;
    }
    try {
        TServerConnection& connection = Conn(server);
        connection.CreateSink(*this);
        if (!connection.Attached() && !AttachServer(server, node))
            throw TServerCallError("the server could not be attached");
        connection.ConnectSink(nextCookie_++);
        for (std::string_view type : {firstType, secondType})
            connection.Call("RegisterMessageType", {ToQString(appId_), ToQString(type)},
                            options_.CallTimeoutMs);
        SetHealth(server, THealthState::Attached);
    } catch (...) {
        LogCaught(diagnostics::ServerLink, "TServerLink::ConnectDataServer");
        SetHealth(server, THealthState::Failed);
        host_.ShowErrorDialog(errorText);
    }
}

void TServerLink::CloseConnection(TServer server) {
    TServerConnection& connection = Conn(server);
    const bool attached = connection.Attached();
    connection.Close();
    if (attached && options_.ConnectionClosed) options_.ConnectionClosed(server);
}

void TServerLink::CloseSetupConnection() {
    ++setupGeneration_;
    CloseConnection(TServer::Setup);
}

void TServerLink::CloseDecodeConnection() {
    CloseConnection(TServer::Decode);
}

void TServerLink::CloseRtuConnection() {
    CloseConnection(TServer::Rtu);
}

void TServerLink::CloseZOVizConnection() {
    CloseConnection(TServer::ZOViz);
}

void TServerLink::CloseAllConnections() {
    refreshQueued_ = false;
    // The program is ending: servers leaving now are not reported.
    watch_->StopAll();
    ++setupPoll_;
    appeared_.fill(false);
    CloseRtuConnection();
    CloseZOVizConnection();
    CloseDecodeConnection();
    CloseSetupConnection();
}

bool TServerLink::ServerWindowExists(TServer server) const {
    return NameHasOwner(options_.LocalBus, ToQString(suite::Names(server).BusName));
}

bool TServerLink::EnsureSetupServerRunning() {
    if (ServerWindowExists(TServer::Setup)) return true;
    // Quoted: the home directory may contain blanks.
    if (!options_.StartProgram("\"" + HomeDirectory() + "qxsetup\"")) return false;
    for (int i = 0; i < options_.SetupStartTries; ++i) {
        Wait(options_.SetupStartPause);
        if (ServerWindowExists(TServer::Setup)) return true;
    }
    return false;
}

bool TServerLink::AttachServer(TServer server, const std::string& node) {
    TServerConnection& connection = Conn(server);
    connection.Release();
    if (node.empty()) return connection.Attach(options_.LocalBus, QString());

    const QString name = "qx-" + ToQString(suite::Names(server).Key) + "@" + ToQString(node);
    const QDBusConnection bus = QDBusConnection::connectToBus(options_.RemoteAddress(node), name);
    if (!bus.isConnected()) {
        QDBusConnection::disconnectFromBus(name);
        return false;
    }
    return connection.Attach(bus, name);
}

// ---- Setup retrieval -------------------------------------------------------

bool TServerLink::LoadGeneralSetup() {
    const TServerConnection& setup = Conn(TServer::Setup);
    if (!setup.Attached()) return false;

    const QDeadlineTimer deadline(options_.SetupLoadTimeout);
    std::string answer;
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents();
        // Closed while events ran (the program is ending).
        if (!setup.Attached()) return false;
        // Each poll gets only what is left of the wait, so the wait holds
        // even when the server takes its time to answer.
        const int left = static_cast<int>(
            std::clamp<qint64>(deadline.remainingTime(), 1, options_.CallTimeoutMs));
        answer = ReplyText(setup.Call("QuerySetup", {QStringLiteral("SetupLoad")}, left));
        if (answer == "OK") break;
        Wait(options_.SetupLoadPollPause);
    }
    if (answer != "OK" || !setup.Attached()) return false;

    switch (retrieval_.ReadGeneralSetup()) {
        case TGeneralSetupRead::Loaded: return true;
        case TGeneralSetupRead::Unavailable: return false;
        case TGeneralSetupRead::Unconvertible:
            host_.AddStatusMessage("Error 7: Unable to retrieve General Setup parameters");
            return false;
    }
    return false;
}

void TServerLink::LoadStations() {
    retrieval_.LoadStations(host_.Picker());
}

void TServerLink::cbxStationsChange() {
    try {
        retrieval_.cbxStationsChange(host_.Picker());
    } catch (...) {
        // The operator's choice must not end the program.
        LogCaught(diagnostics::ServerLink, "TServerLink::cbxStationsChange");
    }
}

TSensorSetup TServerLink::GetSensorSetupRecord(const std::string& Station,
                                               const std::string& Sensor) {
    return retrieval_.GetSensorSetupRecord(Station, Sensor);
}

void TServerLink::Timer1Timer() {
    try {
        retrieval_.Timer1Timer(
            [this](const SensorReading& reading) { decoder_.RouteReading(reading); },
            SecondsToDateTime(NowSeconds()),
            [this](std::int64_t bound) {
                return std::uniform_int_distribution<std::int64_t>(0, bound - 1)(random_);
            });
    } catch (...) {
        // A tick that fails shows nothing.
        LogCaught(diagnostics::ServerLink, "TServerLink::Timer1Timer");
    }
}

std::string TServerLink::QuerySetup(const std::string& request) {
    return ReplyText(
        Conn(TServer::Setup).Call("QuerySetup", {ToQString(request)}, options_.CallTimeoutMs));
}

TSetupValues TServerLink::GetGeneralSetup() {
    const QDBusMessage reply =
        Conn(TServer::Setup).Call("GetGeneralSetup", {}, options_.CallTimeoutMs);
    if (reply.arguments().isEmpty()) throw TServerCallError("GetGeneralSetup: no answer");
    return SetupValuesFromVariant(reply.arguments().first());
}

TSetupValues TServerLink::GetSensorSetup(const std::string& station, const std::string& sensor) {
    const QDBusMessage reply = Conn(TServer::Setup)
                                   .Call("GetSensorSetup", {ToQString(station), ToQString(sensor)},
                                         options_.CallTimeoutMs);
    if (reply.arguments().isEmpty()) throw TServerCallError("GetSensorSetup: no answer");
    return SetupValuesFromVariant(reply.arguments().first());
}

bool TServerLink::LookupSetupValue(const std::string& Key, const std::string& Part1,
                                   const std::string& Part2, const std::string& Part3,
                                   std::string& Answer) {
    if (QThread::currentThread() == thread_)
        return retrieval_.LookupSetupValue(Key, Part1, Part2, Part3, Answer);

    // Another thread asks the setup server running on this computer directly.
    TSetupQueryLookup lookup([this](const std::string& request) -> std::string {
        const QDBusConnection bus = options_.LocalBus;
        if (!NameHasOwner(bus, ToQString(suite::SetupServer.BusName))) return std::string();
        return ReplyText(CallServer(bus, suite::SetupServer, "QuerySetup", {ToQString(request)},
                                    options_.CallTimeoutMs));
    });
    return lookup.LookupSetupValue(Key, Part1, Part2, Part3, Answer);
}

void TServerLink::LookupSetupValueAsync(const std::string& Key, const std::string& Part1,
                                        const std::string& Part2, const std::string& Part3,
                                        Done done) {
    const QString request = ToQString(BuildSetupRequest(Key, Part1, Part2, Part3));
    auto* watcher = new QDBusPendingCallWatcher(
        Conn(TServer::Setup).AsyncCall("QuerySetup", {request}, options_.TagInfoTimeoutMs),
        lookups_.get());
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, watcher, [watcher, done = std::move(done)] {
            watcher->deleteLater();
            std::string answer;
            try {
                answer = ReplyText(watcher->reply());
            } catch (...) {
                LogCaught(diagnostics::ServerLink, "TServerLink::LookupSetupValueAsync");
                done(false, false, std::string());
                return;
            }
            const bool ok = answer != "ERROR";
            done(ok, true, std::move(answer));
        });
}

// ---- Events ----------------------------------------------------------------

void TServerLink::DecodeDataMessage() {
    decoder_.DecodeDataMessage();
}

void TServerLink::HandleRefreshRequest() {
    if (decoder_.Buffer.EventSourceId == appId_) return;
    host_.AddStatusMessage("Refresh command received");
    FileReset1Execute();
}

void TServerLink::HandleShutdownRequest() {
    host_.AddStatusMessage("Shutdown command received");
    host_.RequestShutdown();
}

void TServerLink::HandleServerShutdown(TServer server) {
    switch (server) {
        case TServer::Decode:
            host_.AddStatusMessage("QX Decode shutdown command received");
            CloseDecodeConnection();
            break;
        case TServer::Rtu:
            host_.AddStatusMessage("QX Rtu shutdown command received");
            CloseRtuConnection();
            break;
        case TServer::ZOViz:
            host_.AddStatusMessage("QX ZOViz shutdown command received");
            CloseZOVizConnection();
            break;
        case TServer::Setup: return;
    }
    // It said goodbye: not running, and what it sent last is no longer current.
    health_.ShutDown(server);
    host_.ServerHealthChanged(server);
    MarkPagesStale(server);
}

// ---- Health of the connections ---------------------------------------------

void TServerLink::SetHealth(TServer server, THealthState state) {
    switch (state) {
        case THealthState::Unused: health_.SetUnused(server); break;
        case THealthState::Attached:
            health_.SetAttached(server);
            owners_[Index(server)] = Conn(server).Owner();
            break;
        case THealthState::NotRunning: health_.SetNotRunning(server); break;
        case THealthState::Failed: health_.SetFailed(server); break;
        case THealthState::Lost: break;  // only the watch finds a loss
    }
    host_.ServerHealthChanged(server);
}

bool TServerLink::DataServerEnabled(TServer server) const {
    const TGeneralSetup& general = retrieval_.General;
    switch (server) {
        case TServer::Decode: return general.DecodeEnabled;
        case TServer::Rtu: return general.RtuEnabled;
        case TServer::ZOViz: return general.ZOVizEnabled;
        case TServer::Setup: break;
    }
    return false;
}

void TServerLink::WatchServers() {
    for (TServer server : {TServer::Setup, TServer::Decode, TServer::Rtu, TServer::ZOViz}) {
        const std::string& node = nodes_[Index(server)];
        if (node.empty()) {
            watch_->Watch(server, options_.LocalBus);
        } else {
            watch_->WatchRemote(server, ToQString(node),
                                [this, &node] { return options_.RemoteAddress(node); });
        }
    }
}

void TServerLink::OnOwnerChanged(TServer server, bool hasOwner, const QString& owner) {
    try {
        if (hasOwner) {
            OnServerAppeared(server);
        } else {
            OnServerLost(server, owner);
        }
    } catch (...) {
        // A watch event must not end the program.
    }
}

void TServerLink::MarkPagesStale(TServer server) {
    const TReadingServer fed = ReadingServerOf(server);
    if (fed == TReadingServer::None) return;
    const int count = pages_.PageCount();
    for (int i = 0; i < count; ++i) {
        try {
            if (IReadingSink* page = pages_.Page(i)) page->ServerLost(fed);
        } catch (...) {
            // The next page is still told.
        }
    }
}

void TServerLink::OnServerLost(TServer server, const QString& owner) {
    // An owner that left before the one attached now.
    const QString& attached = owners_[Index(server)];
    if (!attached.isEmpty() && owner != attached) return;
    appeared_[Index(server)] = false;
    if (server == TServer::Setup) ++setupPoll_;
    if (!health_.NameLost(server)) return;
    host_.ServerHealthChanged(server);
    host_.AddStatusMessage(ServerGoneMessage(server));
    MarkPagesStale(server);
}

void TServerLink::OnServerAppeared(TServer server) {
    // The running sequence may attach it itself; what it left is looked at
    // when it ends.
    if (sequenceRunning_) {
        appeared_[Index(server)] = true;
        return;
    }
    if (!health_.WantsAttach(server)) return;
    if (server == TServer::Setup) {
        PollReturnedSetup(++setupPoll_,
                          std::chrono::steady_clock::now() + options_.SetupLoadTimeout);
        return;
    }
    // A data server alone comes back on its own; without the setup it waits
    // for the setup server's return, whose sequence attaches it.
    if (!setupLoaded_ || health_.Status(TServer::Setup).State != THealthState::Attached) return;
    if (!DataServerEnabled(server)) return;
    ReattachDataServer(server);
}

void TServerLink::ReattachDataServer(TServer server) {
    TServerConnection& connection = Conn(server);
    connection.Close();
    try {
        connection.CreateSink(*this);
        if (!AttachServer(server, nodes_[Index(server)]))
            throw TServerCallError("the server could not be attached");
        connection.ConnectSink(nextCookie_++);
        for (std::string_view type : MessageTypes(server))
            connection.Call("RegisterMessageType", {ToQString(appId_), ToQString(type)},
                            options_.CallTimeoutMs);
    } catch (...) {
        connection.Close();
        SetHealth(server, THealthState::Failed);
        host_.AddStatusMessage(ServerBackFailedMessage(server));
        return;
    }
    SetHealth(server, THealthState::Attached);
    host_.AddStatusMessage(ServerBackMessage(server));
}

void TServerLink::PollReturnedSetup(int poll, std::chrono::steady_clock::time_point deadline) {
    if (poll != setupPoll_) return;
    const std::optional<QDBusConnection> bus = watch_->Bus(TServer::Setup);
    if (!bus) return;
    const suite::TServerNames& names = suite::SetupServer;
    QDBusMessage call = QDBusMessage::createMethodCall(
        ToQString(std::string(names.BusName)), ToQString(std::string(names.ObjectPath)),
        ToQString(std::string(names.Interface)), "QuerySetup");
    call << QString("SetupLoad");
    auto* pending =
        new QDBusPendingCallWatcher(bus->asyncCall(call, options_.CallTimeoutMs), watch_.get());
    QObject::connect(pending, &QDBusPendingCallWatcher::finished, watch_.get(),
                     [this, poll, deadline](QDBusPendingCallWatcher* finished) {
                         finished->deleteLater();
                         if (poll != setupPoll_) return;
                         std::string answer;
                         try {
                             const QDBusMessage reply = finished->reply();
                             if (reply.type() == QDBusMessage::ReplyMessage)
                                 answer = ReplyText(reply);
                         } catch (...) {
                             // Not an answer yet: asked again.
                         }
                         if (answer != "OK" && std::chrono::steady_clock::now() < deadline) {
                             QTimer::singleShot(
                                 options_.SetupLoadPollPause, watch_.get(),
                                 [this, poll, deadline] { PollReturnedSetup(poll, deadline); });
                             return;
                         }
                         // Loaded, or out of patience: the sequence reports what it finds.
                         ++setupPoll_;
                         if (!health_.WantsAttach(TServer::Setup)) return;
                         host_.AddStatusMessage(ServerBackMessage(TServer::Setup));
                         FileReset1Execute();
                     });
}

// ---- List pages ------------------------------------------------------------

bool TServerLink::ServerEnabled(TCurrentDataServer server) const {
    return server == TCurrentDataServer::Rtu ? retrieval_.General.RtuEnabled
                                             : retrieval_.General.DecodeEnabled;
}

bool TServerLink::ServerConnected(TCurrentDataServer server) const {
    return Connection(server == TCurrentDataServer::Rtu ? TServer::Rtu : TServer::Decode)
        .Attached();
}

bool TServerLink::QueryCurrentData(TCurrentDataServer server, const std::string& request,
                                   std::string& answer) {
    try {
        const TServer target = server == TCurrentDataServer::Rtu ? TServer::Rtu : TServer::Decode;
        answer = ReplyText(
            Conn(target).Call("QueryCurrentData", {ToQString(request)}, options_.CallTimeoutMs));
        return true;
    } catch (...) {
        LogCaught(diagnostics::ServerLink, "TServerLink::QueryCurrentData");
        return false;
    }
}

}  // namespace qx
