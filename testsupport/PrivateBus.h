// D-Bus for tests. Every test executable that talks over D-Bus is registered
// with qx_discover_bus_tests (cmake/QxTesting.cmake): CTest runs each of its
// tests inside a session bus of its own. A test that needs a further bus (a
// remote node's, say) starts one with TPrivateBus. Nothing uses the desktop
// session's bus.
#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

namespace qx {

class TPrivateBus {
public:
    enum class TKind { Session, Tcp };

    // A session-type bus on a Unix socket, or one that listens on loopback
    // TCP (as a remote node's suite bus does) and lets anyone in.
    explicit TPrivateBus(TKind kind = TKind::Session);
    ~TPrivateBus();
    TPrivateBus(const TPrivateBus&) = delete;
    TPrivateBus& operator=(const TPrivateBus&) = delete;

    // Before Start: a session bus that starts services from the .service
    // files in serviceDirectory (and no other folder). The programs it
    // starts get the environment and the working directory given here, and
    // the bus's own address as their session bus.
    void SetActivation(const QString& serviceDirectory, const QProcessEnvironment& environment,
                       const QString& workingDirectory);

    // Starts the daemon and reads its address; false (see Error()) when
    // dbus-daemon is missing or says nothing.
    bool Start(int timeoutMs = 5000);
    // Ends the daemon, by its process id; the suites on it end with it.
    void Stop();

    const QString& Address() const { return address_; }
    const QString& Error() const { return error_; }
    qint64 ProcessId() const { return daemon_.processId(); }

    // A named connection to the bus; callers disconnect it by that name.
    QDBusConnection Connect(const QString& connectionName) const;

private:
    TKind kind_;
    QString serviceDirectory_;
    QString configFile_;
    QString address_;
    QString error_;
    QProcess daemon_;
};

// Waits until everything `service` sent before now has been delivered on
// `bus`: a round trip to it (the bus keeps each sender's messages in order,
// and Qt hands them to the main thread in order). True when it answered.
bool Flush(const QDBusConnection& bus, const QString& service, int timeoutMs = 5000);

}  // namespace qx
