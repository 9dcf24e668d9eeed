#include "services/Conversations.h"

#include <algorithm>
#include <utility>

namespace qx::services {

TConversationId TConversationList::Open(const TClient& client, std::string topic) {
    open_.push_back({next_, client, std::move(topic)});
    return next_++;
}

const TConversation* TConversationList::Find(TConversationId id, const TClient& client) const {
    const auto it = std::find_if(open_.begin(), open_.end(), [&](const TConversation& c) {
        return c.Id == id && c.Client == client;
    });
    return it == open_.end() ? nullptr : &*it;
}

bool TConversationList::Close(TConversationId id, const TClient& client) {
    return std::erase_if(open_, [&](const TConversation& c) {
               return c.Id == id && c.Client == client;
           }) != 0;
}

std::vector<TConversation> TConversationList::TakeAll() {
    return std::exchange(open_, {});
}

void TConversationList::ClientGone(const TClient& client) {
    std::erase_if(open_, [&](const TConversation& c) { return c.Client == client; });
}

bool TConversationList::Knows(const TClient& client) const {
    return std::any_of(open_.begin(), open_.end(),
                       [&](const TConversation& c) { return c.Client == client; });
}

}  // namespace qx::services
