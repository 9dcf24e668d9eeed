#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <string>
#include <utility>
#include <vector>

#include "app/PickerPanel.h"
#include "app/tests/FindControl.h"
#include "pages/WatchTab.h"
#include "serverlink/SetupRetrieval.h"

namespace qx {
namespace {

using test::Find;

// A page that keeps the sensors it is given, in order.
class TSensorPage : public TWatchTab {
public:
    void AddSensor(const std::string& station, const std::string& sensor) override {
        added.emplace_back(station, sensor);
    }
    bool HasSensor(const std::string& station, const std::string& sensor) override {
        for (const auto& [st, se] : added)
            if (SameName(st, station) && SameName(se, sensor)) return true;
        return false;
    }
    void ShowCurrentValues(const std::string& station, const std::string& sensor) override {
        // Asked right after the sensor was added.
        EXPECT_FALSE(added.empty() || added.back() != std::pair(station, sensor)) << sensor;
        fetched.emplace_back(station, sensor);
    }
    std::vector<std::pair<std::string, std::string>> added;
    std::vector<std::pair<std::string, std::string>> fetched;
};

using Added = std::vector<std::pair<std::string, std::string>>;

class PickerPanel : public testing::Test {
protected:
    QTreeWidget* Table() { return Find<QTreeWidget>(panel, "lstSensors"); }
    QPushButton* MoreLess() { return Find<QPushButton>(panel, "btnMoreLess"); }

    // Station ST1 with sensors A, B, C, filled as the setup retrieval does.
    void Fill() {
        IPickerLists& lists = panel.Lists();
        lists.AddStation("ST1");
        lists.SelectFirstStation();
        for (const char* s : {"A", "B", "C"}) {
            lists.AddSensor(s);
            TSensorSetup setup;
            setup.SensorName = s;
            lists.AddSensorRow(setup);
        }
        Find<QComboBox>(panel, "cbxSensors")->setCurrentIndex(1);
    }

