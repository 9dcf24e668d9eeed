// When the stations' readings fall due. One timer serves every station: at
// each wake the readings due by then are taken in one go, so that short
// intervals (below the timer's millisecond) still give their rate.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace qx::suite {

class TReadingSchedule {
public:
    // The stations' intervals in nanoseconds (each at least 1).
    explicit TReadingSchedule(std::vector<std::int64_t> intervals);

    // Every station's first reading falls due one interval after now.
    void Restart(std::int64_t now);

    // Calls take(station) for every reading due by now, station by station.
    // A station more than maxBehind readings behind takes those and skips
    // the rest: after a stall it goes on from now rather than flooding.
    void Run(std::int64_t now, const std::function<void(std::size_t)>& take, int maxBehind = 1000);

    // The earliest time a reading falls due; -1 without stations.
    std::int64_t NextDue() const;

private:
    std::vector<std::int64_t> intervals_;
    std::vector<std::int64_t> due_;
};

}  // namespace qx::suite
