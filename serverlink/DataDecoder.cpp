#include "serverlink/DataDecoder.h"

#include "protocol/Identifiers.h"
#include "readings/DataRecords.h"
#include "serverlink/SetupLookup.h"
#include "textscan/AsciiText.h"
#include "textscan/Diagnostics.h"

namespace qx {

bool IsDataMessageType(std::string_view type) {
    return type == "$GOESTIMED" || type == "$GOESRANDOM" || type == "$CURRENT" ||
           type == "$TIMETAG" || type == "$REALTIME";
}

TDataDecoder::TDataDecoder(std::string appId, const IPageList& pages, IAsyncSetupLookup& setup)
    : appId_(std::move(appId)),
      pages_(pages),
      tagOwners_(setup, [this](const SensorReading& reading) { DeliverSecondary(reading); }) {}

TDataDecoder::TDataDecoder(std::string appId, const IPageList& pages, ISetupLookup& setup)
    : appId_(std::move(appId)),
      pages_(pages),
      immediate_(std::make_unique<TImmediateSetupLookup>(setup)),
      tagOwners_(*immediate_, [this](const SensorReading& reading) { DeliverSecondary(reading); }) {
}

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
        LogCaught(diagnostics::ServerLink, "TDataDecoder::RouteReading");
    }
}

void TDataDecoder::RouteSecondaryReading(const SensorReading& Reading) {
    try {
        tagOwners_.Route(Reading);
    } catch (...) {
        // As for normal readings: the error ends this reading's delivery only.
        LogCaught(diagnostics::ServerLink, "TDataDecoder::RouteSecondaryReading");
    }
}

void TDataDecoder::DeliverSecondary(const SensorReading& Reading) {
    try {
        const int count = pages_.PageCount();
        for (int i = 0; i < count; ++i) {
            if (IReadingSink* page = pages_.Page(i)) page->ShowSecondaryReading(Reading);
        }
    } catch (...) {
        // As for normal readings: the error ends this reading's delivery only.
        LogCaught(diagnostics::ServerLink, "TDataDecoder::DeliverSecondary");
    }
}

}  // namespace qx
