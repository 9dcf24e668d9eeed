// What a list page needs from the server link to fetch the current values of
// its sensors while it loads from the workspace. The server link implements
// it; tests use a fake.
#pragma once

#include <string>

namespace qx {

// The two servers a list page may ask; the Modbus RTU server is never asked.
enum class TCurrentDataServer { Rtu, Decode };

class IListPageServers {
public:
    virtual ~IListPageServers() = default;

    // The server is enabled in the general setup.
    virtual bool ServerEnabled(TCurrentDataServer server) const = 0;
    // The program holds a connection to the server.
    virtual bool ServerConnected(TCurrentDataServer server) const = 0;
    // The server's current-data query. False, or an exception, when the call
    // fails; answer is then ignored.
    virtual bool QueryCurrentData(TCurrentDataServer server, const std::string& request,
                                  std::string& answer) = 0;
};

}  // namespace qx
