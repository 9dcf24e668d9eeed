#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>

#include "app/Main.h"
#include "app/Version.h"
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
        window.ShutdownRequested = true;
        window.close();
    });
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    qx::InstallQtDiagnostics();
    QApplication::setApplicationName("QX RIRovozer");
    QApplication::setApplicationDisplayName("QX RIRovozer");
    QApplication::setApplicationVersion(QX_FILE_VERSION);
    qx::InitRegionalFromSystem();

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

    qx::TfrmQXZuz window(options);
    CloseOnStopSignals(window);
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
