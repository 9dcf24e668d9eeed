#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QTabWidget>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "app/PageLayout.h"
#include "app/PageSet.h"
#include "pages/WatchTab.h"
#include "workspace/MemIniFile.h"

namespace qx {
namespace {

TEST(PageLayout, MapsPositionsToKindSectionAndCaption) {
    const TPageLayout layout(2, 3);
    struct Case {
        int index;
        TPageKind kind;
        int inKind;
        const char* section;
        const char* caption;  // the default
    } cases[] = {
        {0, TPageKind::List, 0, "WatchList0", "Watch 1"},
        {1, TPageKind::List, 1, "WatchList1", "Watch 2"},
        {2, TPageKind::Chart, 0, "GraphList0", "Graph 1"},
        {4, TPageKind::Chart, 2, "GraphList2", "Graph 3"},
    };
    const TMemIniFile empty;
    for (const Case& c : cases) {
        EXPECT_EQ(layout.Kind(c.index), c.kind) << c.index;
        EXPECT_EQ(layout.IndexInKind(c.index), c.inKind) << c.index;
        EXPECT_EQ(layout.Section(c.index), c.section) << c.index;
        EXPECT_EQ(layout.ReadCaption(empty, c.index), c.caption) << c.index;
    }

    // Captions go under the key of their kind's position, and come back.
    TMemIniFile ini;
    layout.WriteCaption(ini, 1, "Pumps");
    layout.WriteCaption(ini, 3, "Levels");
    EXPECT_EQ(ini.ReadString("TabNames", "WatchList1", "-"), "Pumps");
    EXPECT_EQ(ini.ReadString("TabNames", "GraphList1", "-"), "Levels");
    EXPECT_FALSE(ini.ValueExists("TabNames", "GraphList3"));
    EXPECT_EQ(layout.ReadCaption(ini, 3), "Levels");
    EXPECT_EQ(layout.ReadCaption(ini, 2), "Graph 1");
}

TEST(PageLayout, CountsStartPageAndTheFile) {
    struct Case {
        int list, graph;
        int count, start;
    } cases[] = {
        {5, 3, 8, 5}, {3, 0, 3, 0}, {0, 2, 2, 0}, {0, 0, 0, -1}, {12, 9, 16, 12},
    };
    for (const Case& c : cases) {
        const TPageLayout layout(c.list, c.graph);
        EXPECT_EQ(layout.Count(), c.count) << c.list << "+" << c.graph;
        EXPECT_EQ(layout.StartPage(), c.start) << c.list << "+" << c.graph;
    }

    TMemIniFile ini;
    EXPECT_EQ(TPageLayout::Read(ini).ListCount(), 5);  // the defaults
    EXPECT_EQ(TPageLayout::Read(ini).GraphCount(), 3);
    ini.SetText("[PageSettings]\nListPages=10\nGraphPages=10\n");
    const TPageLayout read = TPageLayout::Read(ini);  // limited to sixteen
    EXPECT_EQ(read.ListCount(), 8);
    EXPECT_EQ(read.GraphCount(), 8);
    TPageLayout(4, 1).WriteCounts(ini);
    EXPECT_EQ(ini.ReadInteger("PageSettings", "ListPages", -1), 4);
    EXPECT_EQ(ini.ReadInteger("PageSettings", "GraphPages", -1), 1);
}

// A page that records what it is asked to do with the workspace.
class TFakePage : public TWatchTab {
public:
    TFakePage(std::string name, std::vector<std::string>& log)
        : name_(std::move(name)), log_(log) {}
    void LoadFromWorkspace(TMemIniFile&, const std::string& section) override {
        log_.push_back("load " + name_ + " " + section);
    }
    void SaveToWorkspace(TMemIniFile& ini, const std::string& section) override {
        log_.push_back("save " + name_ + " " + section);
        ini.WriteString(section, "Page", name_);
    }

private:
    std::string name_;
    std::vector<std::string>& log_;
};

class PageSet : public testing::Test {
protected:
    PageSet() {
        pages.Register(TPageKind::List, Factory("tsWatch", "list", &listMenu));
        pages.Register(TPageKind::Chart, Factory("tsGraph", "chart", nullptr));
    }

    TPageFactory Factory(const char* sheetName, std::string kind, QMenu* menu) {
        return {sheetName, QIcon(), menu, [this, kind](QWidget* sheet) {
                    const std::string name = kind + std::to_string(made.size());
                    log.push_back("make " + name);
                    made.push_back(std::make_unique<TFakePage>(name, log));
                    auto* widget = new QWidget(sheet);
                    widget->setObjectName(QString::fromStdString(name));
                    return TMadePage{widget, made.back().get()};
                }};
    }

    QStringList Captions() const {
        QStringList out;
        for (int i = 0; i < tabs.count(); ++i) out << tabs.tabText(i);
        return out;
    }

