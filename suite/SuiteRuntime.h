// The running suite without the bus: every station's current readings and
// the answers of the setup queries and current-data queries.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "suite/Generator.h"
#include "suite/SuiteFile.h"

namespace qx::suite {

// The message types the data servers raise.
inline constexpr std::string_view TypeRealtime = "$REALTIME";
inline constexpr std::string_view TypeTimeTag = "$TIMETAG";
inline constexpr std::string_view TypeGoesTimed = "$GOESTIMED";
inline constexpr std::string_view TypeGoesRandom = "$GOESRANDOM";

// One station's generators and its latest readings.
class TStationFeed {
public:
    TStationFeed(const TStationDef& def, std::uint32_t suiteSeed, std::int32_t seconds);

    const TStationDef& Def() const { return *def_; }

    // Takes a reading of every sensor, t seconds after the suite started,
    // stamped with seconds.
    void Advance(double t, std::int32_t seconds);

    // The latest readings as one data text, alarm companions after their
    // sensors.
    std::string CurrentText() const;

    // The alarm companions whose state the last Advance changed, each with
    // its sensor's reading; empty when none changed.
    std::string AlarmChangeText() const;

    // The message type of the station's periodic readings at its server.
    std::string_view ReadingType() const;

private:
    const TStationDef* def_;
    std::vector<TGenerator> generators_;
    std::vector<std::string_view> alarms_;  // per sensor; empty without companion
    std::vector<bool> alarmChanged_;
    std::int32_t seconds_;
};

class TSuiteRuntime {
public:
    // Takes the first readings, stamped with seconds.
    TSuiteRuntime(TSuiteDef suite, std::int32_t seconds);
    TSuiteRuntime(const TSuiteRuntime&) = delete;
    TSuiteRuntime& operator=(const TSuiteRuntime&) = delete;

    const TSuiteDef& Suite() const { return suite_; }
    std::vector<TStationFeed>& Feeds() { return feeds_; }
    const std::vector<TStationFeed>& Feeds() const { return feeds_; }

    // The answer to a QuerySetup request; loaded tells whether "SetupLoad"
    // is answered "OK" yet. Unknown requests, stations and tags: "ERROR".
    std::string QuerySetup(std::string_view request, bool loaded) const;

    // The sensor's setup record, or null when the suite has no such sensor.
    const TSensorSetup* SensorSetup(std::string_view station, std::string_view sensor) const;

    // The answer to QueryCurrentData("STATION.$REALTIME"): the station's
    // latest readings; empty for an unknown station or request.
    std::string CurrentData(std::string_view request) const;

private:
    TSuiteDef suite_;
    std::vector<TStationFeed> feeds_;
};

}  // namespace qx::suite
