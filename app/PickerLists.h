// The picker's station and sensor lists as the setup retrieval fills them:
// cbxStations, cbxSensors and the sensor table lstSensors.
#pragma once

#include "serverlink/SetupRetrieval.h"

class QComboBox;
class QTreeWidget;

namespace qx {

class TPickerLists final : public IPickerLists {
public:
    TPickerLists(QComboBox* stations, QComboBox* sensors, QTreeWidget* table)
        : stations_(stations), sensors_(sensors), table_(table) {}

    void ClearStations() override;
    void AddStation(const std::string& station) override;
    int StationCount() const override;
    void SelectFirstStation() override;
    bool SelectedStation(std::string& station) const override;
    void ClearSensors() override;
    void AddSensor(const std::string& sensor) override;
    void AddSensorRow(const TSensorSetup& setup) override;
    int SensorCount() const override;
    void SelectFirstSensor() override;

private:
    QComboBox* stations_;
    QComboBox* sensors_;
    QTreeWidget* table_;
};

}  // namespace qx
