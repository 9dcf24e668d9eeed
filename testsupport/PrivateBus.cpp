#include "testsupport/PrivateBus.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

namespace qx {

namespace {

const char* const TcpConfig =
    "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
    " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
    "<busconfig><type>session</type>"
    "<listen>tcp:host=localhost,bind=127.0.0.1,port=0</listen>"
    "<auth>ANONYMOUS</auth><allow_anonymous/>"
    "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
    "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";

const char* const ActivationConfig =
    "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
    " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
    "<busconfig><type>session</type>"
    "<listen>unix:tmpdir=%1</listen><auth>EXTERNAL</auth>"
    "<servicedir>%2</servicedir>"
    "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
    "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";

}  // namespace

void TPrivateBus::SetActivation(const QString& serviceDirectory,
                                const QProcessEnvironment& environment,
                                const QString& workingDirectory) {
    serviceDirectory_ = serviceDirectory;
    daemon_.setProcessEnvironment(environment);
    daemon_.setWorkingDirectory(workingDirectory);
}

TPrivateBus::TPrivateBus(TKind kind) : kind_(kind) {}

TPrivateBus::~TPrivateBus() {
    Stop();
    if (!configFile_.isEmpty()) QFile::remove(configFile_);
}

bool TPrivateBus::Start(int timeoutMs) {
    QStringList args{"--nofork", "--print-address=1"};
    if (kind_ == TKind::Tcp || !serviceDirectory_.isEmpty()) {
        configFile_ = QDir::temp().filePath(QString("qx-test-bus-%1-%2.conf")
                                                .arg(QCoreApplication::applicationPid())
                                                .arg(reinterpret_cast<quintptr>(this), 0, 16));
        const QByteArray config = kind_ == TKind::Tcp ? QByteArray(TcpConfig)
                                                      : QString(ActivationConfig)
                                                            .arg(QDir::tempPath().toHtmlEscaped(),
                                                                 serviceDirectory_.toHtmlEscaped())
                                                            .toUtf8();
        QFile out(configFile_);
        if (!out.open(QIODevice::WriteOnly) || out.write(config) < 0) {
            error_ = "cannot write " + configFile_;
            return false;
        }
        args << "--config-file=" + configFile_;
    } else {
        args << "--session";
    }
    daemon_.start("dbus-daemon", args);
    if (!daemon_.waitForStarted(timeoutMs)) {
        error_ = "no dbus-daemon: " + daemon_.errorString();
        return false;
    }
    const QDeadlineTimer deadline(timeoutMs);
    while (!daemon_.canReadLine() && !deadline.hasExpired()) {
        if (!daemon_.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) break;
    }
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    if (address_.isEmpty()) {
        error_ = "dbus-daemon gave no address";
        Stop();
        return false;
    }
    return true;
}

void TPrivateBus::Stop() {
    if (daemon_.state() == QProcess::NotRunning) return;
    daemon_.terminate();
    if (!daemon_.waitForFinished(3000)) {
        daemon_.kill();
        daemon_.waitForFinished(3000);
    }
}

QDBusConnection TPrivateBus::Connect(const QString& connectionName) const {
    return QDBusConnection::connectToBus(address_, connectionName);
}

bool Flush(const QDBusConnection& bus, const QString& service, int timeoutMs) {
    const QDBusMessage ping =
        QDBusMessage::createMethodCall(service, "/", "org.freedesktop.DBus.Peer", "Ping");
    QDBusPendingCallWatcher watcher(bus.asyncCall(ping, timeoutMs));
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!watcher.isFinished()) loop.exec();
    // What the finished call posted on its way is handled, too.
    QCoreApplication::processEvents();
    return watcher.isFinished() && !watcher.isError();
}

}  // namespace qx
