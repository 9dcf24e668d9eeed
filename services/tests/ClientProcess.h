// qxservices as a second process: started on the test's session bus, its
// standard output read line by line while the test's own event loop keeps
// serving the bus.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>

namespace qx::services {

class TClientProcess {
public:
    explicit TClientProcess(QStringList arguments, QString program = QX_SERVICES_CLIENT);
    ~TClientProcess();

    // Starts it and waits, serving events, for its "ready" line.
    bool Start(int timeoutMs = 20000);
    // Starts it and waits, serving events, until it has ended.
    bool Run(int timeoutMs = 20000);
    // Waits, serving events, until some line satisfies the test; false on
    // time-out or when the process ended first.
    bool WaitForLine(const std::function<bool(const QString&)>& test, int timeoutMs = 20000);
    bool WaitForLine(const QString& line, int timeoutMs = 20000);
    // Waits, serving events, for the process to end.
    bool WaitForExit(int timeoutMs = 20000);
    // Ends it at once, by its process id, and reaps it.
    void Kill();

    // Every line of standard output so far.
    const QStringList& Lines();
    // The value after "object " or "conversation ": what the client holds.
    QString Value(const QString& key);
    // The JSON arrays of the OnItemChange lines so far.
    QList<QStringList> ItemChanges();
    QString Errors() { return errors_ + QString::fromUtf8(process_.readAllStandardError()); }
    QProcess& Process() { return process_; }

private:
    void Read();

    QProcess process_;
    QStringList arguments_;
    QString program_;
    QString partial_;
    QStringList lines_;
    QString errors_;
};

}  // namespace qx::services
