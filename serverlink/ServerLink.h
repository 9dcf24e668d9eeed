// The program's link with the suite's four servers: the connect sequence,
// the event sinks and their actions, the setup retrieval and the servers'
// calls that the pages need. The main window drives it and answers to it
// through IServerLinkHost.
#pragma once

#include <QDBusConnection>
#include <QString>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <string_view>

#include "protocol/SuiteProtocol.h"
#include "readings/ListPageServers.h"
#include "serverlink/DataDecoder.h"
#include "serverlink/EventDispatch.h"
#include "serverlink/ServerConnection.h"
#include "serverlink/ServerHealth.h"
#include "serverlink/SetupLookup.h"
#include "serverlink/SetupRetrieval.h"

class QThread;

namespace qx {
class TServerWatch;
}

namespace qx {

// What the link needs from the main window.
class IServerLinkHost {
public:
    virtual ~IServerLinkHost() = default;
    virtual void AddStatusMessage(const std::string& text) = 0;
    // An error box with one OK button; returns when the operator closed it.
    virtual void ShowErrorDialog(const std::string& text) = 0;
    virtual void SetCaption(const std::string& text) = 0;
    // The setup server asked the program to end: set ShutdownRequested so
    // that no confirmation is asked, and close the window.
    virtual void RequestShutdown() = 0;
    // The computer whose server to use; empty for this computer.
    virtual std::string NodeName(suite::TServer server) const = 0;
    virtual IPickerLists& Picker() = 0;
    // A server's health changed (Health().Status(server)).
    virtual void ServerHealthChanged(suite::TServer /*server*/) {}
};

// The remote node's suite bus: "tcp:host=NODE,port=47011", the node escaped
// as D-Bus addresses require.
QString RemoteBusAddress(const std::string& node);

struct TServerLinkOptions {
    std::string HomeDirectory;  // ends with "/"; qxsetup is started from here
    QDBusConnection LocalBus = QDBusConnection::sessionBus();
    std::function<QString(const std::string& node)> RemoteAddress = RemoteBusAddress;
    // Starts the setup server; by default StartProgram, minimised.
    std::function<bool(const std::string& commandLine)> StartProgram;
    // Waits while processing events; by default a nested event loop.
    std::function<void(std::chrono::milliseconds)> Wait;
    std::chrono::milliseconds SetupLoadTimeout{60000};
    // Between two "SetupLoad" polls, so that a loading server is not flooded.
    std::chrono::milliseconds SetupLoadPollPause{50};
    int SetupStartTries = 11;
    std::chrono::milliseconds SetupStartPause{1000};
    int CallTimeoutMs = 25000;
    // The owner lookups of alarm tags: no one waits for them, but a setup
    // server that does not answer should not hold alarm values long.
    int TagInfoTimeoutMs = 5000;
    // Told of each connection that closes while it is attached, in order.
    std::function<void(suite::TServer)> ConnectionClosed;
    // The local time a server is reported lost at; by default the system's.
    HealthClock Clock;
};

class TServerLink final : public IServerEventHandler,
                          public ISetupLookup,
                          public IAsyncSetupLookup,
                          public IListPageServers,
                          private ISetupServer {
public:
    TServerLink(IServerLinkHost& host, const IPageList& pages, TServerLinkOptions options);
    ~TServerLink() override;
    TServerLink(const TServerLink&) = delete;
    TServerLink& operator=(const TServerLink&) = delete;

    // The program's own identifier, sent with every subscription.
    const std::string& AppID() const { return appId_; }
    const std::string& HomeDirectory() const { return retrieval_.HomeDirectory(); }
    const TGeneralSetup& GeneralSetup() const { return retrieval_.General; }
    const TServerConnection& Connection(suite::TServer server) const;
    // Attached, not running, not attached or lost, for each server.
    const TServerHealth& Health() const { return health_; }

    // The connect sequence: closes every connection, attaches (or starts) the
    // setup server, waits for its setup, connects the sinks of the enabled
    // data servers and reloads the station list. Asked for while it runs, it
    // runs once more afterwards.
    void FileReset1Execute();

    void CloseSetupConnection();
    void CloseDecodeConnection();
    void CloseRtuConnection();
    void CloseZOVizConnection();
    // At program end: RTU, Modbus RTU, decode, then setup; a running connect
    // sequence stops and a queued one is dropped.
    void CloseAllConnections();

    // The setup server runs, or was started and appeared in time.
    bool EnsureSetupServerRunning();
    // The server's name has an owner on this computer's bus.
    bool ServerWindowExists(suite::TServer server) const;
    // Takes the server's reference on this computer (empty node) or on the
    // node's suite bus; false leaves no reference.
    bool AttachServer(suite::TServer server, const std::string& node);

    // Waits for "SetupLoad" to answer "OK", then reads the general setup.
    // Throws TServerCallError when the "SetupLoad" query itself fails.
    bool LoadGeneralSetup();
    void LoadStations();
    void cbxStationsChange();
    TSensorSetup GetSensorSetupRecord(const std::string& Station, const std::string& Sensor);
    // One tick of the test-reading timer.
    void Timer1Timer();

    // Event actions.
    TEventBuffer& EventBuffer() override { return decoder_.Buffer; }
    void DecodeDataMessage() override;
    void HandleRefreshRequest() override;
    void HandleShutdownRequest() override;
    void HandleServerShutdown(suite::TServer server) override;

    // The setup lookup of the decoder's secondary readings; from another
    // thread it asks the setup server running on this computer.
    bool LookupSetupValue(const std::string& Key, const std::string& Part1,
                          const std::string& Part2, const std::string& Part3,
                          std::string& Answer) override;
    // The same through the setup connection without waiting: what the decoder
    // resolves alarm tags with.
    void LookupSetupValueAsync(const std::string& Key, const std::string& Part1,
                               const std::string& Part2, const std::string& Part3,
                               Done done) override;
    const TDataDecoder& Decoder() const { return decoder_; }

    // What list pages ask while they load.
    bool ServerEnabled(TCurrentDataServer server) const override;
    bool ServerConnected(TCurrentDataServer server) const override;
    bool QueryCurrentData(TCurrentDataServer server, const std::string& request,
                          std::string& answer) override;

private:
    // The setup server's calls, through the setup connection.
    std::string QuerySetup(const std::string& request) override;
    TSetupValues GetGeneralSetup() override;
    TSetupValues GetSensorSetup(const std::string& station, const std::string& sensor) override;

    TServerConnection& Conn(suite::TServer server);
    void CloseConnection(suite::TServer server);
    void RunConnectSequence();
    void ConnectSinks(int generation);
    void ConnectDataServer(suite::TServer server, bool enabled, const std::string& node,
                           std::string_view firstType, std::string_view secondType,
                           const char* errorText);
    void Wait(std::chrono::milliseconds time);

    // The watch on the servers' bus names.
    void WatchServers();
    void OnOwnerChanged(suite::TServer server, bool hasOwner, const QString& owner);
    void OnServerLost(suite::TServer server, const QString& owner);
    // Tells every page that what the server sent is no longer current.
    void MarkPagesStale(suite::TServer server);
    void OnServerAppeared(suite::TServer server);
    // Attaches, connects the sink and subscribes one data server again.
    void ReattachDataServer(suite::TServer server);
    // Asks the returned setup server for "SetupLoad" without blocking, until
    // it answers "OK"; then runs the connect sequence.
    void PollReturnedSetup(int poll, std::chrono::steady_clock::time_point deadline);
    void SetHealth(suite::TServer server, THealthState state);
    bool DataServerEnabled(suite::TServer server) const;

    IServerLinkHost& host_;
    const IPageList& pages_;
    TServerLinkOptions options_;
    std::string appId_;
    std::array<TServerConnection, 4> connections_;
    TSetupRetrieval retrieval_;
    TDataDecoder decoder_;
    // Parent of the lookups in flight; it goes before the decoder, so no
    // answer arrives after the decoder is gone.
    std::unique_ptr<QObject> lookups_;
    QThread* thread_;
    std::mt19937_64 random_;
    quint32 nextCookie_ = 1;
    // Counts closes of the setup connection: a sequence whose setup
    // connection was closed under it (program end) stops.
    int setupGeneration_ = 0;
    bool sequenceRunning_ = false;
    bool refreshQueued_ = false;
    std::array<std::string, 4> nodes_;

    TServerHealth health_;
    std::unique_ptr<TServerWatch> watch_;
    // The last connect sequence read the setup and connected the sinks.
    bool setupLoaded_ = false;
    // The unique name of each server's owner when it was last attached: a
    // change of owner reported late, after the link has attached the next
    // owner, is recognised as old news.
    std::array<QString, 4> owners_;
    // Names that got an owner while a connect sequence ran, looked at after it.
    std::array<bool, 4> appeared_{};
    // Counts the polls of a returned setup server; a newer one, a connect
    // sequence or the program's end makes the running one stop.
    int setupPoll_ = 0;
};

}  // namespace qx
