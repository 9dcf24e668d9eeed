// qxsetup: the demo acquisition suite, or a command to a running one.
#include <cstdio>
#include <string>
#include <vector>

#include <QCoreApplication>

#include "suite/CommandLine.h"
#include "suite/ControlCommand.h"
#include "suite/SuiteBus.h"
#include "suite/SuiteFile.h"
#include "suite/SuiteRuntime.h"
#include "system/QtDiagnostics.h"
#include "system/SystemRegional.h"
#include "textscan/TimeScale.h"

namespace {

void PrintLine(const std::string& text) {
    std::fprintf(stderr, "qxsetup: %s\n", text.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qx::InstallQtDiagnostics();
    std::vector<std::string> args(argv + 1, argv + argc);
    const qx::suite::TCommandLine line = qx::suite::ParseCommandLine(args);
    if (!line.Error.empty()) {
        PrintLine(line.Error);
        std::fputs(qx::suite::Usage().data(), stderr);
        return 2;
    }
    if (line.Mode == qx::suite::TMode::Help) {
        std::fputs(qx::suite::Usage().data(), stdout);
        return 0;
    }
    if (line.Mode != qx::suite::TMode::Serve) {
        QString error;
        const int status = qx::suite::RunControlCommand(line, &error);
        if (status != 0) PrintLine(error.toStdString());
        return status;
    }

    // The suite writes its times as the client on this computer reads them.
    qx::InitRegionalFromSystem();

    const std::string fileName =
        line.SuiteFile.empty()
            ? (QCoreApplication::applicationDirPath() + QStringLiteral("/demo.suite")).toStdString()
            : line.SuiteFile;
    qx::suite::TSuiteLoad load = qx::suite::LoadSuiteFile(fileName);
    for (const std::string& warning : load.Warnings) PrintLine("warning: " + warning);
    for (const std::string& error : load.Errors) PrintLine(error);
    if (!load.Suite) return 2;

    const int delay = line.SetupLoadDelayMs.value_or(load.Suite->SetupLoadDelayMs);
    qx::suite::TSuiteRuntime runtime(std::move(*load.Suite), qx::NowSeconds());
    qx::suite::TSuiteBus bus(runtime, QString::fromLocal8Bit(line.BusAddress), delay);
    QString error;
    if (!bus.Start(&error)) {
        PrintLine(error.toStdString());
        return 1;
    }
    return QCoreApplication::exec();
}
