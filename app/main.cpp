#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "app/Main.h"
#include "app/Version.h"
#include "services/AutomationServer.h"
#include "services/Registration.h"
#include "services/StartMode.h"
#include "system/HomeDirectory.h"
#include "system/QtDiagnostics.h"
#include "system/SystemRegional.h"

namespace {

int signalPipe[2] = {-1, -1};

void OnStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

// SIGTERM (the session ends) and SIGINT (Ctrl+C in a terminal) close the
// window as a shutdown does, so the workspace is saved on the way out.
void CloseOnStopSignals(qx::TfrmQXZuz& window) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, notifier] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &byte, 1);
        notifier->setEnabled(false);
        // The session is ending: no question holds it up.
        window.ShutdownRequested = true;
        window.EndWithoutServerWarning = true;
        window.close();
    });
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

// The running executable's absolute path, for the activation file.
std::string ExecutablePath(const char* argv0) {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) return self.string();
    return std::filesystem::absolute(argv0, ec).lexically_normal().string();
}

// REGSERVER and UNREGSERVER: the files only, then the exit code; no window,
// no display, no bus.
int RegisterServer(qx::services::TStartMode mode, const std::string& executable) {
    namespace svc = qx::services;
    std::string error;
    const bool ok = mode == svc::TStartMode::RegServer
                        ? svc::WriteRegistration(svc::UserDataDirectory(), executable,
                                                 svc::AutomationInterfaceFiles(), error)
                        : svc::RemoveRegistration(svc::UserDataDirectory(),
                                                  svc::AutomationInterfaceFiles(), error);
    if (ok) return 0;
    std::fprintf(stderr, "qxrirovozer: %s\n", error.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    namespace svc = qx::services;
    // The automation switches come first: registering needs no display.
    const svc::TStartMode mode =
        svc::ParseStartMode(std::vector<std::string>(argv + 1, argv + argc));
    const std::string executable = ExecutablePath(argv[0]);
    if (mode == svc::TStartMode::RegServer || mode == svc::TStartMode::UnregServer)
        return RegisterServer(mode, executable);
    // Every other start refreshes the registration; a user who may not
    // write it still gets the program.
    std::string registrationError;
    const bool registered = svc::WriteRegistration(
        svc::UserDataDirectory(), executable, svc::AutomationInterfaceFiles(), registrationError);

    QApplication app(argc, argv);
    qx::InstallQtDiagnostics();
    QApplication::setApplicationName("QX RIRovozer");
    QApplication::setApplicationDisplayName("QX RIRovozer");
    QApplication::setApplicationVersion(QX_FILE_VERSION);
    qx::InitRegionalFromSystem();
    const QLoggingCategory& servicesLog = qx::DiagnosticCategory("qx.services");
    if (!registered)
        qCWarning(servicesLog) << "registration not refreshed:" << registrationError.c_str();

    // The class object is on the bus before the window, so a client that
    // had the program started is answered as soon as events run.
    svc::TAutomationServer automation(QDBusConnection::sessionBus());
    if (QString error; !automation.Start(&error)) qCWarning(servicesLog) << error;

    const QString program = QFileInfo(QApplication::applicationFilePath()).absoluteFilePath();
    qx::TStartOptions options;
    options.Arguments = QApplication::arguments().mid(1);
    options.WorkspaceFileName = program + ".QFG";
    // The suite's home: registered in the system settings, else the folder
    // the program was started in.
    options.HomeDirectory = QString::fromStdString(qx::LoadHomeDirectory());
    options.ProgramDirectory = QFileInfo(program).absolutePath() + "/";
    options.Link.emplace();
    options.ProductVersion = QX_PRODUCT_VERSION;
    options.FileVersion = QX_FILE_VERSION;
    options.ServiceBus = QDBusConnection::sessionBus();
    options.Automation = &automation;

    qx::TfrmQXZuz window(options);
    CloseOnStopSignals(window);
    // Started by the bus for a client: the program ends with the last object
    // its clients release, through the window's shutdown, so the workspace is
    // saved and the connections closed.
    if (mode == svc::TStartMode::Automation) {
        QObject::connect(&automation, &svc::TAutomationServer::LastObjectReleased, &window,
                         [&window] {
                             window.ShutdownRequested = true;
                             window.close();
                         });
    }
    window.show();
    // Whoever starts the program and must know when it takes commands (the
    // stop signals included) asks for one line on stderr.
    if (qEnvironmentVariableIsSet("QX_REPORT_READY")) {
        QTimer::singleShot(0, &window, [] {
            std::fputs("qxrirovozer: ready\n", stderr);
            std::fflush(stderr);
        });
    }
    return QApplication::exec();
}
