#include <gtest/gtest.h>

#include "pages/WatchTab.h"

namespace qx {
namespace {

TEST(WatchTab, BaseBehaviourOfAPageKindThatOverridesNothing) {
    TWatchTab page;
    EXPECT_FALSE(page.IsPaused());
    EXPECT_TRUE(page.TogglePause());
    EXPECT_TRUE(page.IsPaused());
    EXPECT_FALSE(page.TogglePause());
    EXPECT_FALSE(page.IsPaused());

    // Claims every sensor, so the add commands never add to it.
    EXPECT_TRUE(page.HasSensor("ST1", "AIR"));
    EXPECT_FALSE(page.HasSettings());
    EXPECT_FALSE(page.CanSaveData());
    EXPECT_FALSE(page.CanCopyData());
    page.ShowSecondaryReading(SensorReading{"ST1", "AIR", "$REALTIME", 0, "1"});
}

TEST(WatchTab, NamesMatchIgnoringAsciiCaseOnly) {
    struct Case {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"St1", "sT1", true}, {"AIR", "AIR ", false},
        {"", "", true},       {"\xC3\xA9", "\xC3\x89", false},  // é and É differ: only A..Z fold
        {"A_1", "a_1", true}, {"[", "{", false},
    };
    for (const Case& c : cases) EXPECT_EQ(SameName(c.a, c.b), c.same) << c.a << " / " << c.b;
}

}  // namespace
}  // namespace qx
