// What the event sinks do with a server event: the dispatch tables of the
// setup server and of the three data servers. Plain C++; the sinks turn the
// D-Bus signal into a dispatch id and positional values first.
#pragma once

#include "protocol/SuiteProtocol.h"
#include "serverlink/DataDecoder.h"
#include "serverlink/SetupRecords.h"

namespace qx {

// The actions an event can ask for; the server link implements them.
class IServerEventHandler {
public:
    virtual ~IServerEventHandler() = default;
    virtual TEventBuffer& EventBuffer() = 0;
    virtual void DecodeDataMessage() = 0;
    virtual void HandleRefreshRequest() = 0;
    virtual void HandleShutdownRequest() = 0;
    virtual void HandleServerShutdown(suite::TServer server) = 0;
};

// The arguments are taken by value: the data text moves through to the event
// buffer without a copy.
//
// Setup events: 1 and 2 refresh, 3 shutdown, 4 notice (each storing the
// sender), 5 a data event. Unknown ids, too few arguments and arguments that
// do not convert to text are ignored and leave the buffer untouched.
void DispatchSetupEvent(int dispatchId, TSetupValues arguments, IServerEventHandler& handler);

// Decode, RTU and Modbus RTU events: 1 a data event, 2 the server's shutdown.
void DispatchDataServerEvent(suite::TServer server, int dispatchId, TSetupValues arguments,
                             IServerEventHandler& handler);

}  // namespace qx
