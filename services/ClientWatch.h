// Tells when client connections leave the bus. A client is watched from the
// first call that leaves something of it behind; one that left before the
// watch began is reported too, so nothing it held outlives it.
#pragma once

#include <functional>

#include <QDBusConnection>
#include <QObject>
#include <QString>

class QDBusServiceWatcher;

namespace qx::services {

class TClientWatch final : public QObject {
    Q_OBJECT
public:
    using TGone = std::function<void(const QString& client)>;

    TClientWatch(const QDBusConnection& bus, TGone gone, QObject* parent = nullptr);

    // Starts watching the client (a unique name) unless it is watched.
    void Watch(const QString& client);
    // Stops watching a client that holds nothing any more.
    void Forget(const QString& client);

private:
    void Gone(const QString& client);

    QDBusConnection bus_;
    TGone gone_;
    QDBusServiceWatcher* watcher_;
};

}  // namespace qx::services
