// Turns the suite's data events into readings and hands each one to every
// watch page. This is the only road from a server event to the display.
#pragma once

#include <string>
#include <string_view>

#include "readings/ReadingSink.h"

namespace qx {

class ISetupLookup;

// The last server event, as the event sinks stored it.
struct TEventBuffer {
    std::string EventSourceId;     // sender identifier, braced text
    std::string EventMessageType;  // upper-cased in place by decoding
    std::string EventText;         // the data text
};

// True for the five message types that carry readings (already upper-cased).
bool IsDataMessageType(std::string_view type);

class TDataDecoder {
public:
    TDataDecoder(std::string appId, const IPageList& pages, ISetupLookup& setup);

    TEventBuffer Buffer;

    // Decodes Buffer: drops it unless it comes from a data server with an
    // accepted type and a leading date-time, then routes every record.
    void DecodeDataMessage();

    // Hands a reading to every page in order. A page that throws ends the
    // delivery of this reading; the error is discarded.
    void RouteReading(const SensorReading& Reading);

    // Resolves the sensor that owns an alarm tag ("AIR:2") through the setup
    // server, then hands the reading to every page's ShowSecondaryReading.
    void RouteSecondaryReading(const SensorReading& Reading);

    const std::string& AppID() const { return appId_; }

private:
    std::string appId_;
    const IPageList& pages_;
    ISetupLookup& setup_;
    // Counts decodes, so a decode can tell whether a nested one (an event
    // handled while a page or a setup call ran) reused the buffer.
    unsigned decodes_ = 0;
};

}  // namespace qx
