#include "shell/StatusMessages.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QLoggingCategory>
#include <exception>
#include <utility>

#include "textscan/Regional.h"

namespace qx {
namespace {

Q_LOGGING_CATEGORY(lcStatus, "qx.shell.status")

constexpr const char* Separator = "    ";

}  // namespace

std::string StatusStamp(const QDateTime& moment) {
    const TRegionalSettings& regional = Regional();
    const QLocale locale;
    QString stamp =
        locale.toString(moment.date(), QString::fromStdString(regional.ShortDateFormat));
    if (moment.time() != QTime(0, 0)) {
        stamp += u' ';
        stamp += locale.toString(moment.time(), QString::fromStdString(regional.LongTimeFormat));
    }
    return stamp.toStdString();
}

bool AppendLogLine(const std::string& fileName, const std::string& line) noexcept {
    try {
        const QString name = QString::fromStdString(fileName);
        if (name.isEmpty() || QDir::isRelativePath(name)) {
            qCWarning(lcStatus) << "log file name is not absolute:" << name;
            return false;
        }
        QFile file(name);
        // Append mode: earlier lines are never rewritten, even by a short write.
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
            qCWarning(lcStatus) << "cannot open log file" << name << file.errorString();
            return false;
        }
        const std::string data = line + "\r\n";
        const qint64 size = static_cast<qint64>(data.size());
        const bool written = file.write(data.data(), size) == size;
        file.close();
        if (!written || file.error() != QFileDevice::NoError) {
            qCWarning(lcStatus) << "cannot write log file" << name << file.errorString();
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        qCWarning(lcStatus) << "cannot write log file:" << e.what();
    } catch (...) {
        qCWarning(lcStatus) << "cannot write log file";
    }
    return false;
}

TStatusMessages::TStatusMessages(IStatusView& view, StatusClock clock)
    : view_(view), clock_(std::move(clock)) {
    if (!clock_) clock_ = [] { return QDateTime::currentDateTime(); };
}

std::string TStatusMessages::Stamp() const {
    return StatusStamp(clock_());
}

void TStatusMessages::AddStatusMessage(const std::string& text) noexcept {
    try {
        if (view_.LineCount() >= MaxLines) view_.RemoveLastLine();
        const std::string line = Stamp() + Separator + text + ".";
        view_.InsertFirstLine(line);
        if (tracingEnabled_ && !AppendLogLine(logFileName_, line)) {
            // Not counted against the limit and not logged; tracing stays on,
            // so the next message tries the file again.
            view_.InsertFirstLine(Stamp() + Separator +
                                  "ERROR: Unable to write status message to " + logFileName_ + ".");
        }
    } catch (const std::exception& e) {
        qCWarning(lcStatus) << "status message lost:" << e.what();
    } catch (...) {
        qCWarning(lcStatus) << "status message lost";
    }
}

void TStatusMessages::Clear() noexcept {
    try {
        view_.Clear();
    } catch (...) {
        qCWarning(lcStatus) << "status messages not cleared";
    }
}

void TStatusMessages::SetHomeDirectory(std::string homeDirectory) {
    homeDirectory_ = std::move(homeDirectory);
}

void TStatusMessages::SetTracing(bool enabled) {
    tracingEnabled_ = enabled;
    if (!enabled) return;
    // One separator between the directory and the name, whether or not the
    // home directory ends in one. Without a home directory the name stays
    // relative and every write is refused (and reported).
    logFileName_ = homeDirectory_;
    if (!logFileName_.empty() && logFileName_.back() != '/') logFileName_ += '/';
    logFileName_ += LogFileBaseName;
}

}  // namespace qx
