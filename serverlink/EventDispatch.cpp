#include "serverlink/EventDispatch.h"

namespace qx {

namespace {

// Stores the sender alone; false when there is none or it is not text.
bool StoreSender(const TSetupValues& arguments, IServerEventHandler& handler) {
    std::string sender;
    if (arguments.empty() || !SetupValueToText(arguments[0], sender)) return false;
    handler.EventBuffer().EventSourceId = std::move(sender);
    return true;
}

// Stores sender, message type and data text and decodes them; nothing is
// stored unless all three are there and convert.
void DataEvent(TSetupValues& arguments, IServerEventHandler& handler) {
    if (arguments.size() < 3) return;
    std::string sender, type, text;
    if (!SetupValueToText(arguments[0], sender) || !SetupValueToText(arguments[1], type) ||
        !TakeSetupValueText(std::move(arguments[2]), text))
        return;
    TEventBuffer& buffer = handler.EventBuffer();
    buffer.EventSourceId = std::move(sender);
    buffer.EventMessageType = std::move(type);
    buffer.EventText = std::move(text);
    handler.DecodeDataMessage();
}

}  // namespace

void DispatchSetupEvent(int dispatchId, TSetupValues arguments, IServerEventHandler& handler) {
    switch (dispatchId) {
        case suite::SetupRefresh:
        case suite::SetupRefreshAll:
            if (StoreSender(arguments, handler)) handler.HandleRefreshRequest();
            break;
        case suite::SetupShutdown:
            if (StoreSender(arguments, handler)) handler.HandleShutdownRequest();
            break;
        case suite::SetupNotice: StoreSender(arguments, handler); break;
        case suite::SetupData: DataEvent(arguments, handler); break;
        default: break;
    }
}

void DispatchDataServerEvent(suite::TServer server, int dispatchId, TSetupValues arguments,
                             IServerEventHandler& handler) {
    switch (dispatchId) {
        case suite::ServerData: DataEvent(arguments, handler); break;
        case suite::ServerShutdown: handler.HandleServerShutdown(server); break;
        default: break;
    }
}

}  // namespace qx
