#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <memory>
#include <string>

#include "app/ExitConfirm.h"
#include "app/Main.h"
#include "app/tests/FindControl.h"
#include "pages/ChartTab.h"
#include "pages/ListTab.h"
#include "shell/GlobalOptions.h"
#include "shell/StatusPanel.h"
#include "workspace/MemIniFile.h"

namespace qx {
namespace {

using test::Find;

class WorkspaceWindow : public testing::Test {
protected:
    QString FileName() const { return dir.filePath("qxrirovozer.QFG"); }

    void WriteWorkspace(const char* text) {
        QFile file(FileName());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    std::string ReadWorkspace() {
        QFile file(FileName());
        if (!file.open(QIODevice::ReadOnly)) return {};
        return file.readAll().toStdString();
    }

    std::unique_ptr<TfrmQXZuz> Start() {
        TStartOptions o;
        o.WorkspaceFileName = FileName();
        o.HomeDirectory = dir.path() + "/";
        auto window = std::make_unique<TfrmQXZuz>(o);
        // Answer the exit confirmation with OK so windows can close.
        window->OnConfirmShown = [](TfrmExitConfirm& d) { d.ExitResult = TfrmExitConfirm::Ok; };
        return window;
    }

    static QTabWidget* Tabs(const TfrmQXZuz& w) { return Find<QTabWidget>(w, "pgData"); }

    static QStringList Captions(const TfrmQXZuz& w) {
        QStringList out;
        for (int i = 0; i < Tabs(w)->count(); ++i) out << Tabs(w)->tabText(i);
        return out;
    }

    static std::string StatusText(TfrmQXZuz& w) {
        return Find<QPlainTextEdit>(w, "memStatus")->toPlainText().toStdString();
    }

    // Sets the dialog's boxes and presses OK, as the operator would.
    static void AnswerOptions(TfrmQXZuz& w, const char* list, const char* graph) {
        w.RunOptionsDialog = [list, graph](TfrmGlobalOptions& d) {
            d.show();
            d.findChild<QLineEdit*>("edtListNum")->setText(list);
            d.findChild<QLineEdit*>("edtGraphNum")->setText(graph);
            d.btnOKClick();
            return d.result();
        };
        Find<QAction>(w, "actOptions")->trigger();
    }

    // Fills the window's first page and status panel and saves a picture.
    static void Shoot(TfrmQXZuz& window, const QString& path);

    QTemporaryDir dir;
};

TEST_F(WorkspaceWindow, WithoutWorkspaceStartsWithDefaultPagesAndFirstChartActive) {
    auto w = Start();
    EXPECT_EQ(w->ListPageCount(), 5);
    EXPECT_EQ(w->GraphPageCount(), 3);
    EXPECT_EQ(Captions(*w), (QStringList{"Watch 1", "Watch 2", "Watch 3", "Watch 4", "Watch 5",
                                         "Graph 1", "Graph 2", "Graph 3"}));
    EXPECT_EQ(Tabs(*w)->currentIndex(), 5);
    for (int i = 0; i < 8; ++i) {
        if (i < 5)
            EXPECT_NE(dynamic_cast<TfrmListTab*>(w->Page(i)), nullptr) << i;
        else
            EXPECT_NE(dynamic_cast<TfrmChartTab*>(w->Page(i)), nullptr) << i;
    }
    EXPECT_EQ(w->Page(8), nullptr);
    EXPECT_EQ(StatusText(*w), "");
}

TEST_F(WorkspaceWindow, ActivePageAfterStart) {
    struct Case {
        const char* text;
        int active;
    } cases[] = {
        {"[PageSettings]\nListPages=3\nGraphPages=0\n", 0},
        {"[PageSettings]\nListPages=2\nGraphPages=1\n", 2},
        {"[PageSettings]\nListPages=0\nGraphPages=0\n", -1},
        {"[PageSettings]\nListPages=15\nGraphPages=4\n", 13},
    };
    for (const Case& c : cases) {
        WriteWorkspace(c.text);
        auto w = Start();
        EXPECT_EQ(Tabs(*w)->currentIndex(), c.active) << c.text;
    }
}

TEST_F(WorkspaceWindow, RoundTripKeepsCaptionsSensorsNodesAndUnknownSections) {
    WriteWorkspace(
        "; kept as written\r\n"
        "[Custom]\r\n"
        "Keep=me\r\n"
        "[RemoteNode]\r\n"
        "QXSetup=far-host\r\n"
        "[PageSettings]\r\n"
        "ListPages=2\r\n"
        "GraphPages=1\r\n"
        "[TabNames]\r\n"
        "WatchList1=Pumps\r\n"
        "[WatchList1]\r\n"
        "RIVER,LEVEL=1\r\n"
        "River,Flow,=1\r\n"
        "[GraphList0]\r\n"
        "RIVER1,LEVEL=1\r\n"
        "[GraphList0Settings]\r\n"
        "Title=Levels\r\n");
    {
        auto w = Start();
        EXPECT_EQ(w->SetupNode, "far-host");
        EXPECT_EQ(Captions(*w), (QStringList{"Watch 1", "Pumps", "Graph 1"}));
        EXPECT_TRUE(w->Page(1)->HasSensor("river", "level"));
        EXPECT_TRUE(w->Page(1)->HasSensor("River", "Flow"));
        EXPECT_FALSE(w->Page(0)->HasSensor("RIVER", "LEVEL"));
        w->Page(0)->AddSensor("PUMP1", "RPM");
        Tabs(*w)->setTabText(2, "Levels");
        w->show();
        EXPECT_TRUE(w->close());
    }
    // Written back with the CR LF line ends it was read with.
    const std::string saved = ReadWorkspace();
    EXPECT_NE(saved.find("; kept as written\r\n[Custom]\r\nKeep=me\r\n"), std::string::npos)
        << saved;
    // The chart page's section is its own; keys of its settings section it
    // does not know stay.
    EXPECT_NE(
        saved.find("[GraphList0]\r\nRIVER1,LEVEL=1\r\n[GraphList0Settings]\r\nTitle=Levels\r\n"
                   "ShowAxes=0\r\n"),
        std::string::npos)
        << saved;
    EXPECT_NE(saved.find("[WatchList0]\r\nPUMP1,RPM=1\r\n"), std::string::npos) << saved;
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'),
              std::count(saved.begin(), saved.end(), '\r'));

