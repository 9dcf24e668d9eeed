// The program as the desktop runs it: a copy in a folder of its own, with no
// suite to be found, ended by the session's stop signal.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/types.h>
#include <csignal>

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
        process.setWorkingDirectory(dir.path());  // the suite's home: no qxsetup here
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QX_REPORT_READY", "1");
        environment.insert("XDG_DATA_HOME", dir.path());  // where a start registers the server
        process.setProcessEnvironment(environment);
        process.setReadChannel(QProcess::StandardError);
        process.start(program, {});
        ASSERT_TRUE(process.waitForStarted(5000));
        // The program says when its window is up and the signals are handled.
        QByteArray output;
        while (!output.contains("qxrirovozer: ready\n")) {
            ASSERT_TRUE(process.waitForReadyRead(20000)) << output.toStdString();
            output += process.readAllStandardError();
        }
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

}  // namespace
