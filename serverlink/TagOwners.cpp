#include "serverlink/TagOwners.h"

namespace qx {

namespace {

std::string Key(const std::string& station, const std::string& base) {
    std::string key = station;
    key += '\n';  // cannot occur in a name from a data text
    key += base;
    return key;
}

}  // namespace

TTagOwners::TTagOwners(IAsyncSetupLookup& lookup, Deliver deliver)
    : lookup_(lookup), deliver_(std::move(deliver)), self_(std::make_shared<TTagOwners*>(this)) {}

TTagOwners::~TTagOwners() {
    *self_ = nullptr;
}

void TTagOwners::Route(SensorReading Reading) {
    if (const auto at = Reading.Sensor.find(":2"); at != std::string::npos)
        Reading.Sensor.erase(at, 2);
    std::string key = Key(Reading.Station, Reading.Sensor);
    const bool known = owners_.count(key) > 0 || failed_.count(key) > 0;
    const bool asking = outstanding_.count(key) > 0;
    const std::string station = Reading.Station;
    const std::string base = Reading.Sensor;
    queue_.push_back({std::move(Reading), key});
    if (!known && !asking) Ask(key, station, base);
    Drain();
}

void TTagOwners::Ask(const std::string& key, const std::string& station, const std::string& base) {
    if (outstanding_.size() >= MaxOutstanding) {
        failed_[key] = base;
        return;
    }
    outstanding_.insert(key);
    const unsigned generation = generation_;
    std::weak_ptr<TTagOwners*> self = self_;
    lookup_.LookupSetupValueAsync(
        "TAGINFO", station, std::string(), base,
        [self, generation, key, base](bool ok, bool answered, std::string answer) {
            const std::shared_ptr<TTagOwners*> alive = self.lock();
            if (alive && *alive)
                (*alive)->Answered(generation, key, ok, answered, std::move(answer), base);
        });
}

void TTagOwners::Answered(unsigned generation, const std::string& key, bool ok, bool answered,
                          std::string answer, const std::string& base) {
    if (generation != generation_) return;  // asked before the last Forget: asked again since
    outstanding_.erase(key);
    std::string owner = ok && !answer.empty() ? std::move(answer) : base;
    if (answered) {
        owners_[key] = std::move(owner);
    } else {
        // Not kept: the readings waiting now take the base name, a later one
        // asks again.
        failed_[key] = std::move(owner);
    }
    Drain();
}

void TTagOwners::Drain() {
    // A page may run events while it takes a reading, and a nested event may
    // route an alarm reading: the outer loop delivers it.
    if (draining_) return;
    draining_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{draining_};
    while (!queue_.empty()) {
        TWaiting& head = queue_.front();
        if (const auto it = owners_.find(head.Key); it != owners_.end()) {
            head.Reading.Sensor = it->second;
        } else if (const auto failed = failed_.find(head.Key); failed != failed_.end()) {
            head.Reading.Sensor = failed->second;
        } else {
            break;
        }
        const SensorReading reading = std::move(head.Reading);
        queue_.pop_front();
        deliver_(reading);
    }
    // A failed query serves the readings that came while it was out; once
    // none waits, the next reading of the tag asks again.
    if (queue_.empty()) failed_.clear();
}

void TTagOwners::Forget() {
    ++generation_;
    owners_.clear();
    outstanding_.clear();
    failed_.clear();
    // The waiting readings are asked about anew, in their order.
    for (const TWaiting& waiting : queue_) {
        if (outstanding_.count(waiting.Key) == 0 && failed_.count(waiting.Key) == 0)
            Ask(waiting.Key, waiting.Reading.Station, waiting.Reading.Sensor);
    }
    Drain();
}

}  // namespace qx
