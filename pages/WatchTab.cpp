#include "pages/WatchTab.h"

namespace qx {

void TWatchTab::AddSensor(const std::string&, const std::string&) {}
void TWatchTab::RemoveSensors() {}
void TWatchTab::ShowReading(const SensorReading&) {}
void TWatchTab::ShowSecondaryReading(const SensorReading&) {}
void TWatchTab::SaveToWorkspace(TMemIniFile&, const std::string&) {}
void TWatchTab::LoadFromWorkspace(TMemIniFile&, const std::string&) {}

bool TWatchTab::TogglePause() {
    Paused = !Paused;
    return Paused;
}

// Without its own answer a page claims every sensor, so nothing is added.
bool TWatchTab::HasSensor(const std::string&, const std::string&) {
    return true;
}
bool TWatchTab::IsPaused() {
    return Paused;
}
void TWatchTab::EditSettings() {}
bool TWatchTab::HasSettings() {
    return false;
}
void TWatchTab::SaveData() {}
bool TWatchTab::CanSaveData() {
    return false;
}
void TWatchTab::CopyData() {}
bool TWatchTab::CanCopyData() {
    return false;
}
void TWatchTab::ShowCurrentValues(const std::string&, const std::string&) {}

}  // namespace qx
