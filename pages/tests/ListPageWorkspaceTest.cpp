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
    EXPECT_EQ(SaveListPageToWorkspace(core, ini, "WatchList1"),
              (Lines{"#ST2,A", "ST=3,A", " ST4,A", "[ST5,A", "ST7,B "}));
    EXPECT_EQ(ini.ReadSection("WatchList1"), (Lines{"ST1,A", "ST6,A", "ST8,C"}));
    EXPECT_EQ(UnsavedSensorMessage("#ST2,A", "WatchList1"),
              "The sensor \"#ST2,A\" of WatchList1 is not kept in the workspace: the file cannot "
              "hold its name");
}

// Every key of the section gives a row, also keys that differ only in letter
// case; saving writes them through the case-insensitive file, as one key.
TEST(ListPageWorkspace, KeysDifferingInCaseEachGiveARow) {
    TMemIniFile ini;
    ini.SetText("[WatchList0]\nWX1,AIR=1\nwx1,air=1\nST2,X=1\n");
    RowsPage page;
    LoadListPageFromWorkspace(page, nullptr, ini, "WatchList0");
    EXPECT_EQ(page.core.WorkspaceKeys(), (Lines{"WX1,AIR", "wx1,air", "ST2,X"}));

    EXPECT_TRUE(SaveListPageToWorkspace(page.core, ini, "WatchList0").empty());
    EXPECT_EQ(ini.Text(), "[WatchList0]\nWX1,AIR=1\nST2,X=1\n");
}

}  // namespace
}  // namespace qx
