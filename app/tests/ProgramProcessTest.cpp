// The program as the desktop runs it: a copy in a folder of its own, with no
// suite to be found, ended by the session's stop signal.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/types.h>
#include <csignal>

#include "app/tests/ReadyProgram.h"

namespace {

TEST(ProgramProcess, StopSignalsCloseTheWindowAndSaveTheWorkspace) {
    for (const int signal : {SIGTERM, SIGINT}) {
        QTemporaryDir dir;
        const QString program = dir.filePath("qxrirovozer");
        ASSERT_TRUE(QFile::copy(QX_PROGRAM, program));
        QFile workspace(program + ".QFG");
        ASSERT_TRUE(workspace.open(QIODevice::WriteOnly));
        workspace.write("[PageSettings]\nListPages=2\nGraphPages=0\n[Custom]\nKeep=1\n");
        workspace.close();

        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", dir.path());  // where a start registers the server
        // The suite's home is the folder it starts in: no qxsetup there.
        ASSERT_TRUE(qx::test::StartUntilReady(process, program, {}, dir.path(), environment));
        ::kill(static_cast<pid_t>(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(20000)) << signal;
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(process.exitCode(), 0) << signal;

        ASSERT_TRUE(workspace.open(QIODevice::ReadOnly));
        const QByteArray saved = workspace.readAll();
        EXPECT_TRUE(saved.contains("[Custom]\nKeep=1\n")) << saved.toStdString();
        EXPECT_TRUE(saved.contains("ListPages=2")) << saved.toStdString();
        EXPECT_TRUE(saved.contains("[Windows]")) << saved.toStdString();
    }
}

// --help and --version answer on stdout and end at once, without a
// display to show a window on.
TEST(ProgramProcess, HelpAndVersionAnswerWithoutADisplay) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    const struct {
        const char* option;
        QByteArray expected;
    } cases[] = {
        {"--help", "Usage: qxrirovozer"},
        {"--version", "QX RIRovozer " QX_FILE_VERSION_TEXT "\n"},
    };
    for (const auto& c : cases) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QX_PROGRAM, {c.option});
        ASSERT_TRUE(process.waitForFinished(20000)) << c.option;
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << c.option;
        EXPECT_EQ(process.exitCode(), 0) << c.option;
        const QByteArray out = process.readAllStandardOutput();
        EXPECT_TRUE(out.startsWith(c.expected)) << c.option << ": " << out.toStdString();
        EXPECT_TRUE(process.readAllStandardError().isEmpty()) << c.option;
    }
}

// --trace: the status messages of the start are in the log file in the
// suite's home directory (here the folder the program starts in).
TEST(ProgramProcess, TraceOptionWritesTheStatusMessagesFromTheStart) {
    QTemporaryDir dir;
    const QString program = dir.filePath("qxrirovozer");
    ASSERT_TRUE(QFile::copy(QX_PROGRAM, program));
    QProcess process;
    ASSERT_TRUE(qx::test::StartUntilReady(process, program, {"--trace"}, dir.path()));
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(20000));
    QFile log(dir.filePath("QXRTD.LOG"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray logged = log.readAll();
    EXPECT_TRUE(logged.contains("    Retrieving setup parameters from QX Setup...\r\n"))
        << logged.toStdString();
}

}  // namespace
