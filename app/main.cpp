#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <string>

#include "app/CommandLine.h"
#include "app/Main.h"
#include "app/StopSignals.h"
#include "app/Version.h"
#include "system/HomeDirectory.h"
#include "system/QtDiagnostics.h"
#include "system/SystemRegional.h"

int main(int argc, char** argv) {
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
    QApplication app(restCount, commandLine.Rest.data());
    qx::InstallQtDiagnostics();
    qx::SetApplicationNames(QX_FILE_VERSION);
    qx::InitRegionalFromSystem();

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

    qx::TfrmQXZuz window(options);
    const qx::TStopSignals stopSignals(window);
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
