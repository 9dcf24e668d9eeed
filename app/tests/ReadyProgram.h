// Starts the program as a process and waits for the line it prints on
// standard error once its window is up and its stop signals are handled
// (QX_REPORT_READY), so a test acts on a program that can answer.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace qx::test {

inline testing::AssertionResult StartUntilReady(
    QProcess& process, const QString& program, const QStringList& arguments,
    const QString& workingDirectory,
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment()) {
    environment.insert("QX_REPORT_READY", "1");
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDirectory);
    process.setReadChannel(QProcess::StandardError);
    process.start(program, arguments);
    if (!process.waitForStarted(5000))
        return testing::AssertionFailure()
               << "not started: " << process.errorString().toStdString();
    QByteArray output;
    while (!output.contains("qxrirovozer: ready\n")) {
        if (!process.waitForReadyRead(20000))
            return testing::AssertionFailure()
                   << "no ready line; it said: " << output.toStdString();
        output += process.readAllStandardError();
    }
    return testing::AssertionSuccess();
}

}  // namespace qx::test
