// The automation server's objects, as plain data: each object's references,
// counted per client connection, and its sinks in the order they were
// advised. The bus layer (AutomationServer.h) maps calls and departing
// connections onto it; tests drive it without a bus.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qx::services {

// A client connection: its unique bus name (":1.42").
using TClient = std::string;
using TObjectId = std::uint32_t;  // the N of /QXRTDCom/N, from 1, never reused
using TCookie = std::uint32_t;    // per object, from 1

struct TSink {
    TCookie Cookie = 0;
    TClient Client;
};

enum class TCallResult { Ok, NoObject, NoReference, NoConnection };

class TAutomationRegistry {
public:
    // A new object; the client holds its one reference.
    TObjectId Create(const TClient& client);
    bool Exists(TObjectId object) const;
    std::size_t ObjectCount() const { return objects_.size(); }
    std::vector<TObjectId> Objects() const;

    TCallResult AddRef(TObjectId object, const TClient& client);
    // Releases one of the client's references; NoReference when it holds
    // none. The object ends with its last reference.
    TCallResult Release(TObjectId object, const TClient& client);

    // Connects a sink for the client; 0 for an object that does not exist.
    TCookie Advise(TObjectId object, const TClient& client);
    // Only the client that advised a cookie may unadvise it.
    TCallResult Unadvise(TObjectId object, const TClient& client, TCookie cookie);
    // The object's sinks in the order they were advised; empty without one.
    std::vector<TSink> Sinks(TObjectId object) const;

    // Hands the item change to each sink of the object in turn. send answers
    // false for a sink it could not reach (its connection has gone): that
    // sink is skipped and the rest still get it. An exception from send ends
    // the walk and goes to the caller. delivered counts the sinks reached.
    TCallResult Broadcast(TObjectId object, const std::function<bool(const TSink&)>& send,
                          int* delivered = nullptr) const;

    // The client's connection left the bus: its references are released and
    // its sinks disconnected.
    void ClientGone(const TClient& client);
    // The client holds a reference or a sink somewhere.
    bool Knows(const TClient& client) const;

    // Called after an object has ended, then, when it was the last one, the
    // second callback. Neither may change the registry.
    std::function<void(TObjectId)> OnObjectEnded;
    std::function<void()> OnLastObjectEnded;

private:
    struct TObject {
        std::map<TClient, int> References;  // only counts above zero
        std::vector<TSink> Sinks;
        TCookie NextCookie = 1;
    };

    void EndObjects(const std::vector<TObjectId>& ended);

    std::map<TObjectId, TObject> objects_;
    TObjectId nextObject_ = 1;
};

}  // namespace qx::services
