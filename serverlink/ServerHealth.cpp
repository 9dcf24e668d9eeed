#include "serverlink/ServerHealth.h"

#include <cstdio>

#include "textscan/Regional.h"

namespace qx {

using suite::TServer;

namespace {

std::size_t Index(TServer server) {
    return static_cast<std::size_t>(server);
}

// "Setup", "Decode", "Rtu", "ZOViz": the title without "QX ".
std::string ShortTitle(TServer server) {
    return std::string(ServerTitle(server)).substr(3);
}

std::string TimeText(TDateTime time) {
    const TDateTimeParts p = DecodeDateTime(time);
    const char t = Regional().TimeSeparator;
    char text[16];
    std::snprintf(text, sizeof text, "%02d%c%02d%c%02d", p.Hour, t, p.Minute, t, p.Second);
    return text;
}

std::string DateText(TDateTime time) {
    const TDateTimeParts p = DecodeDateTime(time);
    const char d = Regional().DateSeparator;
    char text[24];
    std::snprintf(text, sizeof text, "%02d%c%02d%c%04d", p.Month, d, p.Day, d, p.Year);
    return text;
}

// What the indicator says after the server's name.
std::string StateText(const TServerStatus& status) {
    switch (status.State) {
        case THealthState::Unused: return "not used";
        case THealthState::Attached: return "attached";
        case THealthState::NotRunning: return "not running";
        case THealthState::Failed: return "not attached";
        case THealthState::Lost: return "lost since " + TimeText(status.Since);
    }
    return {};
}

}  // namespace

const char* ServerTitle(TServer server) {
    switch (server) {
        case TServer::Setup: return "QX Setup";
        case TServer::Decode: return "QX Decode";
        case TServer::Rtu: return "QX Rtu";
        case TServer::ZOViz: return "QX ZOViz";
    }
    return "";
}

TReadingServer ReadingServerOf(TServer server) {
    switch (server) {
        case TServer::Decode: return TReadingServer::Decode;
        case TServer::Rtu: return TReadingServer::Rtu;
        case TServer::ZOViz: return TReadingServer::ZOViz;
        case TServer::Setup: break;
    }
    return TReadingServer::None;
}

std::string ServerGoneMessage(TServer server) {
    return std::string("Error 1100: The ") + ServerTitle(server) + " server has gone away";
}

std::string ServerBackMessage(TServer server) {
    if (server == TServer::Setup) return "The QX Setup server is back: its setup is read again";
    return std::string("The ") + ServerTitle(server) +
           " server is back: attached and subscribed again";
}

std::string ServerBackFailedMessage(TServer server) {
    return std::string("Error 1101: The ") + ServerTitle(server) +
           " server is back but could not be attached";
}

std::string IndicatorText(TServer server, const TServerStatus& status) {
    return ShortTitle(server) + ": " + StateText(status);
}

std::string IndicatorAccessibleName(TServer server, const TServerStatus& status) {
    return std::string(ServerTitle(server)) + " server: " + StateText(status);
}

std::string IndicatorToolTip(TServer server, const TServerStatus& status) {
    const std::string name = std::string("The ") + ServerTitle(server) + " server";
    const bool setup = server == TServer::Setup;
    const std::string comesBack =
        setup ? "the setup is read again by itself" : "it is attached by itself";
    switch (status.State) {
        case THealthState::Unused:
            return name +
                   " is not used: the setup does not enable it, or the setup could not be read.";
        case THealthState::Attached:
            return setup ? name + " is attached." : name + " is attached; its readings arrive.";
        case THealthState::NotRunning:
            return name + " is not running. When it starts, " + comesBack + ".";
        case THealthState::Failed:
            return name +
                   " runs but could not be attached. Refresh tries again; when it starts anew, " +
                   comesBack + ".";
        case THealthState::Lost:
            return name + " left the bus at " + TimeText(status.Since) + " on " +
                   DateText(status.Since) +
                   (setup ? "." : "; the rows it fed are grey until new readings arrive.") +
                   " When it returns, " + comesBack + ".";
    }
    return {};
}

TServerHealth::TServerHealth(HealthClock clock) : clock_(std::move(clock)) {
    if (!clock_) clock_ = [] { return SecondsToDateTime(NowSeconds()); };
}

const TServerStatus& TServerHealth::Status(TServer server) const {
    return status_[Index(server)];
}

TServerStatus& TServerHealth::At(TServer server) {
    return status_[Index(server)];
}

void TServerHealth::SetAttached(TServer server) {
    At(server) = {THealthState::Attached, 0};
}

void TServerHealth::SetNotRunning(TServer server) {
    TServerStatus& status = At(server);
    if (status.State != THealthState::Lost) status = {THealthState::NotRunning, 0};
}

void TServerHealth::SetFailed(TServer server) {
    At(server) = {THealthState::Failed, 0};
}

void TServerHealth::SetUnused(TServer server) {
    At(server) = {THealthState::Unused, 0};
}

bool TServerHealth::NameLost(TServer server) {
    TServerStatus& status = At(server);
    if (status.State != THealthState::Attached) return false;
    status = {THealthState::Lost, clock_()};
    return true;
}

void TServerHealth::ShutDown(TServer server) {
    At(server) = {THealthState::NotRunning, 0};
}

bool TServerHealth::WantsAttach(TServer server) const {
    const THealthState state = Status(server).State;
    return state == THealthState::NotRunning || state == THealthState::Failed ||
           state == THealthState::Lost;
}

}  // namespace qx
