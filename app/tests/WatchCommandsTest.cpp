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
#include "pages/ListModel.h"
#include "pages/ListTab.h"
#include "shell/TabRename.h"
#include "workspace/MemIniFile.h"

namespace qx {
namespace {

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
        w.cbxStations->addItem("ST1");
        w.cbxStations->setCurrentIndex(0);
        for (const char* s : {"A", "B", "C"}) {
            w.cbxSensors->addItem(s);
            w.lstSensors->addTopLevelItem(
                new QTreeWidgetItem(QStringList{s, s, "Yes", "No", "", ""}));
        }
        w.cbxSensors->setCurrentIndex(1);
    }

    static auto* ListPage(TfrmQXZuz& w, int i) { return dynamic_cast<TfrmListTab*>(w.Page(i)); }

    QTemporaryDir dir;
    QStringList errors;
};

TEST_F(WatchCommands, AddInListModeAddsSelectedRowsAndSkipsThoseOnThePage) {
    auto w = Start("[PageSettings]\nListPages=1\nGraphPages=0\n");
    FillPicker(*w);
    w->btnMoreLessClick();  // list mode
    w->Page(0)->AddSensor("st1", "b");
    for (int i = 0; i < 3; ++i) w->lstSensors->topLevelItem(i)->setSelected(true);
    w->actAddIntoWatchList->trigger();
    EXPECT_EQ(ListPage(*w, 0)->Model()->rowCount(), 3);
    EXPECT_TRUE(w->Page(0)->HasSensor("ST1", "A"));
    EXPECT_TRUE(w->Page(0)->HasSensor("ST1", "C"));
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(WatchCommands, AddInSingleSensorModeNeedsAStationAndASensor) {
    auto w = Start("[PageSettings]\nListPages=1\nGraphPages=0\n");
    w->actAddIntoWatchList->trigger();  // empty picker: nothing
    EXPECT_EQ(ListPage(*w, 0)->Model()->rowCount(), 0);
    FillPicker(*w);
    w->actAddIntoWatchList->trigger();
    EXPECT_TRUE(w->Page(0)->HasSensor("ST1", "B"));
    EXPECT_EQ(ListPage(*w, 0)->Model()->rowCount(), 1);
}

TEST_F(WatchCommands, AddAllOnlyInListModeAndWhetherSelectedOrNot) {
    auto w = Start("[PageSettings]\nListPages=1\nGraphPages=0\n");
    FillPicker(*w);
    EXPECT_FALSE(w->actAddAllIntoWatchList->isEnabled());
    w->actAddAllIntoWatchListExecute();
    EXPECT_EQ(ListPage(*w, 0)->Model()->rowCount(), 0);
    w->btnMoreLessClick();
    EXPECT_TRUE(w->actAddAllIntoWatchList->isEnabled());
    w->actAddAllIntoWatchList->trigger();
    EXPECT_EQ(ListPage(*w, 0)->Model()->rowCount(), 3);
}

TEST_F(WatchCommands, InsertKeyWithoutModifiersAndDoubleClickAdd) {
    auto w = Start("[PageSettings]\nListPages=1\nGraphPages=0\n");
    FillPicker(*w);
    w->btnMoreLessClick();
    w->show();
    w->lstSensors->topLevelItem(0)->setSelected(true);
    QTest::keyClick(w->lstSensors, Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(w->lstSensors, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(ListPage(*w, 0)->Model()->rowCount(), 0);
    QTest::keyClick(w->lstSensors, Qt::Key_Insert);
    EXPECT_TRUE(w->Page(0)->HasSensor("ST1", "A"));

    emit w->lstSensors->itemDoubleClicked(w->lstSensors->topLevelItem(2), 0);
    EXPECT_EQ(ListPage(*w, 0)->Model()->rowCount(),
              1);  // the double click adds the selection: A again, skipped
    w->lstSensors->topLevelItem(2)->setSelected(true);
    emit w->lstSensors->itemDoubleClicked(w->lstSensors->topLevelItem(2), 0);
    EXPECT_TRUE(w->Page(0)->HasSensor("ST1", "C"));
}

TEST_F(WatchCommands, PauseMarkFollowsTheActivePage) {
    auto w = Start("[PageSettings]\nListPages=1\nGraphPages=1\n");
    w->pgData->setCurrentIndex(0);
    w->actPauseDisplay->trigger();
    EXPECT_TRUE(w->Page(0)->IsPaused());
    EXPECT_TRUE(w->actPauseDisplay->isChecked());
    w->pgData->setCurrentIndex(1);
    EXPECT_FALSE(w->actPauseDisplay->isChecked());
    w->pgData->setCurrentIndex(0);
    EXPECT_TRUE(w->actPauseDisplay->isChecked());
    EXPECT_TRUE(w->actSave->isEnabled());
    EXPECT_TRUE(w->actCopy->isEnabled());
}

TEST_F(WatchCommands, RenameTakesTheTextAsTypedEvenEmpty) {
    auto w = Start("[PageSettings]\nListPages=2\nGraphPages=0\n");
    w->pgData->setCurrentIndex(1);
    w->RunTabNameDialog = [](TfrmTabName& d) {
        EXPECT_EQ(d.windowTitle(), "Tab Name");
        EXPECT_EQ(d.edtTabName->text(), "Watch 2");
        d.edtTabName->setText("");
        return int(QDialog::Accepted);
    };
    w->actRename->trigger();
    EXPECT_EQ(w->pgData->tabText(1), "");
    w->RunTabNameDialog = [](TfrmTabName& d) {
        d.edtTabName->setText("ignored");
        return int(QDialog::Rejected);
    };
    w->actRename->trigger();
    EXPECT_EQ(w->pgData->tabText(1), "");
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
    for (QAction* a :
         {w->actAddIntoWatchList, w->actDeleteFromWatchList, w->actPauseDisplay, w->actRename})
        a->trigger();
    EXPECT_FALSE(asked);
    EXPECT_FALSE(w->actPauseDisplay->isChecked());
    EXPECT_FALSE(w->actSave->isEnabled());
    EXPECT_FALSE(w->actCopy->isEnabled());
    EXPECT_FALSE(w->actSettings->isEnabled());
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(WatchCommands, TestButtonStartsAndStopsTheTestReadings) {
    auto w = Start();
    EXPECT_FALSE(w->Timer1->isActive());
    EXPECT_EQ(w->Timer1->interval(), 3000);
    w->btnTestClick();
    EXPECT_TRUE(w->Timer1->isActive());
    EXPECT_EQ(w->btnTest->text(), "&Stop");
    w->btnTestClick();
    EXPECT_FALSE(w->Timer1->isActive());
    EXPECT_EQ(w->btnTest->text(), "&Start!");
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
    const int list = w->lstSensors->height();
    const int pages = w->pgData->height();
    EXPECT_GT(list, 60);
    EXPECT_GT(pages, list);
    w->btnMoreLessClick();
    QApplication::processEvents();
    EXPECT_FALSE(w->lstSensors->isVisible());
    w->btnMoreLessClick();
    QApplication::processEvents();
    EXPECT_EQ(w->lstSensors->height(), list);
    EXPECT_EQ(w->pgData->height(), pages);
}

}  // namespace
}  // namespace qx