    TPickerPanel panel;
};

TEST_F(PickerPanel, MoreLessSwitchesModeAndWhatIsEnabled) {
    QSignalSpy changed(&panel, &TPickerPanel::ModeChanged);
    auto* sensors = Find<QComboBox>(panel, "cbxSensors");
    EXPECT_TRUE(panel.ListMode());  // as built; the window starts it in single-sensor mode
    EXPECT_EQ(MoreLess()->text(), "<< &Less");
    EXPECT_FALSE(sensors->isEnabled());
    panel.btnMoreLessClick();
    EXPECT_FALSE(panel.ListMode());
    EXPECT_EQ(MoreLess()->text(), "&More >>");
    EXPECT_TRUE(sensors->isEnabled());
    EXPECT_FALSE(Table()->isEnabled());
    MoreLess()->click();
    EXPECT_TRUE(panel.ListMode());
    EXPECT_EQ(MoreLess()->text(), "<< &Less");
    EXPECT_FALSE(sensors->isEnabled());
    EXPECT_TRUE(Table()->isEnabled());
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(PickerPanel, InASplitterTheTableKeepsItsHeightAndThePagesAThird) {
    struct Case {
        int height;  // of the splitter
        bool firstCollapseLaidOut;
    } cases[] = {{600, false}, {600, true}, {180, false}};
    for (const Case& c : cases) {
        // Set up as the window sets it up.
        QSplitter splitter(Qt::Vertical);
        splitter.setChildrenCollapsible(false);
        auto* top = new TPickerPanel;
        auto* pages = new QWidget;
        pages->setMinimumHeight(50);
        splitter.addWidget(top);
        splitter.addWidget(pages);
        splitter.setStretchFactor(1, 1);
        splitter.resize(700, c.height);
        splitter.setSizes({133, c.height - 133});
        if (c.firstCollapseLaidOut) {
            splitter.show();
            QApplication::processEvents();
        }
        top->btnMoreLessClick();  // single-sensor mode
        splitter.show();
        QApplication::processEvents();
        // The picker row alone, or the panel's least height if that is more.
        const int collapsed = splitter.sizes().at(0);
        EXPECT_EQ(collapsed, std::max(top->sizeHint().height(), top->minimumHeight())) << c.height;
        EXPECT_FALSE(splitter.handle(1)->isEnabled());

        top->btnMoreLessClick();
        QApplication::processEvents();
        const int total = splitter.sizes().at(0) + splitter.sizes().at(1);
        const int opened = splitter.sizes().at(0);
        EXPECT_TRUE(splitter.handle(1)->isEnabled());
        if (!c.firstCollapseLaidOut) {
            // Not laid out before: the design height, within two thirds.
            EXPECT_EQ(opened, std::min(collapsed + TPickerPanel::DesignSensorListHeight,
                                       std::max(collapsed, total - total / 3)))
                << c.height;
        }
        EXPECT_GE(splitter.sizes().at(1), total / 3) << c.height;

        // The operator makes the table taller; Less then More gives it back.
        splitter.setSizes({opened + 20, total - opened - 20});
        QApplication::processEvents();
        const int dragged = splitter.sizes().at(0);
        top->btnMoreLessClick();
        QApplication::processEvents();
        top->btnMoreLessClick();
        QApplication::processEvents();
        EXPECT_EQ(splitter.sizes().at(0), std::min(dragged, std::max(collapsed, total - total / 3)))
            << c.height;
    }
}

TEST_F(PickerPanel, InsertWithoutModifiersAndDoubleClickAskToAdd) {
    Fill();
    panel.show();
    QSignalSpy asked(&panel, &TPickerPanel::AddRequested);
    const Qt::KeyboardModifiers presses[] = {Qt::ShiftModifier, Qt::ControlModifier,
                                             Qt::AltModifier, Qt::NoModifier};
    for (const Qt::KeyboardModifiers held : presses) QTest::keyClick(Table(), Qt::Key_Insert, held);
    QTest::keyClick(Table(), Qt::Key_Enter);
    EXPECT_EQ(asked.count(), 1);
    emit Table()->itemDoubleClicked(Table()->topLevelItem(0), 0);
    EXPECT_EQ(asked.count(), 2);
}

TEST_F(PickerPanel, AddCommandsTakeTheStationWithTheSensorsOfTheMode) {
    Fill();
    TSensorPage page;
    page.AddSensor("st1", "c");  // already there in other letter case

    // List mode: the selected rows, skipping those on the page.
    panel.AddSelectedSensors(page);
    EXPECT_EQ(page.added.size(), 1u);  // nothing selected
    Table()->topLevelItem(0)->setSelected(true);
    Table()->topLevelItem(2)->setSelected(true);
    panel.AddSelectedSensors(page);
    EXPECT_EQ(page.added, (Added{{"st1", "c"}, {"ST1", "A"}}));
    panel.AddAllSensors(page);
    EXPECT_EQ(page.added, (Added{{"st1", "c"}, {"ST1", "A"}, {"ST1", "B"}}));

    // Single-sensor mode: the chosen sensor; adding all does nothing.
    TSensorPage single;
    panel.btnMoreLessClick();
    panel.AddAllSensors(single);
    EXPECT_TRUE(single.added.empty());
    panel.AddSelectedSensors(single);
    EXPECT_EQ(single.added, (Added{{"ST1", "B"}}));

    // Each sensor added asked for its current values; a skipped one did not.
    EXPECT_EQ(page.fetched, (Added{{"ST1", "A"}, {"ST1", "B"}}));
    EXPECT_EQ(single.fetched, (Added{{"ST1", "B"}}));

    // Without a station nothing is added.
    TSensorPage none;
    panel.Lists().ClearStations();
    panel.AddSelectedSensors(none);
    EXPECT_TRUE(none.added.empty());
}

TEST_F(PickerPanel, TestButtonRunsTheTestReadingsTimer) {
    auto* button = Find<QPushButton>(panel, "btnTest");
    auto* timer = Find<QTimer>(panel, "Timer1");
    EXPECT_FALSE(button->isVisibleTo(&panel));
    panel.SetTestButtonVisible(true);
    EXPECT_TRUE(button->isVisibleTo(&panel));
    QSignalSpy ticks(&panel, &TPickerPanel::TestTick);
    timer->setInterval(0);
    button->click();
    EXPECT_EQ(button->text(), "&Stop");
    EXPECT_TRUE(ticks.wait(5000));
    button->click();
    EXPECT_EQ(button->text(), "&Start!");
    EXPECT_FALSE(timer->isActive());
}

}  // namespace
}  // namespace qx
