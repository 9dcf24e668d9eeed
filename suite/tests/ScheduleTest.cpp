#include <gtest/gtest.h>

#include <vector>

#include "suite/Schedule.h"

namespace qx::suite {
namespace {

TEST(Schedule, EveryStationAtItsOwnRate) {
    TReadingSchedule schedule({10, 25});
    schedule.Restart(100);
    EXPECT_EQ(schedule.NextDue(), 110);
    std::vector<std::size_t> taken;
    auto take = [&](std::size_t i) { taken.push_back(i); };
    schedule.Run(105, take);
    EXPECT_TRUE(taken.empty());
    schedule.Run(130, take);  // station 0 at 110, 120, 130; station 1 at 125
    EXPECT_EQ(taken, (std::vector<std::size_t>{0, 0, 0, 1}));
    EXPECT_EQ(schedule.NextDue(), 140);
    taken.clear();
    schedule.Run(150, take);  // 140, 150 and 150
    EXPECT_EQ(taken, (std::vector<std::size_t>{0, 0, 1}));
    EXPECT_EQ(schedule.NextDue(), 160);
}

TEST(Schedule, FarBehindTakesABoundedCatchUpThenGoesOnFromNow) {
    TReadingSchedule schedule({1});
    schedule.Restart(0);
    int taken = 0;
    schedule.Run(
        1000000, [&](std::size_t) { ++taken; }, 50);
    EXPECT_EQ(taken, 50);
    EXPECT_EQ(schedule.NextDue(), 1000001);
}

TEST(Schedule, NoStationsAndZeroIntervals) {
    EXPECT_EQ(TReadingSchedule({}).NextDue(), -1);
    TReadingSchedule schedule({0});  // taken as 1, never a loop without end
    schedule.Restart(0);
    int taken = 0;
    schedule.Run(5, [&](std::size_t) { ++taken; });
    EXPECT_EQ(taken, 5);
}

}  // namespace
}  // namespace qx::suite
