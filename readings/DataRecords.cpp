#include "readings/DataRecords.h"

namespace qx {

namespace {

constexpr bool EndsField(char c) {
    return c == ',' || c == '\0' || c == '\r' || c == '\n';
}

// Reads one comma-separated field into out; the comma is consumed.
std::size_t ReadField(std::string_view text, std::size_t cursor, std::string& out) {
    std::size_t end = cursor;
    while (end < text.size() && !EndsField(text[end])) ++end;
    out.assign(text.data() + cursor, end - cursor);
    return end < text.size() && text[end] == ',' ? end + 1 : end;
}

}  // namespace

std::size_t ScanDataRecord(std::string_view text, std::size_t cursor, SensorReading& reading) {
    if (cursor > text.size()) cursor = text.size();
    std::size_t end = cursor;
    while (end < text.size() && text[end] != '.' && text[end] != '\0') ++end;
    reading.Station.assign(text.data() + cursor, end - cursor);
    cursor = end < text.size() && text[end] == '.' ? end + 1 : end;
    cursor = ReadField(text, cursor, reading.Sensor);
    return ReadField(text, cursor, reading.Value);
}

}  // namespace qx
