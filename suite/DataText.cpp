#include "suite/DataText.h"

#include "textscan/FormatValues.h"
#include "textscan/Regional.h"

namespace qx::suite {

TDataText::TDataText(std::int32_t seconds) {
    // The time text changes once a second and every reading of that second
    // shares it, so the last one is kept (with the pattern it was made by).
    thread_local bool made = false;
    thread_local std::int32_t lastSeconds = 0;
    thread_local std::string lastPattern;
    thread_local std::string lastText;
    const std::string& pattern = DatePatterns().DateTimeOutPattern;
    if (!made || seconds != lastSeconds || pattern != lastPattern) {
        lastText = FormatValues("%J", seconds);
        lastSeconds = seconds;
        lastPattern = pattern;
        made = true;
    }
    text_.reserve(lastText.size() + 64);
    text_ = lastText;
}

TDataText& TDataText::Add(std::string_view station, std::string_view sensor,
                          std::string_view value) {
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
