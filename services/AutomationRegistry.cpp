#include "services/AutomationRegistry.h"

#include <algorithm>

namespace qx::services {

TObjectId TAutomationRegistry::Create(const TClient& client) {
    const TObjectId id = nextObject_++;
    objects_[id].References[client] = 1;
    return id;
}

bool TAutomationRegistry::Exists(TObjectId object) const {
    return objects_.count(object) != 0;
}

std::vector<TObjectId> TAutomationRegistry::Objects() const {
    std::vector<TObjectId> ids;
    ids.reserve(objects_.size());
    for (const auto& [id, object] : objects_) ids.push_back(id);
    return ids;
}

TCallResult TAutomationRegistry::AddRef(TObjectId object, const TClient& client) {
    const auto it = objects_.find(object);
    if (it == objects_.end()) return TCallResult::NoObject;
    ++it->second.References[client];
    return TCallResult::Ok;
}

TCallResult TAutomationRegistry::Release(TObjectId object, const TClient& client) {
    const auto it = objects_.find(object);
    if (it == objects_.end()) return TCallResult::NoObject;
    auto& references = it->second.References;
    const auto held = references.find(client);
    if (held == references.end()) return TCallResult::NoReference;
    if (--held->second == 0) references.erase(held);
    if (references.empty()) EndObjects({object});
    return TCallResult::Ok;
}

TCookie TAutomationRegistry::Advise(TObjectId object, const TClient& client) {
    const auto it = objects_.find(object);
    if (it == objects_.end()) return 0;
    const TCookie cookie = it->second.NextCookie++;
    it->second.Sinks.push_back({cookie, client});
    return cookie;
}

TCallResult TAutomationRegistry::Unadvise(TObjectId object, const TClient& client, TCookie cookie) {
    const auto it = objects_.find(object);
    if (it == objects_.end()) return TCallResult::NoObject;
    auto& sinks = it->second.Sinks;
    const auto sink = std::find_if(sinks.begin(), sinks.end(), [&](const TSink& s) {
        return s.Cookie == cookie && s.Client == client;
    });
    if (sink == sinks.end()) return TCallResult::NoConnection;
    sinks.erase(sink);
    return TCallResult::Ok;
}

std::vector<TSink> TAutomationRegistry::Sinks(TObjectId object) const {
    const auto it = objects_.find(object);
    return it == objects_.end() ? std::vector<TSink>{} : it->second.Sinks;
}

TCallResult TAutomationRegistry::Broadcast(TObjectId object,
                                           const std::function<bool(const TSink&)>& send,
                                           int* delivered) const {
    if (delivered) *delivered = 0;
    const auto it = objects_.find(object);
    if (it == objects_.end()) return TCallResult::NoObject;
    // A copy: whatever send does, the walk visits the sinks connected when
    // it began.
    const std::vector<TSink> sinks = it->second.Sinks;
    for (const TSink& sink : sinks) {
        if (send(sink) && delivered) ++*delivered;
    }
    return TCallResult::Ok;
}

void TAutomationRegistry::ClientGone(const TClient& client) {
    std::vector<TObjectId> ended;
    for (auto& [id, object] : objects_) {
        object.References.erase(client);
        std::erase_if(object.Sinks, [&](const TSink& s) { return s.Client == client; });
        if (object.References.empty()) ended.push_back(id);
    }
    if (!ended.empty()) EndObjects(ended);
}

bool TAutomationRegistry::Knows(const TClient& client) const {
    return std::any_of(objects_.begin(), objects_.end(), [&](const auto& entry) {
        const TObject& o = entry.second;
        return o.References.count(client) != 0 ||
               std::any_of(o.Sinks.begin(), o.Sinks.end(),
                           [&](const TSink& s) { return s.Client == client; });
    });
}

void TAutomationRegistry::EndObjects(const std::vector<TObjectId>& ended) {
    for (const TObjectId id : ended) objects_.erase(id);
    for (const TObjectId id : ended)
        if (OnObjectEnded) OnObjectEnded(id);
    if (objects_.empty() && OnLastObjectEnded) OnLastObjectEnded();
}

}  // namespace qx::services
