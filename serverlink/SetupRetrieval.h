// What the display reads from the setup server: the general setup, the
// station list and each station's sensors with their setup, the setup lookup
// of alarm tags, and the test readings. Plain C++ over two small interfaces:
// the setup server's calls and the main window's picker lists.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "serverlink/SetupLookup.h"
#include "serverlink/SetupRecords.h"
#include "textscan/TimeScale.h"

namespace qx {

struct SensorReading;

// A server call that failed: no connection, an error reply, a time-out, or an
// answer of the wrong kind.
class TServerCallError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The setup server's operations. Each throws TServerCallError on failure.
class ISetupServer {
public:
    virtual ~ISetupServer() = default;
    virtual std::string QuerySetup(const std::string& request) = 0;
    // An empty result stands for Null.
    virtual TSetupValues GetGeneralSetup() = 0;
    virtual TSetupValues GetSensorSetup(const std::string& station, const std::string& sensor) = 0;
};

// The main window's station combo box (cbxStations), sensor combo box
// (cbxSensors) and sensor list view (lstSensors). Selecting an item here must
// not run cbxStationsChange again: the caller runs it itself.
class IPickerLists {
public:
    virtual ~IPickerLists() = default;
    virtual void ClearStations() = 0;
    virtual void AddStation(const std::string& station) = 0;
    virtual int StationCount() const = 0;
    virtual void SelectFirstStation() = 0;
    // False when no station is selected; station names may be empty.
    virtual bool SelectedStation(std::string& station) const = 0;
    // Clears cbxSensors and lstSensors.
    virtual void ClearSensors() = 0;
    // A sensor name into cbxSensors.
    virtual void AddSensor(const std::string& sensor) = 0;
    // A row of lstSensors: SensorName, RtuSensorName, Enabled, IsText (as
    // "Yes"/"No"), Equation, RawList.
    virtual void AddSensorRow(const TSensorSetup& setup) = 0;
    virtual int SensorCount() const = 0;
    virtual void SelectFirstSensor() = 0;
};

// "Yes" or "No", as lstSensors shows booleans.
inline const char* YesNo(bool value) {
    return value ? "Yes" : "No";
}

// How the general setup read after "SetupLoad" ended.
enum class TGeneralSetupRead { Loaded, Unavailable, Unconvertible };

class TSetupRetrieval final : public ISetupLookup {
public:
    TSetupRetrieval(ISetupServer& server, std::string HomeDirectory);

    // The general setup record held for the whole program.
    TGeneralSetup General;
    const std::string& HomeDirectory() const { return home_; }

    // Resets General to its defaults.
    void InitGeneralSetup();
    // Resets General, then reads the server's record over it. Unavailable
    // when the call failed or answered Null (defaults kept); Unconvertible
    // when the values do not make a record (defaults kept).
    TGeneralSetupRead ReadGeneralSetup();

    // Fills the station list from "General,Stations" and, when there are
    // stations, selects the first one and fills its sensors.
    void LoadStations(IPickerLists& picker);
    // Fills the sensor lists for the selected station.
    void cbxStationsChange(IPickerLists& picker);
    // The sensor's setup, or the defaults when the server has none or its
    // values do not convert. A failed call throws TServerCallError.
    TSensorSetup GetSensorSetupRecord(const std::string& Station, const std::string& Sensor);

    // The setup query of alarm tags: false when the call fails or the answer
    // is exactly "ERROR".
    bool LookupSetupValue(const std::string& Key, const std::string& Part1,
                          const std::string& Part2, const std::string& Part3,
                          std::string& Answer) override;

    // One tick of test readings: a pseudo-random value for every sensor of
    // every station, all timed now, routed with Source "S". random(bound)
    // answers 0 .. bound - 1.
    using TRandom = std::function<std::int64_t(std::int64_t bound)>;
    void Timer1Timer(const std::function<void(const SensorReading&)>& route, TDateTime now,
                     const TRandom& random);

private:
    ISetupServer& server_;
    std::string home_;
};

// Calls add(name, position) for every name of a comma-separated list, position
// being the 1-based scan position after the name. Empty names between commas
// count; a trailing comma adds nothing. A line-end character (CR, LF, NUL) is
// stepped over, so a list that ends with a line break is read to its end.
void ForEachListName(const std::string& list,
                     const std::function<void(const std::string&, int)>& add);

// True for a sensor list answer that carries sensors: not empty and not
// "ERROR" in any letter case.
bool HasSensorNames(const std::string& answer);

// value written as "%5.2f" with the regional decimal separator, blanks trimmed.
std::string TestReadingValue(std::int64_t value);

}  // namespace qx
