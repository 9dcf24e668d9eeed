// The program as a process: its automation switches, and its start by the
// bus from the activation file it wrote. Each test runs a copy in a folder
// with a blank in its name, registered in a data directory of its own.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/types.h>
#include <csignal>

#include "app/tests/ReadyProgram.h"
#include "services/tests/ClientProcess.h"
#include "testsupport/PrivateBus.h"

namespace qx {
namespace {

const QStringList InterfaceNames{"QXRTD.ClassFactory", "QXRTD.IQXRTDCom", "QXRTD.IQXRTDComEvents",
                                 "QXRTD.ConnectionPoint", "QXRTD.Reference"};

class ProgramServices : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath("my programs"));
        program = dir.filePath("my programs/qxrirovozer");
        ASSERT_TRUE(QFile::copy(QX_PROGRAM, program));
        data = dir.filePath("data");
    }

    QString ServiceFile() const { return data + "/dbus-1/services/QXRTD.QXRTDCom.service"; }

    // Runs the program with a switch, without a display or a bus, and
    // answers its exit code; -1 when it did not end.
    int RunSwitch(const QString& option, const QString& dataHome) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"})
            environment.remove(name);
        environment.insert("XDG_DATA_HOME", dataHome);
        environment.insert("QX_REPORT_READY", "1");
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(dir.path());
        process.start(program, {option});
        if (!process.waitForStarted(5000) || !process.waitForFinished(20000)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        errors = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QTemporaryDir dir;
    QString program;
    QString data;
    QString errors;
};

TEST_F(ProgramServices, RegServerInAnySpellingRegistersAndExitsWithoutAWindow) {
    for (const QString option : {"/regserver", "-REGSERVER", "/RegServer", "-regServer"}) {
        ASSERT_EQ(RunSwitch(option, data), 0) << option.toStdString() << errors.toStdString();
        // No window came up: it would have said so, and written its workspace.
        EXPECT_FALSE(errors.contains("ready")) << errors.toStdString();
        EXPECT_FALSE(QFile::exists(program + ".QFG"));

        QFile service(ServiceFile());
        ASSERT_TRUE(service.open(QIODevice::ReadOnly)) << option.toStdString();
        const QString text = QString::fromUtf8(service.readAll());
        EXPECT_TRUE(text.contains("\n[D-BUS Service]\nName=QXRTD.QXRTDCom\n"))
            << text.toStdString();
        EXPECT_TRUE(text.contains("\nExec='" + program + "' -Automation\n")) << text.toStdString();
        for (const QString& name : InterfaceNames)
            EXPECT_TRUE(QFile::exists(data + "/dbus-1/interfaces/" + name + ".xml"))
                << name.toStdString();

        ASSERT_EQ(RunSwitch(option == "/regserver" ? "/unregserver" : "-UnRegServer", data), 0)
            << errors.toStdString();
        EXPECT_FALSE(QFile::exists(ServiceFile()));
        for (const QString& name : InterfaceNames)
            EXPECT_FALSE(QFile::exists(data + "/dbus-1/interfaces/" + name + ".xml"));
    }
}

TEST_F(ProgramServices, ARegistrationThatFailsIsReportedWithItsExitCode) {
    // The data directory is a file: nothing can be written below it.
    QFile blocker(dir.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(RunSwitch("/regserver", blocker.fileName()), 1);
    EXPECT_TRUE(errors.startsWith("qxrirovozer: cannot ")) << errors.toStdString();
}

TEST_F(ProgramServices, TheBusStartsTheProgramFromItsActivationFile) {
    ASSERT_EQ(RunSwitch("-RegServer", data), 0) << errors.toStdString();

    // A bus that knows only this activation file; what it starts runs on
    // the offscreen platform, in the program's folder (no suite there).
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_DATA_HOME", data);
    TPrivateBus bus;
    bus.SetActivation(data + "/dbus-1/services", environment, QFileInfo(program).absolutePath());
    ASSERT_TRUE(bus.Start()) << bus.Error().toStdString();
    QDBusConnection client = bus.Connect("activation");
    ASSERT_TRUE(client.isConnected());
    bool serverGone = false;
    QDBusServiceWatcher watcher("QXRTD.QXRTDCom", client,
                                QDBusServiceWatcher::WatchForUnregistration);
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceUnregistered,
                     [&] { serverGone = true; });

    const auto call = [&](const QString& path, const QString& interface, const QString& method) {
        return client.call(
            QDBusMessage::createMethodCall("QXRTD.QXRTDCom", path, interface, method), QDBus::Block,
            60000);
    };
    const QDBusMessage created = call("/QXRTDCom", "QXRTD.ClassFactory", "CreateInstance");
    ASSERT_EQ(created.type(), QDBusMessage::ReplyMessage) << created.errorMessage().toStdString();
    const QString path = created.arguments().value(0).value<QDBusObjectPath>().path();
    EXPECT_EQ(path, "/QXRTDCom/1");
    const uint pid = client.interface()->servicePid("QXRTD.QXRTDCom").value();
    ASSERT_GT(pid, 0u);
    struct TEnd {
        uint Pid;
        ~TEnd() { ::kill(static_cast<pid_t>(Pid), SIGKILL); }
    } end{pid};

    const QDBusMessage alive = call(path, "QXRTD.IQXRTDCom", "IsAlive");
    ASSERT_EQ(alive.type(), QDBusMessage::ReplyMessage) << alive.errorMessage().toStdString();
    EXPECT_EQ(alive.arguments().value(0).toString().size(), 19);
    // It runs as a program does: its window holds the desktop name.
    EXPECT_TRUE(client.interface()->isServiceRegistered("QXZev.Service").value());

    // The last release ends it through its window's shutdown.
    EXPECT_EQ(call(path, "QXRTD.Reference", "Release").type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(QTest::qWaitFor([&] { return serverGone; }, 20000));
    EXPECT_FALSE(client.interface()->isServiceRegistered("QXZev.Service").value());
    EXPECT_TRUE(QFile::exists(program + ".QFG"));
    QDBusConnection::disconnectFromBus("activation");
}

TEST_F(ProgramServices, TheSessionsStopSignalEndsItWhileClientsHoldObjects) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", data);
    ASSERT_TRUE(test::StartUntilReady(process, program, {}, dir.path(), environment));
    services::TClientProcess holder({"watch"});
    ASSERT_TRUE(holder.Start()) << holder.Errors().toStdString();
    // The question would hold the program up; the session does not wait.
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    EXPECT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(holder.WaitForLine("server gone"));
}

}  // namespace
}  // namespace qx
