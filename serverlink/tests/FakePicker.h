// The main window's station and sensor lists, as plain vectors.
#pragma once

#include <string>
#include <vector>

#include "serverlink/SetupRetrieval.h"

namespace qx {

class FakePicker : public IPickerLists {
public:
    void ClearStations() override {
        stations.clear();
        selectedStation = -1;
    }
    void AddStation(const std::string& station) override { stations.push_back(station); }
    int StationCount() const override { return static_cast<int>(stations.size()); }
    void SelectFirstStation() override { selectedStation = stations.empty() ? -1 : 0; }
    bool SelectedStation(std::string& station) const override {
        if (selectedStation < 0) return false;
        station = stations[static_cast<std::size_t>(selectedStation)];
        return true;
    }
    void ClearSensors() override {
        ++sensorClears;
        sensors.clear();
        rows.clear();
        selectedSensor = -1;
    }
    void AddSensor(const std::string& sensor) override { sensors.push_back(sensor); }
    void AddSensorRow(const TSensorSetup& setup) override {
        rows.push_back(setup.SensorName + "|" + setup.RtuSensorName + "|" + YesNo(setup.Enabled) +
                       "|" + YesNo(setup.IsText) + "|" + setup.Equation + "|" + setup.RawList);
    }
    int SensorCount() const override { return static_cast<int>(sensors.size()); }
    void SelectFirstSensor() override { selectedSensor = 0; }

    std::vector<std::string> stations;
    int selectedStation = -1;
    std::vector<std::string> sensors;
    std::vector<std::string> rows;  // the six columns of lstSensors, "|"-separated
    int selectedSensor = -1;
    int sensorClears = 0;
};

}  // namespace qx
