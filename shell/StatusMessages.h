// Status messages: the time-stamped lines of the status memo (newest at the
// top, at most 512 of them from AddStatusMessage) and, while tracing is on,
// the same lines appended to the log file QXRTD.LOG in the home directory.
// Plain logic: the memo is reached through IStatusView, time through a clock.
#pragma once

#include <QDateTime>
#include <functional>
#include <string>

namespace qx {

// The memo the status lines go to. Line 0 is the top (newest) line.
class IStatusView {
public:
    virtual ~IStatusView() = default;
    virtual int LineCount() const = 0;
    virtual void InsertFirstLine(const std::string& line) = 0;
    virtual void RemoveLastLine() = 0;
    virtual void Clear() = 0;
};

// The current local date and time; tests pin their own.
using StatusClock = std::function<QDateTime()>;

// The regional short date, a blank and the regional long time of a moment;
// the time is left out when the moment is exactly midnight.
std::string StatusStamp(const QDateTime& moment);

// Appends Line and CR LF to the file, creating it when missing; opens and
// closes the file for each line. Only absolute names are accepted, so the
// log never lands in whatever the current directory happens to be. Returns
// false when anything fails; never throws.
bool AppendLogLine(const std::string& fileName, const std::string& line) noexcept;

class TStatusMessages {
public:
    static constexpr int MaxLines = 512;
    static constexpr const char* LogFileBaseName = "QXRTD.LOG";

    // The view must outlive this object. Without a clock the system's
    // local time is used.
    explicit TStatusMessages(IStatusView& view, StatusClock clock = {});

    // Adds "stamp    Text." at the top of the memo (first removing the
    // oldest line when the memo holds MaxLines or more) and, while tracing,
    // appends the same line to the log file. A log failure adds an error
    // line above it. Never throws.
    void AddStatusMessage(const std::string& text) noexcept;

    // Removes every line of the memo; the log file is left as it is.
    void Clear() noexcept;

    // The suite's home directory, where the log file goes. Takes effect the
    // next time tracing is switched on.
    void SetHomeDirectory(std::string homeDirectory);
    const std::string& HomeDirectory() const { return homeDirectory_; }

    // Switching on builds the log file name anew from the home directory;
    // switching off keeps it.
    void SetTracing(bool enabled);
    bool TracingEnabled() const { return tracingEnabled_; }
    const std::string& LogFileName() const { return logFileName_; }

private:
    std::string Stamp() const;

    IStatusView& view_;
    StatusClock clock_;
    std::string homeDirectory_;
    bool tracingEnabled_ = false;
    std::string logFileName_;
};

}  // namespace qx
