// What a reading is: one decoded sensor value, as the server link hands it to
// the pages, and the name and value rules every consumer of readings shares.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "textscan/TimeScale.h"

namespace qx {

// The data server whose event carried a reading, so that a page can tell
// which of its rows go stale when that server leaves the bus. None for
// readings no server sent (test readings).
enum class TReadingServer : std::uint8_t { None, Decode, Rtu, ZOViz };

// "QX Decode", "QX Rtu", "QX ZOViz"; empty for None.
const char* ReadingServerTitle(TReadingServer server);

// One decoded reading. Passed to the pages and not kept by the router.
struct SensorReading {
    std::string Station;
    std::string Sensor;
    // The upper-cased message type; "S" for generated test readings, "?" for
    // readings a page fetched itself.
    std::string Source;
    TDateTime Time = 0;
    std::string Value;  // as received, never converted here
    TReadingServer Server = TReadingServer::None;
};

// Station and sensor names match when they differ only in the letter case
// of A..Z, whatever the locale.
bool SameName(std::string_view a, std::string_view b);

// A Value text as a number, the regional decimal separator as point; empty,
// unconvertible, non-finite or out-of-range text counts as 0.
double ReadingValueNumber(std::string_view text);

}  // namespace qx