    auto again = Start();
    EXPECT_EQ(Captions(*again), (QStringList{"Watch 1", "Pumps", "Levels"}));
    EXPECT_TRUE(again->Page(0)->HasSensor("PUMP1", "RPM"));
    EXPECT_TRUE(again->Page(1)->HasSensor("RIVER", "LEVEL"));
    EXPECT_TRUE(again->Page(2)->HasSensor("RIVER1", "LEVEL"));
    EXPECT_FALSE(again->Page(2)->HasSensor("RIVER1", "FLOW"));
    EXPECT_EQ(again->SetupNode, "far-host");
}

TEST_F(WorkspaceWindow, CountsRuleAppliesToTheFile) {
    WriteWorkspace("[PageSettings]\nListPages=10\nGraphPages=10\n");
    auto w = Start();
    EXPECT_EQ(w->ListPageCount(), 8);
    EXPECT_EQ(w->GraphPageCount(), 8);
    EXPECT_EQ(Tabs(*w)->count(), 16);
    EXPECT_TRUE(w->SaveWorkspace());
    TMemIniFile ini;
    ASSERT_TRUE(ini.Open(FileName().toStdString()));
    EXPECT_EQ(ini.ReadInteger("PageSettings", "ListPages", -1), 8);
    EXPECT_EQ(ini.ReadInteger("PageSettings", "GraphPages", -1), 8);
}

TEST_F(WorkspaceWindow, UnwritableFolderReportsError1003AndStillCloses) {
    TStartOptions o;
    o.WorkspaceFileName = dir.filePath("missing-folder/qxrirovozer.QFG");
    o.HomeDirectory = dir.path() + "/";
    TfrmQXZuz w(o);
    w.OnConfirmShown = [](TfrmExitConfirm& d) { d.ExitResult = TfrmExitConfirm::Ok; };
    w.show();
    EXPECT_TRUE(w.close());
    EXPECT_NE(StatusText(w).find("Error 1003: Unable to save application settings"),
              std::string::npos);
}

TEST_F(WorkspaceWindow, UnreadableWorkspaceReportsError1002AndIsNotOverwritten) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("qxrirovozer.QFG"));  // a folder where the file should be
    auto w = Start();
    EXPECT_NE(StatusText(*w).find("Error 1002: Unable to read application settings"),
              std::string::npos);
    EXPECT_EQ(Tabs(*w)->count(), 8);  // the defaults
    EXPECT_FALSE(w->SaveWorkspace());
    EXPECT_NE(StatusText(*w).find("Error 1003"), std::string::npos);
    EXPECT_TRUE(QFileInfo(FileName()).isDir());
}

