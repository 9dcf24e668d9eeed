#include "serverlink/ServerWatch.h"

#include <QDBusServiceWatcher>

#include "system/QtText.h"

namespace qx {

using suite::TServer;

namespace {

std::size_t Index(TServer server) {
    return static_cast<std::size_t>(server);
}

}  // namespace

TServerWatch::TServerWatch(OwnerChanged onChange) : onChange_(std::move(onChange)) {}

TServerWatch::~TServerWatch() {
    StopAll();
}

void TServerWatch::Watch(TServer server, const QDBusConnection& bus) {
    WatchOn(server, bus, QString());
}

void TServerWatch::WatchRemote(TServer server, const QString& node,
                               const std::function<QString()>& address) {
    const QString name = "qx-watch@" + node;
    for (const TWatched& w : watched_) {
        if (w.Bus && w.RemoteName == name && w.Bus->isConnected()) {
            WatchOn(server, *w.Bus, name);
            return;
        }
    }
    QDBusConnection::disconnectFromBus(name);
    WatchOn(server, QDBusConnection::connectToBus(address(), name), name);
}

void TServerWatch::WatchOn(TServer server, const QDBusConnection& bus, const QString& remoteName) {
    TWatched& w = watched_[Index(server)];
    if (w.Watcher && w.Bus && w.Bus->name() == bus.name() && w.Bus->isConnected()) return;
    // Kept open while the old watch goes, in case it shares the connection.
    const QString previous = w.RemoteName;
    w.RemoteName = remoteName;
    w.Watcher.reset();
    w.Bus.reset();
    if (!previous.isEmpty() && previous != remoteName) CloseUnusedRemote(previous);
    w.Bus = bus;
    w.Watcher = std::make_unique<QDBusServiceWatcher>(ToQString(suite::Names(server).BusName), bus,
                                                      QDBusServiceWatcher::WatchForOwnerChange);
    connect(w.Watcher.get(), &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this, server](const QString&, const QString& oldOwner, const QString& newOwner) {
                if (!oldOwner.isEmpty()) onChange_(server, false, oldOwner);
                if (!newOwner.isEmpty()) onChange_(server, true, newOwner);
            });
}

std::optional<QDBusConnection> TServerWatch::Bus(TServer server) const {
    return watched_[Index(server)].Bus;
}

void TServerWatch::Stop(TServer server) {
    TWatched& w = watched_[Index(server)];
    w.Watcher.reset();
    w.Bus.reset();
    const QString remote = w.RemoteName;
    w.RemoteName.clear();
    if (!remote.isEmpty()) CloseUnusedRemote(remote);
}

void TServerWatch::StopAll() {
    for (TServer server : {TServer::Setup, TServer::Decode, TServer::Rtu, TServer::ZOViz})
        Stop(server);
}

void TServerWatch::CloseUnusedRemote(const QString& remoteName) {
    for (const TWatched& w : watched_) {
        if (w.RemoteName == remoteName) return;
    }
    QDBusConnection::disconnectFromBus(remoteName);
}

}  // namespace qx
