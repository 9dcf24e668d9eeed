#include "suite/ControlCommand.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include "protocol/SuiteProtocol.h"
#include "system/QtText.h"

namespace qx::suite {

namespace {

QString Arg(const TCommandLine& line, std::size_t i) {
    return i < line.Arguments.size() ? QString::fromLocal8Bit(line.Arguments[i]) : QString();
}

constexpr int kCallTimeoutMs = 25000;

}  // namespace

int RunControlCommand(const TCommandLine& line, QString* error) {
    const QString connectionName = QStringLiteral("qxsetup-command");
    const QString address = QString::fromLocal8Bit(line.BusAddress);
    QDBusConnection bus =
        address.isEmpty()
            ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName)
            : QDBusConnection::connectToBus(address, connectionName);
    if (!bus.isConnected()) {
        *error = QStringLiteral("cannot connect to the bus: %1").arg(bus.lastError().message());
        return 1;
    }
    const QString setupName = ToQString(SetupServer.BusName);
    if (!bus.interface()->isServiceRegistered(setupName).value()) {
        *error = QStringLiteral("no suite is running (%1 has no owner)").arg(setupName);
        return 1;
    }

    QString method;
    QVariantList args;
    switch (line.Mode) {
        case TMode::Emit:
            method = QStringLiteral("Emit");
            args = {Arg(line, 0), Arg(line, 1), Arg(line, 2)};
            break;
        case TMode::Refresh:
            method = QStringLiteral("Refresh");
            args = {Arg(line, 0)};
            break;
        case TMode::Shutdown:
            method = QStringLiteral("Shutdown");
            args = {Arg(line, 0)};
            break;
        case TMode::Quit: method = QStringLiteral("Quit"); break;
        default: *error = QStringLiteral("not a command"); return 1;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(setupName, ToQString(ControlPath),
                                                       ToQString(ControlInterface), method);
    call.setArguments(args);
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        *error = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
        return 1;
    }
    return 0;
}

}  // namespace qx::suite
