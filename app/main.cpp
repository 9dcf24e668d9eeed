#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "app/CommandLine.h"
#include "app/Main.h"
#include "app/StopSignals.h"
#include "app/Version.h"
#include "services/AutomationServer.h"
#include "services/Registration.h"
#include "services/StartMode.h"
#include "system/HomeDirectory.h"
#include "system/QtDiagnostics.h"
#include "system/SystemRegional.h"

namespace {

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
    // --help and --version need no display: answered before Qt starts.
    qx::TCommandLine commandLine = qx::ParseCommandLine(argc, argv);
    if (commandLine.Help || commandLine.Version) {
        const std::string program =
            QFileInfo(QString::fromLocal8Bit(argv[0])).fileName().toStdString();
        const std::string text = commandLine.Help
                                     ? qx::UsageText(program.empty() ? "qxrirovozer" : program)
                                     : qx::VersionText(QX_FILE_VERSION);
        std::fputs(text.c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }

    int restCount = static_cast<int>(commandLine.Rest.size()) - 1;
    // The automation switches come next: registering needs no display.
    const svc::TStartMode mode = svc::ParseStartMode(
        std::vector<std::string>(commandLine.Rest.begin() + (restCount > 0 ? 1 : 0),
                                 commandLine.Rest.begin() + std::max(restCount, 0)));
    const std::string executable = ExecutablePath(argv[0]);
    if (mode == svc::TStartMode::RegServer || mode == svc::TStartMode::UnregServer)
        return RegisterServer(mode, executable);
    // Every other start refreshes the registration; a user who may not
    // write it still gets the program.
    std::string registrationError;
    const bool registered = svc::WriteRegistration(
        svc::UserDataDirectory(), executable, svc::AutomationInterfaceFiles(), registrationError);

    QApplication app(restCount, commandLine.Rest.data());
    qx::InstallQtDiagnostics();
    qx::SetApplicationNames(QX_FILE_VERSION);
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
    options.Tracing = commandLine.Trace;
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
    const qx::TStopSignals stopSignals(window);
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