TEST_F(WorkspaceWindow, SettingsRebuildKeepsContentsByPositionAmongTheirKind) {
    WriteWorkspace(
        "[PageSettings]\nListPages=2\nGraphPages=1\n[WatchList2]\nOLD,S=1\n[TabNames]\nWatchList2="
        "Old\n");
    auto w = Start();
    w->Page(0)->AddSensor("A", "1");
    w->Page(1)->AddSensor("B", "2");
    Tabs(*w)->setTabText(1, "Second");

    AnswerOptions(*w, "3", "1");
    EXPECT_EQ(w->ListPageCount(), 3);
    EXPECT_EQ(Captions(*w), (QStringList{"Watch 1", "Second", "Old", "Graph 1"}));
    EXPECT_TRUE(w->Page(0)->HasSensor("A", "1"));
    EXPECT_TRUE(w->Page(1)->HasSensor("B", "2"));
    EXPECT_TRUE(w->Page(2)->HasSensor("OLD", "S"));
    EXPECT_NE(dynamic_cast<TfrmChartTab*>(w->Page(3)), nullptr);
    EXPECT_EQ(Tabs(*w)->currentIndex(), 3);  // the last page created

    // The save before the rebuild wrote the old counts to disk.
    TMemIniFile ini;
    ASSERT_TRUE(ini.Open(FileName().toStdString()));
    EXPECT_EQ(ini.ReadInteger("PageSettings", "ListPages", -1), 2);

    // Lowering keeps the removed page's section for a later raise.
    AnswerOptions(*w, "1", "1");
    EXPECT_EQ(Captions(*w), (QStringList{"Watch 1", "Graph 1"}));
    AnswerOptions(*w, "2", "1");
    EXPECT_TRUE(w->Page(1)->HasSensor("B", "2"));
    EXPECT_EQ(Captions(*w), (QStringList{"Watch 1", "Second", "Graph 1"}));

    AnswerOptions(*w, "0", "0");
    EXPECT_EQ(Tabs(*w)->count(), 0);
    EXPECT_EQ(w->PageCount(), 0);
    EXPECT_EQ(w->ActivePage(), nullptr);
}

TEST_F(WorkspaceWindow, SettingsWithUnchangedCountsOrCancelRebuildNothing) {
    WriteWorkspace("[PageSettings]\nListPages=3\nGraphPages=2\n");
    auto w = Start();
    TWatchTab* first = w->Page(0);
    ASSERT_TRUE(first->TogglePause());
    AnswerOptions(*w, "3", "2");
    EXPECT_EQ(w->Page(0), first);
    EXPECT_TRUE(first->IsPaused());
    EXPECT_EQ(ReadWorkspace(), "[PageSettings]\nListPages=3\nGraphPages=2\n");  // nothing saved

    w->RunOptionsDialog = [](TfrmGlobalOptions&) { return int(QDialog::Rejected); };
    Find<QAction>(*w, "actOptions")->trigger();
    EXPECT_EQ(w->Page(0), first);
}

