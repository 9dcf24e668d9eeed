#include <gtest/gtest.h>

#include "services/Heartbeat.h"
#include "services/StartMode.h"

namespace qx::services {
namespace {

struct TStartCase {
    std::vector<std::string> Arguments;
    TStartMode Expected;
};

TEST(StartMode, SwitchesInAnyCaseWithEitherPrefix) {
    const std::vector<TStartCase> cases = {
        {{}, TStartMode::Normal},
        {{"DEBUG"}, TStartMode::Normal},
        {{"/regserver"}, TStartMode::RegServer},
        {{"-REGSERVER"}, TStartMode::RegServer},
        {{"/RegServer"}, TStartMode::RegServer},
        {{"-regSERVER"}, TStartMode::RegServer},
        {{"-UnRegServer"}, TStartMode::UnregServer},
        {{"/automation"}, TStartMode::Automation},
        {{"-Embedding"}, TStartMode::Automation},
        // Anywhere on the line, and the strongest wins.
        {{"debug", "/regserver"}, TStartMode::RegServer},
        {{"/unregserver", "-regserver"}, TStartMode::RegServer},
        {{"-automation", "/unregserver"}, TStartMode::UnregServer},
        // Not switches: no prefix, two prefixes, another prefix, more letters.
        {{"regserver"}, TStartMode::Normal},
        {{"--regserver"}, TStartMode::Normal},
        {{"\\regserver"}, TStartMode::Normal},
        {{"/regservers"}, TStartMode::Normal},
        {{"/"}, TStartMode::Normal},
    };
    for (const TStartCase& c : cases) {
        std::string line;
        for (const std::string& a : c.Arguments) line += a + " ";
        EXPECT_EQ(ParseStartMode(c.Arguments), c.Expected) << line;
    }
}

TEST(Heartbeat, FixedWidthFieldsWithTheRegionalSeparators) {
    struct TCase {
        TLocalTime Time;
        char DateSeparator, TimeSeparator;
        const char* Expected;
    };
    const TCase cases[] = {
        {{2010, 1, 7, 9, 5, 3}, '/', ':', "2010/01/07 09:05:03"},
        {{2010, 1, 7, 23, 59, 59}, '/', ':', "2010/01/07 23:59:59"},
        {{2009, 6, 30, 14, 5, 9}, '.', ':', "2009.06.30 14:05:09"},
        {{2009, 12, 31, 0, 0, 0}, '-', '.', "2009-12-31 00.00.00"},
        {{987, 1, 1, 1, 1, 1}, '/', ':', "0987/01/01 01:01:01"},
    };
    for (const TCase& c : cases) {
        TRegionalSettings regional;
        regional.DateSeparator = c.DateSeparator;
        regional.TimeSeparator = c.TimeSeparator;
        EXPECT_EQ(HeartbeatText(c.Time, regional), c.Expected);
    }
}

TEST(Heartbeat, TheClockReadsNow) {
    const TLocalTime now = CurrentLocalTime();
    EXPECT_GE(now.Year, 2024);
    EXPECT_TRUE(now.Month >= 1 && now.Month <= 12);
    EXPECT_TRUE(now.Hour >= 0 && now.Hour <= 23);
    EXPECT_EQ(HeartbeatText(now, {}).size(), 19u);
}

}  // namespace
}  // namespace qx::services
