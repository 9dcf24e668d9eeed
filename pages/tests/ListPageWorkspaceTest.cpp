#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/ListPageCore.h"
#include "pages/ListPageWorkspace.h"
#include "workspace/MemIniFile.h"

namespace qx {
namespace {

using Lines = std::vector<std::string>;

// A page that only keeps its rows, as the loader adds them.
class RowsPage : public TWatchTab {
public:
    TListPageCore core;
    void AddSensor(const std::string& station, const std::string& sensor) override {
        core.AddSensor(station, sensor);
    }
};

TEST(ListPageWorkspace, SavesOneKeyPerRowAndLoadsThemBackInOrder) {
    TMemIniFile ini;
    ini.SetText("[WatchList0]\nOLD,KEY=1\n[Other]\nx=2\n");
    TListPageCore core;
    core.AddSensor("ST1", "AIR");
    core.AddSensor("ST1", "WIND");
    core.AddSensor("ST2", "");
    SaveListPageToWorkspace(core, ini, "WatchList0");
    EXPECT_EQ(ini.ReadSection("WatchList0"), (Lines{"ST1,AIR", "ST1,WIND", "ST2,"}));
    EXPECT_EQ(ini.ReadInteger("WatchList0", "ST1,WIND", 0), 1);
    EXPECT_EQ(ini.ReadString("Other", "x", ""), "2");

    RowsPage page;
    LoadListPageFromWorkspace(page, nullptr, ini, "WatchList0");
    EXPECT_EQ(page.core.WorkspaceKeys(), (Lines{"ST1,AIR", "ST1,WIND", "ST2,"}));

    RowsPage none;
    LoadListPageFromWorkspace(none, nullptr, ini, "WatchList7");
    EXPECT_EQ(none.core.RowCount(), 0);
}

// A row whose name the file cannot hold as a key is left out; the rows after
// it are still saved rather than lost with it.
TEST(ListPageWorkspace, ARowTheFileCannotHoldDoesNotLoseTheRowsAfterIt) {
    TMemIniFile ini;
    TListPageCore core;
    for (const char* station : {"ST1", "#ST2", "ST=3", " ST4", "[ST5", "ST6"})
        core.AddSensor(station, "A");
    core.AddSensor("ST7", "B ");
    core.AddSensor("ST8", "C");
    SaveListPageToWorkspace(core, ini, "WatchList1");
    EXPECT_EQ(ini.ReadSection("WatchList1"), (Lines{"ST1,A", "ST6,A", "ST8,C"}));
}

}  // namespace
}  // namespace qx
