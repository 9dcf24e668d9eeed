#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

#include "app/ExitConfirm.h"
#include "app/Main.h"
#include "app/tests/FindControl.h"
#include "pages/ListModel.h"
#include "pages/ListTab.h"
#include "shell/TabRename.h"
#include "workspace/MemIniFile.h"

namespace qx {
namespace {

using test::Find;

class WatchCommands : public testing::Test {
protected:
    std::unique_ptr<TfrmQXZuz> Start(const char* workspace = nullptr) {
        if (workspace) {
            TMemIniFile ini;
            ini.Open(dir.filePath("qx.QFG").toStdString());
            ini.SetText(workspace);
            ini.SaveToFile();
        }
        TStartOptions o;
        o.WorkspaceFileName = dir.filePath("qx.QFG");
        o.HomeDirectory = dir.path() + "/";
        auto w = std::make_unique<TfrmQXZuz>(o);
        w->OnConfirmShown = [](TfrmExitConfirm& d) { d.ExitResult = TfrmExitConfirm::Ok; };
        w->ErrorDialog = [this](const QString& text) { errors << text; };
        return w;
    }

    // The picker as the server link fills it: station ST1 with sensors A, B, C.
    static void FillPicker(TfrmQXZuz& w) {
        auto* stations = Find<QComboBox>(w, "cbxStations");
        auto* sensors = Find<QComboBox>(w, "cbxSensors");
        stations->addItem("ST1");
        stations->setCurrentIndex(0);
        for (const char* s : {"A", "B", "C"}) {
            sensors->addItem(s);
            Table(w)->addTopLevelItem(new QTreeWidgetItem(QStringList{s, s, "Yes", "No", "", ""}));
        }
        sensors->setCurrentIndex(1);
    }

    static QTreeWidget* Table(TfrmQXZuz& w) { return Find<QTreeWidget>(w, "lstSensors"); }
    static QTabWidget* Tabs(TfrmQXZuz& w) { return Find<QTabWidget>(w, "pgData"); }
    static QAction* Action(TfrmQXZuz& w, const char* name) { return Find<QAction>(w, name); }

    static auto* ListPage(TfrmQXZuz& w, int i) { return dynamic_cast<TfrmListTab*>(w.Page(i)); }

