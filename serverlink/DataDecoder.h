// Turns the suite's data events into readings and hands each one to every
// watch page. This is the only road from a server event to the display.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "readings/ReadingSink.h"
#include "serverlink/SetupLookup.h"
#include "serverlink/TagOwners.h"

namespace qx {

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
    // Alarm tags are resolved through the setup server without waiting for
    // it (TTagOwners); with a synchronous lookup every answer comes at once.
    TDataDecoder(std::string appId, const IPageList& pages, IAsyncSetupLookup& setup);
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
    // Answers are kept until ForgetTagOwners; alarm readings keep their order.
    void RouteSecondaryReading(const SensorReading& Reading);
    // The setup may have changed (a connect sequence): ask about tags anew.
    void ForgetTagOwners() { tagOwners_.Forget(); }
    const TTagOwners& TagOwners() const { return tagOwners_; }

    const std::string& AppID() const { return appId_; }

private:
    void DeliverSecondary(const SensorReading& Reading);

    std::string appId_;
    const IPageList& pages_;
    std::unique_ptr<TImmediateSetupLookup> immediate_;
    TTagOwners tagOwners_;
    // Counts decodes, so a decode can tell whether a nested one (an event
    // handled while a page or a setup call ran) reused the buffer.
    unsigned decodes_ = 0;
};

}  // namespace qx
