// Watches the four servers' bus names, each on the bus it is reached on
// (this computer's bus or a remote node's suite bus), and reports when a
// name loses its owner or gets one.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "protocol/SuiteProtocol.h"

class QDBusServiceWatcher;

namespace qx {

class TServerWatch final : public QObject {
    Q_OBJECT
public:
    // owner: the unique name that lost the name (hasOwner false) or got it
    // (true). A name that passes straight from one owner to another reports
    // both.
    using OwnerChanged =
        std::function<void(suite::TServer server, bool hasOwner, const QString& owner)>;

    explicit TServerWatch(OwnerChanged onChange);
    ~TServerWatch() override;

    // Watches the server's name on bus. Watching again on the same
    // connection keeps the watch.
    void Watch(suite::TServer server, const QDBusConnection& bus);
    // Watches the server's name on a remote node's suite bus, through a
    // connection of the watch's own: opened once per node (address is asked
    // for then) and shared by the servers on that node.
    void WatchRemote(suite::TServer server, const QString& node,
                     const std::function<QString()>& address);
    // The bus the server's name is watched on, if it is watched.
    std::optional<QDBusConnection> Bus(suite::TServer server) const;
    void Stop(suite::TServer server);
    void StopAll();

private:
    struct TWatched {
        std::unique_ptr<QDBusServiceWatcher> Watcher;
        std::optional<QDBusConnection> Bus;
        QString RemoteName;
    };
    void WatchOn(suite::TServer server, const QDBusConnection& bus, const QString& remoteName);
    void CloseUnusedRemote(const QString& remoteName);

    OwnerChanged onChange_;
    std::array<TWatched, 4> watched_;
};

}  // namespace qx
