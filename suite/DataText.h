// Builds the data text of data events and current-data answers: the time,
// then STATION.SENSOR,VALUE records, all separated by commas.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qx::suite {

class TDataText {
public:
    // Starts a text at the time (seconds of the suite's time scale), written
    // with the regional date and time separators in force.
    explicit TDataText(std::int32_t seconds);

    // Appends one record. Commas and line breaks in the value would split
    // or end the record, so they are written as blanks.
    TDataText& Add(std::string_view station, std::string_view sensor, std::string_view value);

    const std::string& Text() const { return text_; }
    std::string Take() { return std::move(text_); }

private:
    std::string text_;
};

}  // namespace qx::suite
