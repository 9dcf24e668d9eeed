// The watch page contract. Every page of the main window, list or chart, is
// reached only through these operations; a page kind overrides what it
// supports and inherits the base behaviour for the rest.
#pragma once

#include <string>

#include "readings/ReadingSink.h"

namespace qx {

class TMemIniFile;

class TWatchTab : public IReadingSink {
public:
    bool Paused = false;

    virtual void AddSensor(const std::string& Station, const std::string& Sensor);
    virtual void RemoveSensors();
    void ShowReading(const SensorReading& Reading) override;
    void ShowSecondaryReading(const SensorReading& Reading) override;
    virtual void SaveToWorkspace(TMemIniFile& Ini, const std::string& Section);
    virtual void LoadFromWorkspace(TMemIniFile& Ini, const std::string& Section);
    virtual bool TogglePause();
    virtual bool HasSensor(const std::string& Station, const std::string& Sensor);
    virtual bool IsPaused();
    virtual void EditSettings();
    virtual bool HasSettings();
    virtual void SaveData();
    virtual bool CanSaveData();
    virtual void CopyData();
    virtual bool CanCopyData();
    // After the operator added a sensor: shows its current values at once
    // where the page kind fetches them (list pages); the base does nothing.
    virtual void ShowCurrentValues(const std::string& Station, const std::string& Sensor);
};

}  // namespace qx