TEST_F(WorkspaceWindow, ReadingsDuringTheRebuildAreDropped) {
    auto w = Start();
    w->Page(0)->AddSensor("A", "1");
    // A timer fires while the sheets are removed: the router finds no page.
    QTimer timer;
    timer.setInterval(0);
    int ticksWithoutPages = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (w->PageCount() == 0) ++ticksWithoutPages;
        for (int i = 0; i < w->PageCount(); ++i) {
            if (TWatchTab* p = w->Page(i)) {
                p->ShowReading({"A", "1", "S", 40000.0, "1.5"});
            }
        }
    });
    w->RunOptionsDialog = [&](TfrmGlobalOptions& d) {
        d.ListCount = 6;
        d.GraphCount = 0;
        timer.start();
        return int(QDialog::Accepted);
    };
    Find<QAction>(*w, "actOptions")->trigger();
    timer.stop();
    // The router ran while the sheets went and found no page to address.
    EXPECT_GT(ticksWithoutPages, 0);
    EXPECT_EQ(w->PageCount(), 6);
    EXPECT_TRUE(w->Page(0)->HasSensor("A", "1"));
}

// The status panel grows when the operator drags the splitter above it, and
// whether it shows is kept in the workspace (hidden by default).
TEST_F(WorkspaceWindow, StatusPanelIsDraggableAndItsShownStateKept) {
    {
        auto w = Start();
        w->show();
        auto* status = Find<TStatusPanel>(*w, "pnlStatus");
        EXPECT_FALSE(status->isVisible());
        Find<QAction>(*w, "ShowStatus")->trigger();
        QApplication::sendPostedEvents();
        QApplication::processEvents();
        ASSERT_TRUE(status->isVisible());
        const int before = status->height();
        EXPECT_EQ(before, TfrmQXZuz::StatusPanelHeight);

        auto* splitter = Find<QSplitter>(*w, "spltStatus");
        ASSERT_EQ(splitter->indexOf(status), 1);
        QSplitterHandle* handle = splitter->handle(1);
        const QPoint at = handle->rect().center();
        const auto mouse = [handle](QEvent::Type type, QPoint local, Qt::MouseButtons buttons) {
            QMouseEvent e(type, local, handle->mapToGlobal(local), Qt::LeftButton, buttons,
                          Qt::NoModifier);
            QCoreApplication::sendEvent(handle, &e);
        };
        mouse(QEvent::MouseButtonPress, at, Qt::LeftButton);
        mouse(QEvent::MouseMove, at - QPoint(0, 60), Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, at - QPoint(0, 60), Qt::NoButton);
        EXPECT_EQ(status->height(), before + 60);
        EXPECT_TRUE(w->close());
    }
    EXPECT_NE(ReadWorkspace().find("ShowStatus=1"), std::string::npos) << ReadWorkspace();
    {
        auto w = Start();
        EXPECT_TRUE(Find<QAction>(*w, "ShowStatus")->isChecked());
        EXPECT_FALSE(Find<TStatusPanel>(*w, "pnlStatus")->isHidden());
        Find<QAction>(*w, "ShowStatus")->trigger();
        w->show();
        EXPECT_TRUE(w->close());
    }
    EXPECT_NE(ReadWorkspace().find("ShowStatus=0"), std::string::npos) << ReadWorkspace();
    auto w = Start();
    EXPECT_FALSE(Find<QAction>(*w, "ShowStatus")->isChecked());
    EXPECT_TRUE(Find<TStatusPanel>(*w, "pnlStatus")->isHidden());
}

