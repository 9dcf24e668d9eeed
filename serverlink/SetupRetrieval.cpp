#include "serverlink/SetupRetrieval.h"

#include <cstdio>

#include "readings/SensorReading.h"
#include "textscan/AsciiText.h"
#include "textscan/Diagnostics.h"
#include "textscan/Regional.h"
#include "textscan/ScanFormatted.h"

namespace qx {

namespace {

std::string SensorListRequest(const std::string& station) {
    std::string request = "Station:";
    request.append(station).append(",Sensors");
    return request;
}

}  // namespace

void ForEachListName(const std::string& list,
                     const std::function<void(const std::string&, int)>& add) {
    const int length = static_cast<int>(list.size());
    int position = 1;
    std::string name;
    while (position <= length) {
        const int start = position;
        ScanFormatted(list, position, "%P", name);
        // "%P" stops in front of CR, LF and NUL without consuming them.
        if (position <= start) {
            position = start + 1;
            continue;
        }
        add(name, position);
    }
}

bool HasSensorNames(const std::string& answer) {
    if (answer.empty()) return false;
    return !SameIgnoringAsciiCase(answer, "ERROR");
}

std::string TestReadingValue(std::int64_t value) {
    char text[40];
    std::snprintf(text, sizeof text, "%5.2f", static_cast<double>(value));
    std::string result;
    for (const char* p = text; *p; ++p) {
        if (*p == ' ') continue;
        result += *p == '.' ? Regional().DecimalSeparator : *p;
    }
    return result;
}

TSetupRetrieval::TSetupRetrieval(ISetupServer& server, std::string HomeDirectory)
    : server_(server), home_(std::move(HomeDirectory)) {
    InitGeneralSetup();
}

void TSetupRetrieval::InitGeneralSetup() {
    General = qx::InitGeneralSetup(home_, NowSeconds());
}

TGeneralSetupRead TSetupRetrieval::ReadGeneralSetup() {
    InitGeneralSetup();
    TSetupValues values;
    try {
        values = server_.GetGeneralSetup();
    } catch (const std::exception&) {
        LogCaught(diagnostics::ServerLink, "TSetupRetrieval::ReadGeneralSetup");
        return TGeneralSetupRead::Unavailable;
    }
    if (values.empty()) return TGeneralSetupRead::Unavailable;
    TGeneralSetup record;
    if (!GeneralSetupFromValues(values, record)) return TGeneralSetupRead::Unconvertible;
    General = std::move(record);
    return TGeneralSetupRead::Loaded;
}

void TSetupRetrieval::LoadStations(IPickerLists& picker) {
    try {
        General.Stations = server_.QuerySetup("General,Stations");
    } catch (const std::exception&) {
        LogCaught(diagnostics::ServerLink, "TSetupRetrieval::LoadStations");
        General.Stations.clear();
    }
    picker.ClearStations();
    ForEachListName(General.Stations,
                    [&](const std::string& station, int) { picker.AddStation(station); });
    if (picker.StationCount() > 0) {
        picker.SelectFirstStation();
        cbxStationsChange(picker);
    }
}

void TSetupRetrieval::cbxStationsChange(IPickerLists& picker) {
    std::string station;
    if (!picker.SelectedStation(station)) return;
    std::string answer;
    try {
        answer = server_.QuerySetup(SensorListRequest(station));
    } catch (const std::exception&) {
        LogCaught(diagnostics::ServerLink, "TSetupRetrieval::cbxStationsChange: sensor list");
        return;
    }
    picker.ClearSensors();
    try {
        if (HasSensorNames(answer)) {
            ForEachListName(answer, [&](const std::string& sensor, int) {
                picker.AddSensor(sensor);
                picker.AddSensorRow(GetSensorSetupRecord(station, sensor));
            });
        }
    } catch (...) {
        // A failing sensor setup call ends the filling; the rows so far stay.
        LogCaught(diagnostics::ServerLink, "TSetupRetrieval::cbxStationsChange: sensor setup");
    }
    if (picker.SensorCount() > 0) picker.SelectFirstSensor();
}

TSensorSetup TSetupRetrieval::GetSensorSetupRecord(const std::string& Station,
                                                   const std::string& Sensor) {
    const TSetupValues values = server_.GetSensorSetup(Station, Sensor);
    TSensorSetup record;
    if (values.empty() || !SensorSetupFromValues(values, record))
        return InitSensorSetup(Station, Sensor);
    return record;
}

bool TSetupRetrieval::LookupSetupValue(const std::string& Key, const std::string& Part1,
                                       const std::string& Part2, const std::string& Part3,
                                       std::string& Answer) {
    TSetupQueryLookup lookup(
        [this](const std::string& request) { return server_.QuerySetup(request); });
    return lookup.LookupSetupValue(Key, Part1, Part2, Part3, Answer);
}

void TSetupRetrieval::Timer1Timer(const std::function<void(const SensorReading&)>& route,
                                  TDateTime now, const TRandom& random) {
    try {
        General.Stations = server_.QuerySetup("General,Stations");
    } catch (const std::exception&) {
        LogCaught(diagnostics::ServerLink, "TSetupRetrieval::Timer1Timer: station list");
        General.Stations.clear();
    }
    const std::string stations = General.Stations;
    ForEachListName(stations, [&](const std::string& station, int p) {
        try {
            const std::string sensors = server_.QuerySetup(SensorListRequest(station));
            if (!HasSensorNames(sensors)) return;
            ForEachListName(sensors, [&](const std::string& sensor, int q) {
                const SensorReading reading{station, sensor, "S", now,
                                            TestReadingValue(random(std::int64_t{p} * 20 * q))};
                route(reading);
            });
        } catch (...) {
            // The next station follows.
            LogCaught(diagnostics::ServerLink, "TSetupRetrieval::Timer1Timer: sensor list");
        }
    });
}

}  // namespace qx
