// The desktop service's open conversations, as plain data: who opened each,
// on which topic, in the order they were opened.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qx::services {

using TClient = std::string;            // a connection's unique bus name
using TConversationId = std::uint32_t;  // from 1, never reused

struct TConversation {
    TConversationId Id = 0;
    TClient Client;
    std::string Topic;
};

class TConversationList {
public:
    TConversationId Open(const TClient& client, std::string topic);
    // The client's own conversation with that number, or null.
    const TConversation* Find(TConversationId id, const TClient& client) const;
    // Ends one of the client's conversations; false when it has no such one.
    bool Close(TConversationId id, const TClient& client);
    // Ends them all and answers them, in the order they were opened.
    std::vector<TConversation> TakeAll();
    // The client's connection left: its conversations end without a word.
    void ClientGone(const TClient& client);
    bool Knows(const TClient& client) const;
    std::size_t Count() const { return open_.size(); }

private:
    std::vector<TConversation> open_;
    TConversationId next_ = 1;
};

}  // namespace qx::services
