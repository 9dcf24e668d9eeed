// The health of the four server connections as the operator sees it: for
// each server whether it is attached, was not running, could not be attached
// or has left the bus (and since when), with the texts of the status bar
// indicator and of the status messages. Plain logic; the server link feeds
// it from the connect sequence and from the watch on the servers' bus names.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "protocol/SuiteProtocol.h"
#include "readings/SensorReading.h"
#include "textscan/TimeScale.h"

namespace qx {

enum class THealthState {
    Unused,      // not enabled in the setup, or the setup was not read
    Attached,    // connected and subscribed
    NotRunning,  // its name had no owner when it was wanted, or it shut down
    Failed,      // running, but attaching or subscribing failed
    Lost,        // its name lost its owner while it was attached
};

struct TServerStatus {
    THealthState State = THealthState::Unused;
    TDateTime Since = 0;  // local time of the loss, for Lost
};

// The current local date and time; tests pin their own.
using HealthClock = std::function<TDateTime()>;

// "QX Setup", "QX Decode", "QX Rtu", "QX ZOViz".
const char* ServerTitle(suite::TServer server);
TReadingServer ReadingServerOf(suite::TServer server);

// The status messages of the health watch.
std::string ServerGoneMessage(suite::TServer server);
std::string ServerBackMessage(suite::TServer server);
std::string ServerBackFailedMessage(suite::TServer server);

// The indicator's short text ("Rtu: lost since 13:20:59"), its tool tip and
// its accessible name ("QX Rtu server: lost since 13:20:59"). Times use the
// regional time separator.
std::string IndicatorText(suite::TServer server, const TServerStatus& status);
std::string IndicatorToolTip(suite::TServer server, const TServerStatus& status);
std::string IndicatorAccessibleName(suite::TServer server, const TServerStatus& status);

class TServerHealth {
public:
    explicit TServerHealth(HealthClock clock = {});

    const TServerStatus& Status(suite::TServer server) const;

    // What the connect sequence or a re-attach found. Lost stays Lost when
    // the server is still missing (NotRunning), so the time of the loss is
    // kept until it is attached again.
    void SetAttached(suite::TServer server);
    void SetNotRunning(suite::TServer server);
    void SetFailed(suite::TServer server);
    void SetUnused(suite::TServer server);

    // The server's name lost its owner. True when it was attached: it is now
    // Lost since the clock's time and the operator must be told.
    bool NameLost(suite::TServer server);
    // The server announced its shutdown: it is not running (no loss to report).
    void ShutDown(suite::TServer server);
    // The server's name has an owner again. True when the server is wanted
    // and missing (not running, failed or lost): it should be attached again.
    bool WantsAttach(suite::TServer server) const;

private:
    TServerStatus& At(suite::TServer server);

    HealthClock clock_;
    std::array<TServerStatus, 4> status_{};
};

}  // namespace qx
