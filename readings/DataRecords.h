// The walk over a data text, shared by the event decoder and the list page's
// own current-value fetch: a leading "%J" time, then one "%s.%P%P" record
// (station "." sensor "," value ",") after the other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "readings/SensorReading.h"
#include "textscan/ScanFormatted.h"
#include "textscan/TimeScale.h"

namespace qx {

// Scans one record ("%s.%P%P") from the 0-based cursor into Station, Sensor
// and Value and returns the cursor after it: exactly what the scanner does
// with that format, without interpreting the format for every record. The
// station runs to the first "." (consumed) or NUL; sensor and value each run
// to the next "," (consumed), CR, LF or NUL.
std::size_t ScanDataRecord(std::string_view text, std::size_t cursor, SensorReading& reading);

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

    std::size_t cursor = static_cast<std::size_t>(position - 1);
    while (cursor < text.size()) {
        const std::size_t start = cursor;
        cursor = ScanDataRecord(text, cursor, reading);
        if (cursor <= start) {
            cursor = start + 1;
            continue;
        }
        onRecord(reading);
    }
    return true;
}

}  // namespace qx
