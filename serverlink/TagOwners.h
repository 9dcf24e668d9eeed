// Which sensor an alarm tag ("AIR:2") belongs to, as the setup server's
// "TAGINFO" query says, for the readings of alarm tags. Answers are kept
// until Forget (the connect sequence: the setup changes only through one), so
// a tag is asked about once, not once per reading. The query never holds up
// the caller: a reading whose owner is not known yet waits, and the alarm
// readings are delivered in the order they came as the answers arrive.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "readings/SensorReading.h"
#include "serverlink/SetupLookup.h"

namespace qx {

class TTagOwners {
public:
    // Queries outstanding at most; beyond that a tag takes its own name at
    // once (the answer a failed query gives), so an unresponsive setup server
    // cannot pile up calls.
    static constexpr std::size_t MaxOutstanding = 256;

    using Deliver = std::function<void(const SensorReading&)>;

    TTagOwners(IAsyncSetupLookup& lookup, Deliver deliver);
    ~TTagOwners();
    TTagOwners(const TTagOwners&) = delete;
    TTagOwners& operator=(const TTagOwners&) = delete;

    // Reading.Sensor is the alarm tag; the reading is delivered with the
    // owning sensor in its place: the setup server's answer, or the tag
    // without its first ":2" when the query fails or the answer is "ERROR"
    // or empty.
    void Route(SensorReading Reading);

    // Drops every kept answer; readings still waiting are asked about again.
    void Forget();

    std::size_t Waiting() const { return queue_.size(); }
    std::size_t Outstanding() const { return outstanding_.size(); }

private:
    struct TWaiting {
        SensorReading Reading;  // Sensor: the base name
        std::string Key;
    };

    void Ask(const std::string& key, const std::string& station, const std::string& base);
    void Answered(unsigned generation, const std::string& key, bool ok, bool answered,
                  std::string answer, const std::string& base);
    void Drain();

    IAsyncSetupLookup& lookup_;
    Deliver deliver_;
    std::unordered_map<std::string, std::string> owners_;  // key -> owning sensor
    std::unordered_set<std::string> outstanding_;
    std::unordered_map<std::string, std::string> failed_;  // unanswered this round
    std::deque<TWaiting> queue_;
    unsigned generation_ = 0;
    bool draining_ = false;
    // Answers that arrive after this object went are dropped.
    std::shared_ptr<TTagOwners*> self_;
};

}  // namespace qx
