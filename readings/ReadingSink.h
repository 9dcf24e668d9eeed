// Where readings go: the sink the router calls for every reading, and the
// list of sinks (the main window's pages) in delivery order.
#pragma once

#include "readings/SensorReading.h"

namespace qx {

class IReadingSink {
public:
    virtual ~IReadingSink() = default;
    // A reading of a watched sensor.
    virtual void ShowReading(const SensorReading& Reading) = 0;
    // An alarm value; Sensor names the sensor that owns the alarm.
    virtual void ShowSecondaryReading(const SensorReading& Reading) = 0;
    // The server has left the bus: what it sent last is no longer current.
    // A page that shows values marks them until a new reading replaces them.
    virtual void ServerLost(TReadingServer /*server*/) {}
};

// The pages in page order: list pages first, then chart pages. A slot may be
// empty while the pages are being rebuilt.
class IPageList {
public:
    virtual ~IPageList() = default;
    virtual int PageCount() const = 0;
    virtual IReadingSink* Page(int index) const = 0;
};

}  // namespace qx
