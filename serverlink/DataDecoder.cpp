#include "serverlink/DataDecoder.h"

#include "serverlink/Identifiers.h"
#include "serverlink/SetupLookup.h"
#include "textscan/ScanFormatted.h"

namespace qx {

bool IsDataMessageType(std::string_view type) {
    return type == "$GOESTIMED" || type == "$GOESRANDOM" || type == "$CURRENT" ||
           type == "$TIMETAG" || type == "$REALTIME";
}

TDataDecoder::TDataDecoder(std::string appId, const IPageList& pages, ISetupLookup& setup)
    : appId_(std::move(appId)), pages_(pages), setup_(setup) {}

void TDataDecoder::DecodeDataMessage() {
    const std::string& sender = Buffer.EventSourceId;
    if (sender == appId_) return;
    if (sender != IID_IQXDecodeCom && sender != IID_IQXRtuDataCOM && sender != IID_IQXMBRTUDataCOM)
        return;

    for (char& c : Buffer.EventMessageType) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    if (!IsDataMessageType(Buffer.EventMessageType)) return;

    // Work on copies: a page or a setup call may let another event overwrite
    // the buffer while this one is still being routed.
    const std::string text = Buffer.EventText;
    SensorReading reading;
    reading.Source = Buffer.EventMessageType;

    int position = 1;
    std::int32_t seconds = 0;
    if (!ScanFormatted(text, position, "%J", seconds)) return;
    reading.Time = SecondsToDateTime(seconds);

    const int length = static_cast<int>(text.size());
    while (position <= length) {
        const int start = position;
        ScanFormatted(text, position, "%s.%P%P", reading.Station, reading.Sensor, reading.Value);
        // A NUL inside the text ends every field without being consumed:
        // step over it so the loop always advances.
        if (position <= start) {
            position = start + 1;
            continue;
        }
        if (reading.Sensor.find(":2") != std::string::npos) {
            RouteSecondaryReading(reading);
        } else {
            RouteReading(reading);
        }
    }
}

void TDataDecoder::RouteReading(const SensorReading& Reading) {
    try {
        const int count = pages_.PageCount();
        for (int i = 0; i < count; ++i) {
            if (TWatchTab* page = pages_.Page(i)) page->ShowReading(Reading);
        }
    } catch (...) {
        // A failing page must not stop the display of later readings.
    }
}

void TDataDecoder::RouteSecondaryReading(const SensorReading& Reading) {
    try {
        SensorReading target = Reading;
        std::string base = Reading.Sensor;
        if (const auto at = base.find(":2"); at != std::string::npos) base.erase(at, 2);

        std::string answer;
        if (setup_.LookupSetupValue("TAGINFO", Reading.Station, std::string(), base, answer) &&
            !answer.empty()) {
            target.Sensor = std::move(answer);
        } else {
            target.Sensor = std::move(base);
        }

        const int count = pages_.PageCount();
        for (int i = 0; i < count; ++i) {
            if (TWatchTab* page = pages_.Page(i)) page->ShowSecondaryReading(target);
        }
    } catch (...) {
        // As for normal readings: the error ends this reading's delivery only.
    }
}

}  // namespace qx