    QTemporaryDir dir;
    QStringList errors;
};

TEST_F(WatchCommands, AddInListModeAddsSelectedRowsAndSkipsThoseOnThePage) {
    auto w = Start("[PageSettings]\nListPages=1\nGraphPages=0\n");
    FillPicker(*w);
    w->btnMoreLessClick();  // list mode
    w->Page(0)->AddSensor("st1", "b");
    for (int i = 0; i < 3; ++i) Table(*w)->topLevelItem(i)->setSelected(true);
    Action(*w, "actAddIntoWatchList")->trigger();
    EXPECT_EQ(ListPage(*w, 0)->Model()->rowCount(), 3);
    EXPECT_TRUE(w->Page(0)->HasSensor("ST1", "A"));
    EXPECT_TRUE(w->Page(0)->HasSensor("ST1", "C"));
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(WatchCommands, AddInSingleSensorModeNeedsAStationAndASensor) {
    auto w = Start("[PageSettings]\nListPages=1\nGraphPages=0\n");
    Action(*w, "actAddIntoWatchList")->trigger();  // empty picker: nothing
    EXPECT_EQ(ListPage(*w, 0)->Model()->rowCount(), 0);
    FillPicker(*w);
    Action(*w, "actAddIntoWatchList")->trigger();
    EXPECT_TRUE(w->Page(0)->HasSensor("ST1", "B"));
    EXPECT_EQ(ListPage(*w, 0)->Model()->rowCount(), 1);
}

TEST_F(WatchCommands, AddAllOnlyInListModeAndWhetherSelectedOrNot) {
    auto w = Start("[PageSettings]\nListPages=1\nGraphPages=0\n");
    FillPicker(*w);
    EXPECT_FALSE(Action(*w, "actAddAllIntoWatchList")->isEnabled());
    w->actAddAllIntoWatchListExecute();
    EXPECT_EQ(ListPage(*w, 0)->Model()->rowCount(), 0);
    w->btnMoreLessClick();
    EXPECT_TRUE(Action(*w, "actAddAllIntoWatchList")->isEnabled());
    Action(*w, "actAddAllIntoWatchList")->trigger();
    EXPECT_EQ(ListPage(*w, 0)->Model()->rowCount(), 3);
}

TEST_F(WatchCommands, InsertKeyWithoutModifiersAndDoubleClickAdd) {
    auto w = Start("[PageSettings]\nListPages=1\nGraphPages=0\n");
    FillPicker(*w);
    w->btnMoreLessClick();
    w->show();
    Table(*w)->topLevelItem(0)->setSelected(true);
    QTest::keyClick(Table(*w), Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(Table(*w), Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(ListPage(*w, 0)->Model()->rowCount(), 0);
    QTest::keyClick(Table(*w), Qt::Key_Insert);
    EXPECT_TRUE(w->Page(0)->HasSensor("ST1", "A"));

    emit Table(*w)->itemDoubleClicked(Table(*w)->topLevelItem(2), 0);
    EXPECT_EQ(ListPage(*w, 0)->Model()->rowCount(),
              1);  // the double click adds the selection: A again, skipped
    Table(*w)->topLevelItem(2)->setSelected(true);
    emit Table(*w)->itemDoubleClicked(Table(*w)->topLevelItem(2), 0);
    EXPECT_TRUE(w->Page(0)->HasSensor("ST1", "C"));
}

TEST_F(WatchCommands, PauseMarkFollowsTheActivePage) {
    auto w = Start("[PageSettings]\nListPages=1\nGraphPages=1\n");
    Tabs(*w)->setCurrentIndex(0);
    Action(*w, "actPauseDisplay")->trigger();
    EXPECT_TRUE(w->Page(0)->IsPaused());
    EXPECT_TRUE(Action(*w, "actPauseDisplay")->isChecked());
    Tabs(*w)->setCurrentIndex(1);
    EXPECT_FALSE(Action(*w, "actPauseDisplay")->isChecked());
    Tabs(*w)->setCurrentIndex(0);
    EXPECT_TRUE(Action(*w, "actPauseDisplay")->isChecked());
    EXPECT_TRUE(Action(*w, "actSave")->isEnabled());
    EXPECT_TRUE(Action(*w, "actCopy")->isEnabled());
}

TEST_F(WatchCommands, RenameTakesTheTextAsTypedEvenEmpty) {
    auto w = Start("[PageSettings]\nListPages=2\nGraphPages=0\n");
    Tabs(*w)->setCurrentIndex(1);
    w->RunTabNameDialog = [](TfrmTabName& d) {
        EXPECT_EQ(d.windowTitle(), "Tab Name");
        EXPECT_EQ(d.edtTabName->text(), "Watch 2");
        d.edtTabName->setText("");
        return int(QDialog::Accepted);
    };
    Action(*w, "actRename")->trigger();
    EXPECT_EQ(Tabs(*w)->tabText(1), "");
    w->RunTabNameDialog = [](TfrmTabName& d) {
        d.edtTabName->setText("ignored");
        return int(QDialog::Rejected);
    };
    Action(*w, "actRename")->trigger();
    EXPECT_EQ(Tabs(*w)->tabText(1), "");
    ASSERT_TRUE(w->SaveWorkspace());
    TMemIniFile ini;
    ASSERT_TRUE(ini.Open(dir.filePath("qx.QFG").toStdString()));
    EXPECT_TRUE(ini.ValueExists("TabNames", "WatchList1"));
    EXPECT_EQ(ini.ReadString("TabNames", "WatchList1", "x"), "");
}

TEST_F(WatchCommands, WithoutPagesCommandsDoNothing) {
    auto w = Start("[PageSettings]\nListPages=0\nGraphPages=0\n");
    FillPicker(*w);
    bool asked = false;
    w->RunTabNameDialog = [&](TfrmTabName&) {
        asked = true;
        return int(QDialog::Accepted);
    };
    for (const char* name :
         {"actAddIntoWatchList", "actDeleteFromWatchList", "actPauseDisplay", "actRename"})
        Action(*w, name)->trigger();
    EXPECT_FALSE(asked);
    EXPECT_FALSE(Action(*w, "actPauseDisplay")->isChecked());
    EXPECT_FALSE(Action(*w, "actSave")->isEnabled());
    EXPECT_FALSE(Action(*w, "actCopy")->isEnabled());
    EXPECT_FALSE(Action(*w, "actSettings")->isEnabled());
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(WatchCommands, TestButtonStartsAndStopsTheTestReadings) {
    auto w = Start();
    auto* timer = Find<QTimer>(*w, "Timer1");
    auto* button = Find<QPushButton>(*w, "btnTest");
    int ticks = 0;
    w->OnTestTick = [&] { ++ticks; };
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(timer->interval(), 3000);
    timer->setInterval(0);  // the next tick at once
    button->click();
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(button->text(), "&Stop");
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks > 0; }));  // a tick reaches the test readings
    button->click();
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(button->text(), "&Start!");
}

}  // namespace
}  // namespace qx

namespace qx {
namespace {

TEST_F(WatchCommands, ListModeRestoresTheListHeightAndLeavesThePagesRoom) {
    auto w = Start();
    w->resize(800, 560);
    w->show();
    QApplication::processEvents();
    w->btnMoreLessClick();  // list mode at its design height
    QApplication::processEvents();
    const int list = Table(*w)->height();
    const int pages = Tabs(*w)->height();
    EXPECT_GT(list, 60);
    EXPECT_GT(pages, list);
    w->btnMoreLessClick();
    QApplication::processEvents();
    EXPECT_FALSE(Table(*w)->isVisible());
    w->btnMoreLessClick();
    QApplication::processEvents();
    EXPECT_EQ(Table(*w)->height(), list);
    EXPECT_EQ(Tabs(*w)->height(), pages);
}

}  // namespace
}  // namespace qx
