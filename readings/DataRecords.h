// The walk over a data text, shared by the event decoder and the list page's
// own current-value fetch: a leading "%J" time, then one "%s.%P%P" record
// (station "." sensor "," value ",") after the other.
#pragma once

#include <cstdint>
#include <string_view>

#include "readings/SensorReading.h"
#include "textscan/ScanFormatted.h"
#include "textscan/TimeScale.h"

namespace qx {

// Scans `text` and calls onRecord(reading) for each record, in order, with
// Time, Station, Sensor and Value filled in; Source is left as the caller set
// it. onRecord may change the reading: the next record's scan writes Station,
// Sensor and Value again. Returns false, delivering nothing, when the
// leading time does not scan. A NUL inside the text ends every field without
// being consumed: the walk steps over it, so it always advances.
template <class OnRecord>
bool ForEachDataRecord(std::string_view text, SensorReading& reading, OnRecord&& onRecord) {
    int position = 1;
    std::int32_t seconds = 0;
    if (!ScanFormatted(text, position, "%J", seconds)) return false;
    reading.Time = SecondsToDateTime(seconds);

    const int length = static_cast<int>(text.size());
    while (position <= length) {
        const int start = position;
        const bool scanned =
            ScanFormatted(text, position, "%s.%P%P", reading.Station, reading.Sensor, reading.Value);
        if (position <= start) {
            position = start + 1;
            continue;
        }
        if (scanned) onRecord(reading);
    }
    return true;
}

}  // namespace qx
