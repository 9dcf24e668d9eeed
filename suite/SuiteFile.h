// The demo suite's description: stations, sensors, their setup records, the
// general setup and the generator behind every sensor, read from a suite
// file (INI text; docs/protocol.md, "The suite file", describes the keys).
// Plain C++: the servers on the bus only read this model.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "protocol/SuiteProtocol.h"

namespace qx::suite {

// One value of a setup record, in the D-Bus type the protocol gives it:
// text "s", boolean "b", 16-bit unsigned "q", 16-bit signed "n", 32-bit "i".
using TSetupValue = std::variant<std::string, bool, std::uint16_t, std::int16_t, std::int32_t>;

inline constexpr std::size_t GeneralSetupSize = 37;
inline constexpr std::size_t SensorSetupSize = 75;

using TGeneralSetup = std::array<TSetupValue, GeneralSetupSize>;
using TSensorSetup = std::array<TSetupValue, SensorSetupSize>;

// Positions used by the client.
inline constexpr std::size_t GeneralLogDirectory = 4;
inline constexpr std::size_t GeneralRawDirectory = 5;
inline constexpr std::size_t GeneralStations = 6;
inline constexpr std::size_t GeneralRtuEnabled = 14;
inline constexpr std::size_t GeneralDecodeEnabled = 15;
inline constexpr std::size_t GeneralZOVizEnabled = 32;
inline constexpr std::size_t GeneralCreated = 36;

inline constexpr std::size_t SensorStation = 0;
inline constexpr std::size_t SensorName = 1;
inline constexpr std::size_t SensorEquation = 2;
inline constexpr std::size_t SensorRtuName = 3;
inline constexpr std::size_t SensorRawList = 5;
inline constexpr std::size_t SensorEnabled = 6;
inline constexpr std::size_t SensorIsText = 8;
inline constexpr std::size_t SensorDataFile = 19;

// The defaults of the two records. The general record's log and raw
// directories lie under home (which ends with "/"); value 36 is created.
TGeneralSetup DefaultGeneralSetup(const std::string& home, std::int32_t created);
TSensorSetup DefaultSensorSetup(const std::string& station, const std::string& sensor);

enum class TGeneratorKind { Constant, Ramp, Sine, Walk, Step, Text };

struct TGeneratorSettings {
    TGeneratorKind Kind = TGeneratorKind::Constant;
    double Value = 0;  // constant value; start of a random walk
    double Min = 0;
    double Max = 100;
    double Period = 60;  // seconds: ramp length, sine period, time on each step level or text
    double Step = 5;     // largest change of a random walk per reading
    int Decimals = 2;
    std::vector<std::string> Texts;  // text sensors, shown in turn
};

// The alarm companion of a sensor: every reading also carries TAG:2 with
// "HIGH", "LOW" or "OK" as the sensor's value stands to the limits.
struct TAlarmSettings {
    bool On = false;
    std::string Tag;  // defaults to the sensor's name
    std::optional<double> High;
    std::optional<double> Low;
};

struct TSensorDef {
    std::string Name;
    TSensorSetup Setup;
    TGeneratorSettings Generator;
    TAlarmSettings Alarm;
};

struct TTagDef {
    std::string Tag;
    std::string Sensor;
};

struct TStationDef {
    std::string Name;
    TServer Server = TServer::Rtu;  // which data server carries its readings
    double Interval = 5;            // seconds between readings
    std::vector<TSensorDef> Sensors;
    std::vector<TTagDef> Tags;  // alarm tags and the sensors owning them
};

struct TSuiteDef {
    std::string FileName;
    int SetupLoadDelayMs = 0;
    double TimeTagPeriod = 60;  // seconds between $TIMETAG events; 0: none
    std::uint32_t Seed = 1;
    TGeneralSetup General;
    std::vector<TStationDef> Stations;
    // The data servers put on the bus (decode, RTU, Modbus RTU).
    bool Serve[4] = {true, false, false, false};

    bool Serves(TServer server) const { return Serve[static_cast<int>(server)]; }
    const TStationDef* FindStation(std::string_view name) const;
    const TSensorDef* FindSensor(std::string_view station, std::string_view sensor) const;
};

struct TSuiteLoad {
    std::optional<TSuiteDef> Suite;  // empty when there are errors
    std::vector<std::string> Errors;
    std::vector<std::string> Warnings;  // bad values replaced by defaults
};

// Parses a suite file's text. fileName names it in messages; the general
// setup's directories lie in home.
TSuiteLoad ParseSuite(std::string_view text, const std::string& fileName, const std::string& home);

// Reads and parses a file; home is the file's folder.
TSuiteLoad LoadSuiteFile(const std::string& fileName);

// The server named by a key ("setup", "decode", "rtu", "mbrtu"), any case.
std::optional<TServer> ServerByKey(std::string_view key);

// Whether two names are equal without regard to ASCII letter case: station
// and sensor names match that way, as the suite file's section names do.
bool SameName(std::string_view a, std::string_view b);

}  // namespace qx::suite
