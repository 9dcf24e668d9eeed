#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include "app/Main.h"
#include "app/Version.h"
#include "serverlink/HomeDirectory.h"
#include "shell/SystemRegional.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
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
    window.show();
    return QApplication::exec();
}
