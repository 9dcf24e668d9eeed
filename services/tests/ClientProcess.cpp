#include "services/tests/ClientProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

#include <sys/types.h>
#include <csignal>

namespace qx::services {

TClientProcess::TClientProcess(QStringList arguments, QString program)
    : arguments_(std::move(arguments)), program_(std::move(program)) {}

TClientProcess::~TClientProcess() {
    if (process_.state() != QProcess::NotRunning) Kill();
}

bool TClientProcess::Start(int timeoutMs) {
    process_.start(program_, arguments_);
    if (!process_.waitForStarted(timeoutMs)) return false;
    return WaitForLine(QStringLiteral("ready"), timeoutMs);
}

bool TClientProcess::Run(int timeoutMs) {
    process_.start(program_, arguments_);
    return process_.waitForStarted(timeoutMs) && WaitForExit(timeoutMs);
}

void TClientProcess::Read() {
    partial_ += QString::fromUtf8(process_.readAllStandardOutput());
    qsizetype end;
    while ((end = partial_.indexOf('\n')) >= 0) {
        lines_ << partial_.left(end);
        partial_.remove(0, end + 1);
    }
}

bool TClientProcess::WaitForLine(const std::function<bool(const QString&)>& test, int timeoutMs) {
    qsizetype seen = 0;
    bool found = false;
    // Ends with a match, or once the process has ended without one.
    (void)QTest::qWaitFor(
        [&] {
            Read();
            for (; seen < lines_.size() && !found; ++seen) found = test(lines_.at(seen));
            if (found || process_.state() != QProcess::NotRunning) return found;
            Read();  // the last words of a process that has ended
            for (; seen < lines_.size() && !found; ++seen) found = test(lines_.at(seen));
            return true;
        },
        timeoutMs);
    return found;
}

bool TClientProcess::WaitForLine(const QString& line, int timeoutMs) {
    return WaitForLine([&](const QString& l) { return l == line; }, timeoutMs);
}

bool TClientProcess::WaitForExit(int timeoutMs) {
    const bool ended =
        QTest::qWaitFor([&] { return process_.state() == QProcess::NotRunning; }, timeoutMs);
    Read();
    return ended;
}

void TClientProcess::Kill() {
    errors_ += QString::fromUtf8(process_.readAllStandardError());
    ::kill(static_cast<pid_t>(process_.processId()), SIGKILL);
    process_.waitForFinished(10000);
    Read();
}

const QStringList& TClientProcess::Lines() {
    Read();
    return lines_;
}

QString TClientProcess::Value(const QString& key) {
    for (const QString& line : Lines())
        if (line.startsWith(key + ' ')) return line.mid(key.size() + 1);
    return {};
}

QList<QStringList> TClientProcess::ItemChanges() {
    QList<QStringList> changes;
    for (const QString& line : Lines()) {
        if (!line.startsWith(QLatin1String("OnItemChange "))) continue;
        QStringList fields;
        for (const QJsonValue& v : QJsonDocument::fromJson(line.mid(13).toUtf8()).array())
            fields << v.toString();
        changes << fields;
    }
    return changes;
}

}  // namespace qx::services
