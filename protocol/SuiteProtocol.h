// How the suite's servers appear on D-Bus: bus names, object paths,
// interfaces and event dispatch ids. The client, the demo suite and the
// tools share this one header; docs/protocol.md explains it for bridges.
#pragma once

#include <string_view>

#include "protocol/Identifiers.h"

namespace qx::suite {

enum class TServer { Setup, Decode, Rtu, ZOViz };

struct TServerNames {
    std::string_view BusName;
    std::string_view ObjectPath;
    std::string_view Interface;       // the server's methods
    std::string_view EventInterface;  // its events, signal "Event"
    std::string_view Identifier;      // the sender identifier of its events
    std::string_view Key;             // short name in suite files and on command lines
};

inline constexpr TServerNames SetupServer{"QXSetup.Applications", "/QXSetupCom",
                                          "QXSetup.IQXSetupCom",  "QXSetup.SetupEvents",
                                          IID_IQXSetupCom,        "setup"};
inline constexpr TServerNames DecodeServer{"QXDecode.Applications", "/QXDecodeCom",
                                           "QXDecode.IQXDecodeCom", "QXDecode.DecodeEvents",
                                           IID_IQXDecodeCom,        "decode"};
inline constexpr TServerNames RtuServer{"QXRtu.Applications",  "/QXRtuCom",
                                        "QXRtu.IQXRtuDataCOM", "QXRtu.RtuEvents",
                                        IID_IQXRtuDataCOM,     "rtu"};
inline constexpr TServerNames ZOVizServer{"QXMBRtu.Applications",    "/QXMBRtuCom",
                                          "QXMBRtu.IQXMBRTUDataCOM", "QXMBRtu.ZOVizEvents",
                                          IID_IQXMBRTUDataCOM,       "mbrtu"};

constexpr const TServerNames& Names(TServer server) {
    switch (server) {
        case TServer::Setup: return SetupServer;
        case TServer::Decode: return DecodeServer;
        case TServer::Rtu: return RtuServer;
        case TServer::ZOViz: return ZOVizServer;
    }
    return SetupServer;
}

// Every event is the signal "Event" of the event interface, sent from the
// server's object path, with the arguments (int32 dispatchId, array of
// variants arguments); the arguments are positional, in declaration order.
inline constexpr std::string_view EventSignal = "Event";

// Setup events: the one argument of 1 to 4 is the sender identifier.
inline constexpr int SetupRefresh = 1;
inline constexpr int SetupRefreshAll = 2;
inline constexpr int SetupShutdown = 3;
inline constexpr int SetupNotice = 4;
inline constexpr int SetupData = 5;  // sender, message type, data text

// Decode, RTU and Modbus RTU events.
inline constexpr int ServerData = 1;  // sender, message type, data text
inline constexpr int ServerShutdown = 2;

// The demo suite's control interface, on the setup server's bus name.
inline constexpr std::string_view ControlPath = "/Control";
inline constexpr std::string_view ControlInterface = "QXSetup.Control";

// The TCP port of a remote node's suite bus: "tcp:host=NODE,port=47011".
inline constexpr int RemoteBusPort = 47011;

}  // namespace qx::suite
