#include "suite/DataText.h"

#include "textscan/FormatValues.h"

namespace qx::suite {

TDataText::TDataText(std::int32_t seconds) : text_(FormatValues("%J", seconds)) {}

TDataText& TDataText::Add(std::string_view station, std::string_view sensor, std::string_view value) {
    text_.reserve(text_.size() + station.size() + sensor.size() + value.size() + 3);
    text_ += ',';
    text_ += station;
    text_ += '.';
    text_ += sensor;
    text_ += ',';
    for (const char c : value) text_ += c == ',' || c == '\r' || c == '\n' || c == '\0' ? ' ' : c;
    return *this;
}

}  // namespace qx::suite
