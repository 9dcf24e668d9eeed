// The watch page contract. Every page of the main window, list or chart, is
// reached only through these operations; a page kind overrides what it
// supports and inherits the base behaviour for the rest.
#pragma once

#include <string>
#include <string_view>

#include "textscan/TimeScale.h"

namespace qx {

class TMemIniFile;

// One decoded reading. Passed to the pages and not kept by the router.
struct SensorReading {
    std::string Station;
    std::string Sensor;
    // The upper-cased message type; "S" for generated test readings, "?" for
    // readings a page fetched itself.
    std::string Source;
    TDateTime Time = 0;
    std::string Value;  // as received, never converted here
};

// Station and sensor names match when they differ only in the letter case
// of A..Z, whatever the locale.
bool SameName(std::string_view a, std::string_view b);

class TWatchTab {
public:
    virtual ~TWatchTab() = default;

    bool Paused = false;

    virtual void AddSensor(const std::string& Station, const std::string& Sensor);
    virtual void RemoveSensors();
    virtual void ShowReading(const SensorReading& Reading);
    virtual void ShowSecondaryReading(const SensorReading& Reading);
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
};

}  // namespace qx
