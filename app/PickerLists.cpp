#include "app/PickerLists.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QTreeWidget>

namespace qx {
namespace {

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

void TPickerLists::ClearStations() {
    stations_->clear();
}

void TPickerLists::AddStation(const std::string& station) {
    stations_->addItem(Text(station));
}

int TPickerLists::StationCount() const {
    return stations_->count();
}

void TPickerLists::SelectFirstStation() {
    // The caller refills the sensors itself; no change signal on the way.
    const QSignalBlocker blocker(stations_);
    stations_->setCurrentIndex(0);
}

bool TPickerLists::SelectedStation(std::string& station) const {
    if (stations_->currentIndex() < 0) return false;
    station = stations_->currentText().toStdString();
    return true;
}

void TPickerLists::ClearSensors() {
    sensors_->clear();
    table_->clear();
}

void TPickerLists::AddSensor(const std::string& sensor) {
    sensors_->addItem(Text(sensor));
}

void TPickerLists::AddSensorRow(const TSensorSetup& setup) {
    table_->addTopLevelItem(new QTreeWidgetItem(
        QStringList{Text(setup.SensorName), Text(setup.RtuSensorName), YesNo(setup.Enabled),
                    YesNo(setup.IsText), Text(setup.Equation), Text(setup.RawList)}));
}

int TPickerLists::SensorCount() const {
    return sensors_->count();
}

void TPickerLists::SelectFirstSensor() {
    sensors_->setCurrentIndex(0);
}

}  // namespace qx
