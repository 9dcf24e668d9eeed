#include "serverlink/DataDecoder.h"

#include "protocol/Identifiers.h"
#include "serverlink/SetupLookup.h"
#include "readings/DataRecords.h"
#include "textscan/AsciiText.h"

namespace qx {

bool IsDataMessageType(std::string_view type) {
    return type == "$GOESTIMED" || type == "$GOESRANDOM" || type == "$CURRENT" ||
           type == "$TIMETAG" || type == "$REALTIME";
}

TDataDecoder::TDataDecoder(std::string appId, const IPageList& pages, ISetupLookup& setup)
    : appId_(std::move(appId)), pages_(pages), setup_(setup) {}

void TDataDecoder::DecodeDataMessage() {
    const unsigned decode = ++decodes_;
    const std::string& sender = Buffer.EventSourceId;
    if (sender == appId_) return;
    TReadingServer server = TReadingServer::None;
    if (sender == IID_IQXDecodeCom) {
        server = TReadingServer::Decode;
    } else if (sender == IID_IQXRtuDataCOM) {
        server = TReadingServer::Rtu;
    } else if (sender == IID_IQXMBRTUDataCOM) {
        server = TReadingServer::ZOViz;
    } else {
        return;
    }

    for (char& c : Buffer.EventMessageType) c = AsciiUpper(c);
    if (!IsDataMessageType(Buffer.EventMessageType)) return;

    // The text is taken out of the buffer while it is routed: a page or a
    // setup call may let another event overwrite the buffer meanwhile. It
    // goes back afterwards unless a newer event has taken its place.
    std::string text = std::move(Buffer.EventText);
    SensorReading reading;
    reading.Source = Buffer.EventMessageType;
    reading.Server = server;
    ForEachDataRecord(text, reading, [this](SensorReading& record) {
        if (record.Sensor.find(":2") != std::string::npos) {
            RouteSecondaryReading(record);
        } else {
            RouteReading(record);
        }
    });
    if (decode == decodes_) Buffer.EventText = std::move(text);
}

void TDataDecoder::RouteReading(const SensorReading& Reading) {
    try {
        const int count = pages_.PageCount();
        for (int i = 0; i < count; ++i) {
            if (IReadingSink* page = pages_.Page(i)) page->ShowReading(Reading);
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
            if (IReadingSink* page = pages_.Page(i)) page->ShowSecondaryReading(target);
        }
    } catch (...) {
        // As for normal readings: the error ends this reading's delivery only.
    }
}

}  // namespace qx
