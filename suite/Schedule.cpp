#include "suite/Schedule.h"

#include <algorithm>

namespace qx::suite {

TReadingSchedule::TReadingSchedule(std::vector<std::int64_t> intervals)
    : intervals_(std::move(intervals)), due_(intervals_.size(), 0) {
    for (std::int64_t& i : intervals_) i = std::max<std::int64_t>(1, i);
}

void TReadingSchedule::Restart(std::int64_t now) {
    for (std::size_t i = 0; i < due_.size(); ++i) due_[i] = now + intervals_[i];
}

void TReadingSchedule::Run(std::int64_t now, const std::function<void(std::size_t)>& take,
                           int maxBehind) {
    for (std::size_t i = 0; i < due_.size(); ++i) {
        int taken = 0;
        while (due_[i] <= now && taken < maxBehind) {
            take(i);
            due_[i] += intervals_[i];
            ++taken;
        }
        if (due_[i] <= now) due_[i] = now + intervals_[i];
    }
}

std::int64_t TReadingSchedule::NextDue() const {
    return due_.empty() ? -1 : *std::min_element(due_.begin(), due_.end());
}

}  // namespace qx::suite
