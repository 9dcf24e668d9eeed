#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeView>

#include "pages/ListModel.h"
#include "pages/ListTab.h"
#include "pages/ListTextExport.h"
#include "readings/ListPageServers.h"
#include "textscan/Regional.h"
#include "workspace/MemIniFile.h"

namespace qx {
namespace {

const TDateTime kMay12 = EncodeDateTime({2009, 5, 12, 10, 15, 0});

SensorReading Reading(const std::string& station, const std::string& sensor, const char* value) {
    return SensorReading{station, sensor, "$REALTIME", kMay12, value};
}

// Accepts the first limit bytes, then fails every write.
class FailDevice : public QIODevice {
public:
    explicit FailDevice(qint64 limit) : limit_(limit) {}

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override {
        if (written_ + size > limit_) {
            setErrorString(QStringLiteral("disk full"));
            return -1;
        }
        written_ += size;
        return size;
    }

private:
    qint64 limit_;
    qint64 written_ = 0;
};

class ListTabTest : public ::testing::Test {
protected:
    ListTabTest() {
        page_.SetErrorReporter([this](QWidget*, const QString& text) { errors_ << text; });
    }
    QStringList Column(int column) const {
        QStringList texts;
        const QAbstractItemModel* model = page_.lstWatchWindow()->model();
        for (int r = 0; r < model->rowCount(); ++r)
            texts << model->index(r, column).data().toString();
        return texts;
    }
    void Select(std::initializer_list<int> rows) {
        QItemSelectionModel* selection = page_.lstWatchWindow()->selectionModel();
        for (int r : rows)
            selection->select(page_.Model()->index(r, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    ScopedRegional regional_{'/', ':'};
    TfrmListTab page_;
    QStringList errors_;
};

TEST_F(ListTabTest, ShowsTheColumnsReadOnlyWithWholeRowSelection) {
    QTreeView* view = page_.lstWatchWindow();
    const char* captions[] = {"StationID", "SensorName", "TimeTag", "Value", "Alarm"};
    const int widths[] = {180, 180, 120, 80, 80};
    for (int c = 0; c < ListColumnCount; ++c) {
        EXPECT_EQ(view->model()->headerData(c, Qt::Horizontal).toString(), captions[c]);
        if (c == ColTimeTag)
            EXPECT_GE(view->columnWidth(c), widths[c]);
        else
            EXPECT_EQ(view->columnWidth(c), widths[c]);
    }
    // A whole time fits into TimeTag, whatever the font.
    EXPECT_GT(view->columnWidth(ColTimeTag),
              view->fontMetrics().horizontalAdvance(QStringLiteral("12/28/2000 20:58:58")));
    page_.AddSensor("ST1", "AIR");
    const QModelIndex value = view->model()->index(0, ColValue);
    EXPECT_TRUE(value.data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight);
    EXPECT_FALSE(value.flags() & Qt::ItemIsEditable);
    EXPECT_EQ(view->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(view->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_TRUE(page_.CanSaveData());
    EXPECT_TRUE(page_.CanCopyData());
    EXPECT_FALSE(page_.HasSettings());
}

TEST_F(ListTabTest, ModelStaysConsistentThroughEveryOperation) {
    QAbstractItemModelTester tester(page_.Model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    for (const char* s : {"C", "A", "B", "D"}) page_.AddSensor("ST1", s);
    page_.ShowReading(Reading("ST1", "A", "2"));
    page_.Model()->FlushChanges();
    Select({0, 3});
    page_.lstWatchWindow()->header()->sectionClicked(ColSensorName);
    EXPECT_EQ(Column(ColSensorName), (QStringList{"A", "B", "C", "D"}));
    // The selection followed the rows: C and D are still selected.
    page_.RemoveSensors();
    EXPECT_EQ(Column(ColSensorName), (QStringList{"A", "B"}));
    EXPECT_TRUE(page_.HasSensor("st1", "b"));
    EXPECT_FALSE(page_.HasSensor("ST1", "C"));
}

TEST_F(ListTabTest, HeaderClicksSortAndAlternateDirectionPerColumn) {
    for (const char* s : {"B", "A", "C"}) page_.AddSensor(s, "S");
    page_.ShowReading(Reading("A", "S", "5"));
    page_.ShowReading(Reading("B", "S", "10"));
    QHeaderView* header = page_.lstWatchWindow()->header();
    header->sectionClicked(ColStationID);
    EXPECT_EQ(Column(ColStationID), (QStringList{"A", "B", "C"}));
    header->sectionClicked(ColStationID);
    EXPECT_EQ(Column(ColStationID), (QStringList{"C", "B", "A"}));
    header->sectionClicked(ColValue);  // numeric: "" as 0 < 5 < 10
    EXPECT_EQ(Column(ColStationID), (QStringList{"C", "A", "B"}));
}

// The heading shows the column and direction of the sort just made.
TEST_F(ListTabTest, HeadingShowsTheSortDirection) {
    for (const char* s : {"B", "A"}) page_.AddSensor(s, "S");
    QHeaderView* header = page_.lstWatchWindow()->header();
    EXPECT_FALSE(header->isSortIndicatorShown());
    const struct {
        int column;
        Qt::SortOrder order;
        const char* first;
    } clicks[] = {
        {ColStationID, Qt::AscendingOrder, "A"},
        {ColStationID, Qt::DescendingOrder, "B"},
        {ColSensorName, Qt::AscendingOrder, "B"},  // stable: equal names keep their order
        {ColStationID, Qt::AscendingOrder, "A"},
    };
    for (const auto& click : clicks) {
        header->sectionClicked(click.column);
        EXPECT_TRUE(header->isSortIndicatorShown());
        EXPECT_EQ(header->sortIndicatorSection(), click.column);
        EXPECT_EQ(header->sortIndicatorOrder(), click.order) << click.column;
        EXPECT_EQ(Column(ColStationID).front(), click.first);
    }
}

// Delete in the table deletes the selected rows, as the menu command does;
// with a modifier held it does nothing.
TEST_F(ListTabTest, DeleteKeyDeletesTheSelectedRows) {
    for (const char* s : {"A", "B", "C", "D"}) page_.AddSensor("ST1", s);
    Select({1, 3});
    const auto press = [this](Qt::KeyboardModifiers modifiers) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Delete, modifiers);
        QCoreApplication::sendEvent(page_.lstWatchWindow(), &key);
    };
    press(Qt::ShiftModifier);
    press(Qt::ControlModifier);
    EXPECT_EQ(Column(ColSensorName), (QStringList{"A", "B", "C", "D"}));
    press(Qt::NoModifier);
    EXPECT_EQ(Column(ColSensorName), (QStringList{"A", "C"}));
    press(Qt::KeypadModifier);  // the Del of the number pad
    EXPECT_EQ(page_.Model()->rowCount(), 2);
    Select({0});
    press(Qt::KeypadModifier);
    EXPECT_EQ(Column(ColSensorName), (QStringList{"C"}));
}

TEST_F(ListTabTest, ReadingsRepaintOncePerFrame) {
    for (int i = 0; i < 1000; ++i) page_.AddSensor("ST" + std::to_string(i), "AIR");
    QSignalSpy changed(page_.Model(), &QAbstractItemModel::dataChanged);
    for (int round = 0; round < 5; ++round) {
        for (int i = 0; i < 1000; i += 7)
            page_.ShowReading(Reading("ST" + std::to_string(i), "AIR", "1"));
    }
    page_.ShowReading(Reading("NONE", "AIR", "1"));
    EXPECT_EQ(changed.count(), 0);
    ASSERT_TRUE(changed.wait(1000));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 0);
    EXPECT_EQ(changed[0][1].toModelIndex().row(), 994);
    EXPECT_FALSE(changed.wait(3 * TListModel::RepaintDelayMs));

    // While paused nothing changes on screen; resuming shows the held values.
    EXPECT_TRUE(page_.TogglePause());
    EXPECT_TRUE(page_.IsPaused());
    page_.ShowReading(Reading("ST5", "AIR", "held"));
    EXPECT_FALSE(changed.wait(3 * TListModel::RepaintDelayMs));
    EXPECT_FALSE(page_.TogglePause());
    ASSERT_TRUE(changed.wait(1000));
    EXPECT_EQ(page_.Model()->index(5, ColValue).data().toString(), "held");
}

TEST_F(ListTabTest, RowsOfALostServerAreGreyedWithATipUntilTheirNextReading) {
    for (const char* s : {"A", "B"}) {
        page_.AddSensor("ST1", s);
        SensorReading r = Reading("ST1", s, "1");
        r.Server = *s == 'A' ? TReadingServer::Rtu : TReadingServer::Decode;
        page_.ShowReading(r);
    }
    page_.Model()->FlushChanges();
    const QModelIndex a = page_.Model()->index(0, ColStationID);
    const QModelIndex b = page_.Model()->index(1, ColValue);
    EXPECT_FALSE(a.data(Qt::ForegroundRole).isValid());
    EXPECT_FALSE(a.data(Qt::ToolTipRole).isValid());

    QSignalSpy changed(page_.Model(), &QAbstractItemModel::dataChanged);
    page_.ServerLost(TReadingServer::Rtu);
    ASSERT_TRUE(changed.wait(1000));
    // The whole row is redrawn in its new colour.
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex(), page_.Model()->index(0, 0));
    EXPECT_EQ(changed[0][1].toModelIndex(), page_.Model()->index(0, ListColumnCount - 1));
    EXPECT_TRUE(changed[0][2].value<QList<int>>().contains(Qt::ForegroundRole));
    EXPECT_EQ(a.data(Qt::ForegroundRole).value<QBrush>().color(),
              QApplication::palette().color(QPalette::Disabled, QPalette::Text));
    EXPECT_EQ(a.data(Qt::ToolTipRole).toString(),
              "Stale: the QX Rtu server that sent this reading has gone away");
    EXPECT_EQ(a.data().toString(), "ST1");  // the values stay readable
    EXPECT_FALSE(b.data(Qt::ForegroundRole).isValid());

    page_.ShowReading(Reading("ST1", "A", "2"));
    page_.Model()->FlushChanges();
    EXPECT_FALSE(a.data(Qt::ForegroundRole).isValid());
    EXPECT_FALSE(a.data(Qt::ToolTipRole).isValid());
}

TEST_F(ListTabTest, SavesTabSeparatedLinesAndReportsFailures) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString empty = dir.filePath("empty.txt");
    ASSERT_TRUE(page_.SaveDataTo(empty));
    QFile emptyFile(empty);
    ASSERT_TRUE(emptyFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(emptyFile.readAll(), "StationID\tSensorName\tTimeTag\tValue\tAlarm\r\n");

    page_.AddSensor("ST1", "AIR");
    page_.ShowReading(Reading("ST1", "AIR", "12.5"));
    const QString name = dir.filePath("list.txt");
    page_.SetFileNameAsker([&](QWidget*) { return name; });
    page_.SaveData();
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(),
              "StationID\tSensorName\tTimeTag\tValue\tAlarm\r\nST1\tAIR\t05/12/2009 "
              "10:15:00\t12.5\t\r\n");
    EXPECT_TRUE(errors_.isEmpty());

    // Cancelled: nothing written, nothing reported.
    page_.SetFileNameAsker([](QWidget*) { return QString(); });
    page_.SaveData();
    EXPECT_TRUE(errors_.isEmpty());

    EXPECT_FALSE(page_.SaveDataTo(dir.filePath("missing/list.txt")));
    EXPECT_EQ(errors_, QStringList{"Error saving file."});
}

TEST_F(ListTabTest, WriterReportsTheDevicesError) {
    page_.AddSensor("ST1", "AIR");
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QString error;
    EXPECT_TRUE(WriteListText(page_.Model()->Core(), buffer, &error));
    EXPECT_TRUE(buffer.data().endsWith("ST1\tAIR\t\t\t\r\n"));

    FailDevice failing(50);  // the header fits, the row does not
    failing.open(QIODevice::WriteOnly);
    EXPECT_FALSE(WriteListText(page_.Model()->Core(), failing, &error));
    EXPECT_EQ(error, "disk full");

    QBuffer closed;
    EXPECT_FALSE(WriteListText(page_.Model()->Core(), closed, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(ListTabTest, CopiesTheTableWithoutAFinalLineEnd) {
    page_.AddSensor("ST1", "AIR");
    page_.ShowSecondaryReading(Reading("ST1", "AIR", "HI"));
    page_.CopyData();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "StationID\tSensorName\tTimeTag\tValue\tAlarm\r\nST1\tAIR\t\t\tHI");
}

class OneServer : public IListPageServers {
public:
    bool ServerEnabled(TCurrentDataServer) const override { return true; }
    bool ServerConnected(TCurrentDataServer s) const override {
        return s == TCurrentDataServer::Decode;
    }
    bool QueryCurrentData(TCurrentDataServer, const std::string& request,
                          std::string& answer) override {
        answer = request == "ST1.$REALTIME" ? "05/12/2009 10:15:00,ST1.AIR,12.5" : "";
        return true;
    }
};

TEST_F(ListTabTest, WorkspaceKeepsTheSensorListAndLoadingFetchesValues) {
    TMemIniFile ini;
    for (const char* s : {"AIR", "WIND"}) page_.AddSensor("ST1", s);
    page_.AddSensor("ST2", "");
    page_.SaveToWorkspace(ini, "WatchList0");
    EXPECT_EQ(ini.ReadSection("WatchList0"),
              (std::vector<std::string>{"ST1,AIR", "ST1,WIND", "ST2,"}));

    OneServer servers;
    TfrmListTab loaded(nullptr, &servers);
    loaded.LoadFromWorkspace(ini, "WatchList0");
    QAbstractItemModel* model = loaded.lstWatchWindow()->model();
    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->index(0, ColValue).data().toString(), "12.5");
    EXPECT_EQ(model->index(1, ColValue).data().toString(), "");
    EXPECT_EQ(model->index(2, ColStationID).data().toString(), "ST2");
    EXPECT_EQ(model->index(2, ColSensorName).data().toString(), "");
}

// A sensor the operator adds shows its current value at once; the page asks
// as a load does and takes only the records of that sensor.
TEST_F(ListTabTest, ShowCurrentValuesFetchesTheAddedSensor) {
    OneServer servers;
    TfrmListTab page(nullptr, &servers);
    page.AddSensor("ST1", "AIR");
    page.AddSensor("ST1", "WIND");
    page.ShowCurrentValues("ST1", "AIR");
    QAbstractItemModel* model = page.lstWatchWindow()->model();
    EXPECT_EQ(model->index(0, ColValue).data().toString(), "12.5");
    EXPECT_EQ(model->index(0, ColTimeTag).data().toString(), "05/12/2009 10:15:00");
    EXPECT_EQ(model->index(1, ColValue).data().toString(), "");

    TfrmListTab offline;  // no servers: nothing to ask
    offline.AddSensor("ST1", "AIR");
    offline.ShowCurrentValues("ST1", "AIR");
    EXPECT_EQ(offline.lstWatchWindow()->model()->index(0, ColValue).data().toString(), "");
}

// A sensor whose name the file cannot hold is not kept; a status message
// names it, one per such row.
TEST_F(ListTabTest, SensorsTheWorkspaceCannotHoldAreReported) {
    std::vector<std::string> status;
    page_.SetStatusReporter([&](const std::string& text) { status.push_back(text); });
    page_.AddSensor("ST1", "AIR");
    page_.AddSensor("#ST2", "AIR");
    page_.AddSensor("ST3", "A=B");
    TMemIniFile ini;
    page_.SaveToWorkspace(ini, "WatchList2");
    EXPECT_EQ(ini.ReadSection("WatchList2"), std::vector<std::string>{"ST1,AIR"});
    ASSERT_EQ(status.size(), 2u);
    EXPECT_NE(status[0].find("\"#ST2,AIR\""), std::string::npos) << status[0];
    EXPECT_NE(status[0].find("WatchList2"), std::string::npos) << status[0];
    EXPECT_NE(status[1].find("\"ST3,A=B\""), std::string::npos) << status[1];
}

// Saves a picture of a filled page when QX_LISTPAGE_SCREENSHOT names a file.
TEST_F(ListTabTest, Screenshot) {
    const QByteArray target = qgetenv("QX_LISTPAGE_SCREENSHOT");
    if (target.isEmpty()) GTEST_SKIP() << "set QX_LISTPAGE_SCREENSHOT to save a picture";
    const char* values[] = {"12.5", "-3.25", "1013", "", "7"};
    for (int i = 0; i < 5; ++i) {
        const std::string station = "STATION" + std::to_string(i % 2 + 1);
        const std::string sensor = "SENSOR" + std::to_string(i);
        page_.AddSensor(station, sensor);
        if (values[i][0]) page_.ShowReading(Reading(station, sensor, values[i]));
    }
    page_.ShowSecondaryReading(Reading("STATION1", "SENSOR2", "HIGH"));
    page_.Model()->FlushChanges();
    Select({1, 2});
    page_.resize(680, 220);
    page_.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(page_.grab().save(QString::fromLocal8Bit(target)));
}

}  // namespace
}  // namespace qx