// Asked for 420 x 300 the window stays large enough for the picker's row
// side by side and for the pages; at its default size a list page shows
// every column.
TEST_F(WorkspaceWindow, MinimumSizeKeepsThePickerRowAndThePages) {
    auto w = Start();
    w->show();
    Tabs(*w)->setCurrentIndex(0);
    QApplication::sendPostedEvents();
    QApplication::processEvents();
    auto* view = dynamic_cast<TfrmListTab&>(*w->Page(0)).lstWatchWindow();
    EXPECT_LE(view->header()->length(), view->viewport()->width());

    const auto check = [&](const char* what) {
        w->resize(420, 300);
        QApplication::sendPostedEvents();
        QApplication::processEvents();
        int right = 0;
        for (const char* name :
             {"lblStations", "cbxStations", "lblSensors", "cbxSensors", "btnMoreLess"}) {
            auto* control = Find<QWidget>(*w, name);
            const QRect r(control->mapTo(w.get(), QPoint(0, 0)), control->size());
            EXPECT_GE(r.left(), right) << what << ": " << name << " overlaps the one before";
            EXPECT_GE(control->width(), control->minimumSizeHint().width()) << what << name;
            right = r.right() + 1;
        }
        EXPECT_LE(right, w->width()) << what;
        EXPECT_GE(Tabs(*w)->height(), TfrmQXZuz::PageMinimumHeight) << what;
        EXPECT_GT(view->viewport()->height(), view->header()->height()) << what;
    };
    check("single-sensor mode");
    Find<QAction>(*w, "ShowStatus")->trigger();
    check("status shown");
    w->btnMoreLessClick();
    check("list mode");
}

// Saves what the operator sees when QX_SCREENSHOT names a file: at
// 760 x 520, and beside it at the default size ("-default") and as small
// as the window goes when asked for 420 x 300 ("-small").
TEST_F(WorkspaceWindow, Screenshot) {
    const QString path = qEnvironmentVariable("QX_SCREENSHOT");
    if (path.isEmpty()) GTEST_SKIP() << "set QX_SCREENSHOT to a file name";
    const QFileInfo file(path);
    const struct {
        QString path;
        QSize size;
    } shots[] = {
        {path, {760, 520}},
        {file.path() + "/" + file.completeBaseName() + "-default." + file.suffix(), {}},
        {file.path() + "/" + file.completeBaseName() + "-small." + file.suffix(), {420, 300}},
    };
    for (const auto& shot : shots) {
        WriteWorkspace(
            "[PageSettings]\nListPages=2\nGraphPages=1\n[TabNames]\nWatchList0=Weather\n"
            "WatchList1=River\n"
            "[WatchList0]\nWX01,AirTemp=1\nWX01,Humidity=1\nWX01,WindSpeed=1\nWX01,Rain=1\n");
        auto w = Start();
        if (shot.size.isValid()) w->resize(shot.size);
        Shoot(*w, shot.path);
    }
}

void WorkspaceWindow::Shoot(TfrmQXZuz& window, const QString& path) {
    TfrmQXZuz* w = &window;
    w->show();
    Tabs(*w)->setCurrentIndex(0);
    w->Page(0)->ShowReading({"WX01", "AirTemp", "S", 46000.5, "21.4"});
    w->Page(0)->ShowReading({"WX01", "Humidity", "S", 46000.5, "63"});
    w->Page(0)->ShowSecondaryReading({"WX01", "Rain", "S", 46000.5, "HIGH"});
    Find<QAction>(*w, "ShowStatus")->trigger();
    w->AddStatusMessage("Connected to the setup server");
    // Layouts and resizes are posted events: deliver them before the grab.
    QApplication::sendPostedEvents();
    QApplication::processEvents();
    EXPECT_TRUE(w->grab().save(path));
}

}  // namespace
}  // namespace qx
