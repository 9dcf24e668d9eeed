#include "readings/SensorReading.h"

#include <charconv>
#include <cmath>

#include "textscan/AsciiText.h"
#include "textscan/Regional.h"

namespace qx {

const char* ReadingServerTitle(TReadingServer server) {
    switch (server) {
        case TReadingServer::Decode: return "QX Decode";
        case TReadingServer::Rtu: return "QX Rtu";
        case TReadingServer::ZOViz: return "QX ZOViz";
        case TReadingServer::None: break;
    }
    return "";
}

bool SameName(std::string_view a, std::string_view b) {
    return SameIgnoringAsciiCase(a, b);
}

double ReadingValueNumber(std::string_view text) {
    // Blanks around the number are allowed; inside it only sign, digits, one
    // decimal separator and an exponent. Anything else is not a number.
    const char separator = Regional().DecimalSeparator;
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty() || text.size() > 64) return 0;

    char buffer[64];
    std::size_t n = 0;
    std::size_t i = 0;
    bool digits = false;
    if (text[i] == '+' || text[i] == '-') {
        if (text[i] == '-') buffer[n++] = '-';
        ++i;
    }
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        buffer[n++] = text[i++];
        digits = true;
    }
    if (i < text.size() && text[i] == separator) {
        buffer[n++] = '.';
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            buffer[n++] = text[i++];
            digits = true;
        }
    }
    if (!digits) return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        buffer[n++] = 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) buffer[n++] = text[i++];
        bool exponentDigits = false;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            buffer[n++] = text[i++];
            exponentDigits = true;
        }
        if (!exponentDigits) return 0;
    }
    if (i != text.size()) return 0;

    double value = 0;
    const auto [end, ec] = std::from_chars(buffer, buffer + n, value);
    if (ec != std::errc() || end != buffer + n || !std::isfinite(value)) return 0;
    return value;
}

}  // namespace qx
