#include "services/ClientWatch.h"

#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

#include "textscan/Diagnostics.h"

namespace qx::services {

TClientWatch::TClientWatch(const QDBusConnection& bus, TGone gone, QObject* parent)
    : QObject(parent),
      bus_(bus),
      gone_(std::move(gone)),
      watcher_(
          new QDBusServiceWatcher({}, bus, QDBusServiceWatcher::WatchForUnregistration, this)) {
    connect(watcher_, &QDBusServiceWatcher::serviceUnregistered, this, &TClientWatch::Gone);
}

void TClientWatch::Watch(const QString& client) {
    if (client.isEmpty() || watcher_->watchedServices().contains(client)) return;
    watcher_->addWatchedService(client);
    // The bus answers this after it has taken the watch's match rule: a
    // client that left before then is reported here, one that leaves later
    // by the watcher.
    const QDBusMessage ask = QDBusMessage::createMethodCall(
        "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner");
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(QDBusMessage(ask) << client), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, client, pending] {
        pending->deleteLater();
        const QDBusPendingReply<bool> reply = *pending;
        if (!reply.isError() && !reply.value() && watcher_->watchedServices().contains(client))
            Gone(client);
    });
}

void TClientWatch::Forget(const QString& client) {
    watcher_->removeWatchedService(client);
}

void TClientWatch::Gone(const QString& client) {
    watcher_->removeWatchedService(client);
    try {
        gone_(client);
    } catch (...) {
        LogCaught(diagnostics::Services, "TClientWatch::Gone");
    }
}

}  // namespace qx::services
