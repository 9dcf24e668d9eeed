// SIGTERM (the session ends) and SIGINT (Ctrl+C in a terminal) end the
// program as a shutdown request does: the window closes without asking and
// the workspace is saved on the way out. Every signal counts, also one that
// arrives while the exit confirmation is showing.
#pragma once

#include <QPointer>
#include <QSocketNotifier>

#include <csignal>

namespace qx {

class TfrmQXZuz;

class TStopSignals {
public:
    // Handles the signals for the window until destroyed, then restores the
    // handlers that were there before. One at a time.
    explicit TStopSignals(TfrmQXZuz& window);
    ~TStopSignals();
    TStopSignals(const TStopSignals&) = delete;
    TStopSignals& operator=(const TStopSignals&) = delete;

private:
    QPointer<QSocketNotifier> notifier_;
    struct sigaction previousTerm_ {};
    struct sigaction previousInt_ {};
    bool installed_ = false;
};

}  // namespace qx