    QTabWidget tabs;
    QMenu listMenu;
    TPageSet pages{tabs};
    std::vector<std::unique_ptr<TFakePage>> made;
    std::vector<std::string> log;
};

TEST_F(PageSet, CreatesEveryPageThroughItsKindThenLoadsThemInOrder) {
    TMemIniFile ini;
    ini.SetText("[TabNames]\nWatchList1=Pumps\nGraphList0=Levels\n");
    pages.SetLayout({2, 1});
    pages.Create(ini);

    EXPECT_EQ(log, (std::vector<std::string>{"make list0", "make list1", "make chart2",
                                             "load list0 WatchList0", "load list1 WatchList1",
                                             "load chart2 GraphList0"}));
    EXPECT_EQ(Captions(), (QStringList{"Watch 1", "Pumps", "Levels"}));
    ASSERT_EQ(pages.PageCount(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(pages.Page(i), made[static_cast<std::size_t>(i)].get());
    EXPECT_EQ(pages.Page(3), nullptr);
    EXPECT_EQ(pages.Page(-1), nullptr);
    // Each page fills a sheet named after its kind; the last one is selected.
    EXPECT_EQ(tabs.widget(0)->objectName(), "tsWatch");
    EXPECT_EQ(tabs.widget(2)->objectName(), "tsGraph");
    EXPECT_NE(tabs.widget(1)->findChild<QWidget*>("list1"), nullptr);
    EXPECT_EQ(tabs.widget(0)->contextMenuPolicy(), Qt::CustomContextMenu);
    EXPECT_EQ(tabs.currentIndex(), 2);
    EXPECT_EQ(pages.ActivePage(), pages.Page(2));
    tabs.setCurrentIndex(0);
    EXPECT_EQ(pages.ActivePage(), pages.Page(0));
}

TEST_F(PageSet, SavesCaptionsAndSectionsByPositionAmongTheirKind) {
    TMemIniFile ini;
    pages.SetLayout({1, 2});
    pages.Create(ini);
    log.clear();
    tabs.setTabText(2, "Second chart");
    pages.Save(ini);
    EXPECT_EQ(log, (std::vector<std::string>{"save list0 WatchList0", "save chart1 GraphList0",
                                             "save chart2 GraphList1"}));
    EXPECT_EQ(ini.ReadString("TabNames", "WatchList0", "-"), "Watch 1");
    EXPECT_EQ(ini.ReadString("TabNames", "GraphList1", "-"), "Second chart");
    EXPECT_EQ(ini.ReadString("GraphList1", "Page", "-"), "chart2");
    EXPECT_EQ(ini.ReadInteger("PageSettings", "ListPages", -1), 1);
    EXPECT_EQ(ini.ReadInteger("PageSettings", "GraphPages", -1), 2);
}

TEST_F(PageSet, ARegisteredFactoryReplacesTheKindsPagesAndAMissingOneLeavesEmptySheets) {
    TMemIniFile ini;
    TPageSet bare(tabs);  // nothing registered
    bare.SetLayout({1, 0});
    bare.Create(ini);
    EXPECT_EQ(tabs.count(), 1);
    EXPECT_EQ(bare.Page(0), nullptr);
    bare.Save(ini);  // the caption, no section
    EXPECT_TRUE(ini.ValueExists("TabNames", "WatchList0"));
    bare.Remove();

    pages.Register(TPageKind::Chart, Factory("tsOther", "other", nullptr));
    pages.SetLayout({1, 1});
    pages.Create(ini);
    EXPECT_EQ(tabs.widget(1)->objectName(), "tsOther");
    EXPECT_EQ(log.at(1), "make other1");
}

TEST_F(PageSet, ReadingsDuringRemovalFindNoPageAndARebuildMakesNewPages) {
    TMemIniFile ini;
    pages.SetLayout({3, 1});
    pages.Create(ini);
    // A reading's route while the sheets go: each event between removals.
    QTimer timer;
    timer.setInterval(0);
    int routes = 0;
    int pagesFound = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++routes;
        pagesFound += pages.PageCount();
        for (int i = 0; i < 16; ++i) pagesFound += pages.Page(i) != nullptr;
    });
    timer.start();
    pages.Remove();
    timer.stop();
    EXPECT_GT(routes, 0);
    EXPECT_EQ(pagesFound, 0);
    EXPECT_EQ(tabs.count(), 0);
    EXPECT_FALSE(pages.Removing());

    pages.SetLayout({1, 1});
    pages.Create(ini);
    EXPECT_EQ(pages.PageCount(), 2);
    EXPECT_EQ(pages.Page(0), made.at(4).get());
    EXPECT_EQ(pages.Page(2), nullptr);  // the old third page is gone
}

}  // namespace
}  // namespace qx
