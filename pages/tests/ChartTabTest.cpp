#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <cmath>

#include "chart/ChartView.h"
#include "pages/ChartTab.h"
#include "pages/Options.h"
#include "pages/SelectSeries.h"
#include "pages/ValidEdit.h"
#include "workspace/MemIniFile.h"

namespace qx {
namespace {

constexpr double kT0 = 46000.5;
constexpr double kMinute = 1.0 / 1440;

class ChartTabTest : public ::testing::Test {
protected:
    ChartTabTest() : page_(nullptr, [this] { return now_; }) {
        page_.SetErrorReporter([this](QWidget*, const QString& text) { errors_ << text; });
    }

    void Show(const std::string& sensor, double time, const std::string& value) {
        page_.ShowReading(SensorReading{"ST1", sensor, "$REALTIME", time, value});
    }
    // Runs the options dialog: act on it, then OK (or Cancel).
    void EditSettings(const std::function<void(TfrmOptions&)>& act, bool ok = true) {
        page_.SetDialogRunner([&](QDialog& dialog) {
            auto& options = dynamic_cast<TfrmOptions&>(dialog);
            act(options);
            return ok ? QDialog::Accepted : QDialog::Rejected;
        });
        page_.EditSettings();
    }
    // Waits until the chart has painted another frame.
    void Frame() {
        const int before = page_.teeGraph()->FramesPainted();
        ASSERT_TRUE(QTest::qWaitFor([&] { return page_.teeGraph()->FramesPainted() > before; }));
    }

    double now_ = kT0;
    QStringList errors_;
    TfrmChartTab page_;
};

TEST_F(ChartTabTest, PageOperations) {
    TWatchTab& page = page_;
    EXPECT_TRUE(page.HasSettings());
    EXPECT_FALSE(page.HasSensor("ST1", "AIR"));
    page.AddSensor("ST1", "AIR");
    page.AddSensor("ST1", "HUM");
    EXPECT_TRUE(page.HasSensor("st1", "air"));
    Show("AIR", kT0 - kMinute, "4");
    page.ShowSecondaryReading(SensorReading{"ST1", "AIR", "$REALTIME", kT0, "HI"});
    EXPECT_EQ(page_.Chart().Series(0).Count(), 1u);
    EXPECT_TRUE(page.TogglePause());
    EXPECT_TRUE(page.IsPaused());

    // Remove: the series selected in the dialog go; Cancel keeps them.
    auto remove = [&](int row, int result) {
        page_.SetDialogRunner([this, row, result](QDialog& dialog) {
            auto& select = dynamic_cast<TfrmSelectSeries&>(dialog);
            select.FillSeries();
            EXPECT_EQ(select.LBSeries->count(), page_.Chart().SeriesCount());
            select.LBSeries->item(row)->setSelected(true);
            return result;
        });
        page.RemoveSensors();
    };
    remove(0, QDialog::Rejected);
    EXPECT_EQ(page_.Chart().SeriesCount(), 2);
    remove(0, QDialog::Accepted);
    ASSERT_EQ(page_.Chart().SeriesCount(), 1);
    EXPECT_EQ(page_.Chart().Series(0).Title(), "ST1.HUM");
    EXPECT_EQ(page_.Chart().CustomAxisCount(), 1);
    EXPECT_FALSE(page.HasSensor("ST1", "AIR"));
}

// Many readings between two frames cost one layout and one paint.
TEST_F(ChartTabTest, ReadingsAreLaidOutOncePerFrame) {
    page_.AddSensor("ST1", "AIR");
    page_.Core().Settings().BestView = true;
    page_.resize(400, 300);
    page_.show();
    Frame();
    const int before = page_.teeGraph()->FramesPainted();
    for (int i = 0; i < 1000; ++i)
        Show("AIR", kT0 - 50 * kMinute + i * 0.001 * kMinute, std::to_string(i % 11));
    EXPECT_TRUE(page_.Core().LayoutPending());
    Frame();
    EXPECT_LE(page_.teeGraph()->FramesPainted(), before + 2);
    EXPECT_FALSE(page_.Core().LayoutPending());
    // Best view of 0..10: the range was worked out before the paint.
    EXPECT_DOUBLE_EQ(page_.Chart().LeftAxis().Minimum(), -1);
    EXPECT_DOUBLE_EQ(page_.Chart().LeftAxis().Maximum(), 11);
    EXPECT_TRUE(page_.teeGraph()->accessibleDescription().contains("ST1.AIR"));
}

TEST_F(ChartTabTest, PauseFreezesTheTimeAxisWhilePointsAreTaken) {
    page_.AddSensor("ST1", "AIR");
    Show("AIR", kT0 - 50 * kMinute, "1");
    page_.Paused = true;
    now_ += 10 * kMinute;
    Show("AIR", now_, "1");
    page_.timerRefreshTimer();
    EXPECT_DOUBLE_EQ(page_.Chart().BottomAxis().Maximum(), kT0);
    EXPECT_EQ(page_.Chart().Series(0).Count(), 2u);
    page_.Paused = false;
    page_.timerRefreshTimer();
    EXPECT_DOUBLE_EQ(page_.Chart().BottomAxis().Maximum(), now_);
}

TEST_F(ChartTabTest, TheTimerFollowsTheLoadedSettings) {
    const struct {
        const char* settings;
        bool active;
        int period;
    } cases[] = {
        {"", true, 1000},
        {"RefreshInterval=00:00:05\n", true, 5000},
        {"RefreshInterval=0\n", false, 0},  // a period of 0 never ticks
        {"RealTime=0\n", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        TMemIniFile ini;
        ini.SetText(std::string("[GraphList0]\nST1,AIR=1\n[GraphList0Settings]\n") + c.settings);
        TfrmChartTab page;
        page.LoadFromWorkspace(ini, "GraphList0");
        EXPECT_TRUE(page.HasSensor("ST1", "AIR"));
        EXPECT_EQ(page.timerRefresh().isActive(), c.active);
        if (c.active) {
            EXPECT_EQ(page.timerRefresh().interval(), c.period);
        }
    }
}

TEST_F(ChartTabTest, SettingsDialogOpensWithThePageValues) {
    TChartSettings& s = page_.Core().Settings();
    s.Interval = 1.5;
    s.RefreshInterval = 1 + 5.0 / 86400;
    s.ShowAxes = true;
    s.RealTime = false;
    s.YAxisMin = -2.5;
    EditSettings(
        [](TfrmOptions& d) {
            EXPECT_EQ(d.edtDisplayIntervalDay->text(), "1");
            EXPECT_EQ(d.valedtDisplayIntervalTime->text(), "12:00:00");
            EXPECT_EQ(d.valedtRefreshInterval->text(), "00:00:05");
            EXPECT_TRUE(d.rbtMultiAxes->isChecked());
            EXPECT_TRUE(d.rbtHistorical->isChecked());
            EXPECT_EQ(d.edtRangeMin->text(), "-2.5");
            EXPECT_EQ(d.edtRangeMax->text(), "100");
            EXPECT_TRUE(d.chkRangeAuto->isChecked());
            EXPECT_FALSE(d.chkIndiRange->isEnabled());
            EXPECT_FALSE(d.edtRangeMin->isEnabled());
        },
        true);
    EXPECT_DOUBLE_EQ(s.RefreshInterval, 5.0 / 86400);
    EXPECT_DOUBLE_EQ(s.Interval, 1.5);
    EXPECT_DOUBLE_EQ(s.MaxTime, 7.5);
    EXPECT_FALSE(page_.timerRefresh().isActive());
}

TEST_F(ChartTabTest, SettingsDialogChangesThePage) {
    page_.AddSensor("ST1", "AIR");
    page_.AddSensor("ST1", "HUM");
    page_.Core().Settings().MaxTime = 30;  // from the workspace: replaced
    EditSettings([](TfrmOptions& d) {
        d.rbtMultiAxes->click();
        d.edtDisplayIntervalDay->setText(" 2 ");
        d.valedtDisplayIntervalTime->setText("06:00:00");
        d.valedtRefreshInterval->setText("00:00:02");
        d.chkRangeAuto->click();  // off
        d.edtRangeMin->setText("abc");
        d.edtRangeMax->setText("55.5");
        d.chkLinePointer->click();  // off
    });
    const TChartSettings& s = page_.Core().Settings();
    EXPECT_TRUE(s.ShowAxes);
    EXPECT_TRUE(page_.Chart().Axis(page_.Chart().CustomAxisId(1))->Visible());
    EXPECT_DOUBLE_EQ(s.Interval, 2.25);
    EXPECT_DOUBLE_EQ(s.MaxTime, 11.25);
    EXPECT_FALSE(s.AutoRange);
    EXPECT_EQ(s.YAxisMin, 0);
    EXPECT_EQ(s.YAxisMax, 55.5);
    EXPECT_FALSE(page_.Chart().Series(0).MarkerVisible());
    const TChartAxis& axis = *page_.Chart().Axis(page_.Chart().CustomAxisId(0));
    EXPECT_DOUBLE_EQ(axis.Minimum(), 0);
    EXPECT_DOUBLE_EQ(axis.Maximum(), 55.5);
    EXPECT_TRUE(page_.timerRefresh().isActive());
    EXPECT_EQ(page_.timerRefresh().interval(), 2000);
    // The time labels follow the new window at the next layout.
    EXPECT_EQ(page_.Chart().BottomAxis().DateTimeFormat(), "hh:nn:ss");
    page_.Core().LayoutAxes();
    EXPECT_EQ(page_.Chart().BottomAxis().DateTimeFormat(), "mm/dd/yyyy hh:nn:ss");

    // Cancel changes nothing.
    EditSettings([](TfrmOptions& d) { d.rbtSingleAxis->click(); }, false);
    EXPECT_TRUE(page_.Core().Settings().ShowAxes);
}

TEST_F(ChartTabTest, UnusableIntervalsInTheDialog) {
    const struct {
        const char* days;
        const char* time;
        double interval;
    } cases[] = {
        {"abc", "02:00:00", 1.0 / 24},
        {"0", "00:00:00", 1.0 / 24},  // no width: one hour
        {"-1", "02:00:00", 1.0 / 24},
        {"0", "00:30:00", 1.0 / 48},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.days);
        EditSettings([&](TfrmOptions& d) {
            d.edtDisplayIntervalDay->setText(c.days);
            d.valedtDisplayIntervalTime->setText(c.time);
        });
        EXPECT_DOUBLE_EQ(page_.Core().Settings().Interval, c.interval);
    }
    // A refresh time that does not convert stops the OK steps with an error;
    // the axis style was already taken.
    EditSettings([](TfrmOptions& d) {
        d.rbtMultiAxes->click();
        d.valedtRefreshInterval->SetNoRangeChecking(true);
        d.valedtRefreshInterval->setText("25:00:00");
        d.rbtHistorical->click();
    });
    EXPECT_EQ(errors_.size(), 1);
    EXPECT_TRUE(page_.Core().Settings().ShowAxes);
    EXPECT_TRUE(page_.Core().Settings().RealTime);
}

TEST_F(ChartTabTest, BestViewAndIndividualRangesDoNotCombineWithoutAutoRange) {
    TChartSettings& s = page_.Core().Settings();
    s.AutoRange = false;
    s.BestView = true;
    s.IndiRange = true;
    EditSettings([](TfrmOptions& d) {
        EXPECT_FALSE(d.chkBestView->isChecked());
        EXPECT_FALSE(d.edtRangeMin->isEnabled());
        d.chkBestView->click();
        EXPECT_FALSE(d.chkBestView->isChecked());
    });
    EXPECT_FALSE(s.BestView);
    EXPECT_TRUE(s.IndiRange);
}

// A click on a check box's indicator, as the operator does.
void Click(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

TEST(Options, RangePolicyRules) {
    TfrmOptions d;
    TChartSettings s;
    s.AutoRange = false;
    s.BestView = true;
    d.Fill(s);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    EXPECT_TRUE(d.chkBestView->isChecked());
    EXPECT_TRUE(d.edtRangeMax->isEnabled());
    // Individual ranges: no range edits, no best view.
    Click(d.chkIndiRange);
    EXPECT_TRUE(d.chkIndiRange->isChecked());
    EXPECT_FALSE(d.chkBestView->isChecked());
    EXPECT_FALSE(d.edtRangeMin->isEnabled());
    // Auto range greys the individual option and both edits.
    Click(d.chkRangeAuto);
    EXPECT_FALSE(d.chkIndiRange->isEnabled());
    EXPECT_FALSE(d.edtRangeMin->isEnabled());
    EXPECT_FALSE(d.edtRangeMax->isEnabled());
    // With auto range on, best view and individual ranges combine.
    Click(d.chkBestView);
    EXPECT_TRUE(d.chkBestView->isChecked());
    // Auto off again with individual still on: edits stay off, best view goes.
    Click(d.chkRangeAuto);
    EXPECT_TRUE(d.chkIndiRange->isEnabled());
    EXPECT_FALSE(d.edtRangeMin->isEnabled());
    EXPECT_FALSE(d.chkBestView->isChecked());
    Click(d.chkIndiRange);
    EXPECT_TRUE(d.edtRangeMin->isEnabled());
}

TEST(Options, DaySpinButton) {
    TfrmOptions d;
    QStringList errors;
    d.SetErrorReporter([&](QWidget*, const QString& text) { errors << text; });
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    const struct {
        const char* text;
        bool up;
        const char* result;
    } cases[] = {{"365", true, "0"}, {"0", false, "365"}, {"7", true, "8"}, {"400", false, "399"}};
    for (const auto& c : cases) {
        d.edtDisplayIntervalDay->setText(c.text);
        QTest::mouseClick(c.up ? d.btnDaysUp : d.btnDaysDown, Qt::LeftButton);
        EXPECT_EQ(d.edtDisplayIntervalDay->text(), c.result) << c.text;
    }
    d.edtDisplayIntervalDay->setText("x1");
    QTest::mouseClick(d.btnDaysUp, Qt::LeftButton);
    EXPECT_EQ(d.edtDisplayIntervalDay->text(), "x1");
    EXPECT_EQ(errors, QStringList{"Error ???: Invalid day value"});
}

TEST(Options, EveryControlIsNamed) {
    TfrmOptions d;
    EXPECT_EQ(d.windowTitle(), "Graph Options");
    EXPECT_EQ(d.valedtRefreshInterval->Default(), "00:00:01");
    EXPECT_EQ(d.valedtDisplayIntervalTime->Default(), "00:00:00");
    for (QWidget* w : d.findChildren<QWidget*>()) {
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QCheckBox*>(w) ||
            qobject_cast<QRadioButton*>(w) || qobject_cast<QAbstractButton*>(w)) {
            EXPECT_FALSE(w->objectName().isEmpty()) << w->metaObject()->className();
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        }
    }
}

class ValidEditTest : public ::testing::Test {
protected:
    ValidEditTest() {
        box_ = new TValidEdit(&host_);
        box_->setObjectName("valedtRefreshInterval");
        box_->SetValidate(TValidEditFormat::veTime);
        box_->SetDefault("00:00:01");
        other_ = new QLineEdit(&host_);
        other_->move(0, 40);
        box_->setGeometry(10, 10, 80, 24);
        QObject::connect(box_, &TValidEdit::beeped, [this] { ++beeps_; });
        host_.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&host_));
        host_.activateWindow();
        box_->setFocus();
    }
    void At(const QString& text, int caret) {
        box_->setText(text);
        box_->setCursorPosition(caret);
    }

    QWidget host_;
    TValidEdit* box_;
    QLineEdit* other_;
    int beeps_ = 0;
};

TEST_F(ValidEditTest, TypingOverwritesCheckedCharacters) {
    EXPECT_EQ(box_->text(), "00:00:00");  // the format's own default text
    At("00:00:00", 3);
    QTest::keyClick(box_, Qt::Key_7);  // 00:70:00 fails
    EXPECT_EQ(box_->text(), "00:00:00");
    EXPECT_EQ(beeps_, 1);
    QTest::keyClick(box_, Qt::Key_5);
    EXPECT_EQ(box_->text(), "00:50:00");
    QTest::keyClick(box_, Qt::Key_9);
    QTest::keyClick(box_, Qt::Key_1);  // over the separator into the seconds
    EXPECT_EQ(box_->text(), "00:59:10");
    QTest::keyClick(box_, Qt::Key_A);
    EXPECT_EQ(box_->text(), "00:59:10");
    EXPECT_EQ(beeps_, 2);
    At("00:59:10", 8);  // beyond the end
    QTest::keyClick(box_, Qt::Key_1);
    EXPECT_EQ(box_->text(), "00:59:10");
    EXPECT_EQ(beeps_, 3);
}

TEST_F(ValidEditTest, ArrowsStepTheFieldUnderTheCaret) {
    const struct {
        const char* text;
        int caret;
        Qt::Key key;
        const char* result;
        int beeps;
    } cases[] = {
        {"00:00:00", 7, Qt::Key_Down, "00:00:00", 0},
        {"00:00:59", 7, Qt::Key_Up, "00:01:00", 0},
        {"00:59:30", 4, Qt::Key_Up, "01:00:30", 0},
        {"99:10:00", 1, Qt::Key_Up, "99:10:00", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        beeps_ = 0;
        At(c.text, c.caret);
        QTest::keyClick(box_, c.key);
        EXPECT_EQ(box_->text(), c.result);
        EXPECT_EQ(beeps_, c.beeps);
    }
    // The stepped field is selected: the next step stays in it.
    At("00:00:58", 7);
    QTest::keyClick(box_, Qt::Key_Up);
    QTest::keyClick(box_, Qt::Key_Up);
    EXPECT_EQ(box_->text(), "00:01:00");
    EXPECT_EQ(box_->selectedText(), "00");
}

TEST_F(ValidEditTest, BackspaceAndSpaceMoveTheCaret) {
    At("12:34:56", 3);
    QTest::keyClick(box_, Qt::Key_Backspace);  // left, over the separator
    EXPECT_EQ(box_->text(), "12:34:56");
    EXPECT_EQ(box_->Caret(), 1);
    QTest::keyClick(box_, Qt::Key_Space);
    QTest::keyClick(box_, Qt::Key_Space);
    EXPECT_EQ(box_->Caret(), 4);
    EXPECT_EQ(box_->selectedText(), "4");
    box_->setSelection(0, 5);
    QTest::keyClick(box_, Qt::Key_Right);
    EXPECT_EQ(box_->selectionStart(), 4);
    EXPECT_EQ(box_->selectedText(), "4");
    box_->setSelection(3, 5);
    QTest::keyClick(box_, Qt::Key_Left);
    EXPECT_EQ(box_->selectionStart(), 3);
    EXPECT_EQ(box_->selectedText(), "3");
}

TEST_F(ValidEditTest, DeleteResetsToTheDefaultAndKeepsTheSelection) {
    At("12:34:56", 0);
    box_->setSelection(3, 2);
    QTest::keyClick(box_, Qt::Key_Delete);
    EXPECT_EQ(box_->text(), "00:00:01");
    EXPECT_EQ(QApplication::clipboard()->text(), "34");
    EXPECT_EQ(box_->Caret(), 3);
}

TEST_F(ValidEditTest, PasteIsChecked) {
    QApplication::clipboard()->setText("12:34:56");
    At("00:00:00", 0);
    QTest::keyClick(box_, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box_->text(), "12:34:56");
    QApplication::clipboard()->setText("word");
    At("00:11:00", 3);
    QTest::keyClick(box_, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box_->text(), "00:11:00");
    EXPECT_EQ(box_->Caret(), 3);
    box_->PasteText("75");  // canonical form
    EXPECT_EQ(box_->text(), "01:15:00");
}

TEST_F(ValidEditTest, TheSpinButtonLivesWhileTheBoxHasTheFocus) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return box_->hasFocus(); }));
    QWidget* spin = box_->SpinButton();
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->parentWidget(), &host_);
    EXPECT_EQ(spin->geometry(), QRect(89, 10, 16, 24));
    At("00:00:09", 7);
    QTest::mouseClick(spin->findChild<QToolButton*>("btnUp"), Qt::LeftButton);
    EXPECT_EQ(box_->text(), "00:00:10");
    EXPECT_TRUE(box_->hasFocus());
    other_->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !box_->SpinButton(); }));
    EXPECT_EQ(host_.findChildren<QToolButton*>().size(), 0);
}

TEST_F(ValidEditTest, Alignment) {
    EXPECT_EQ(box_->Alignment(), Qt::AlignLeft);
    box_->SetAlignment(Qt::AlignRight);
    EXPECT_EQ(box_->Alignment(), Qt::AlignRight);
    box_->SetAlignment(Qt::AlignHCenter);
    EXPECT_EQ(box_->Alignment(), Qt::AlignHCenter);
}

TEST(SelectSeries, OkNeedsACurrentEntry) {
    TChart chart;
    chart.AddSeries("ST1.AIR");
    chart.AddSeries("ST1.HUM");
    TfrmSelectSeries d;
    d.SetChart(&chart);
    d.show();
    ASSERT_EQ(d.LBSeries->count(), 2);
    EXPECT_EQ(d.LBSeries->item(1)->text(), "ST1.HUM");
    d.LBSeries->setCurrentRow(-1);
    QTest::mouseClick(d.btnOK, Qt::LeftButton);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.ChosenSeries(), nullptr);

    d.LBSeries->setCurrentRow(1);
    QTest::mouseClick(d.btnClear, Qt::LeftButton);
    EXPECT_TRUE(d.SelectedPositions().empty());
    EXPECT_TRUE(d.isVisible());
    QTest::mouseClick(d.btnOK, Qt::LeftButton);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.ChosenSeries(), &chart.Series(1));
}

// Pictures of a page fed with readings, for a person to look at.
TEST_F(ChartTabTest, Screenshots) {
    const QByteArray dir = qgetenv("QX_CHARTPAGE_SCREENSHOTS");
    if (dir.isEmpty()) GTEST_SKIP() << "set QX_CHARTPAGE_SCREENSHOTS to a folder for pictures";
    const char* sensors[] = {"AIR", "HUM", "WIND", "PRESS"};
    for (const char* s : sensors) page_.AddSensor("ST1", s);
    for (int i = 0; i <= 600; ++i) {
        const double t = kT0 - 50 * kMinute + i * 5.0 / 86400;
        const double x = i / 60.0;
        Show("AIR", t, std::to_string(18 + 3 * std::sin(x)));
        Show("HUM", t, std::to_string(60 + 10 * std::cos(x / 2)));
        Show("WIND", t, std::to_string(4 + 2 * std::sin(x * 3) * std::sin(x)));
        Show("PRESS", t, std::to_string(1013 + x));
    }
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(37, 37, 38));
    dark.setColor(QPalette::WindowText, QColor(220, 220, 220));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(220, 220, 220));
    dark.setColor(QPalette::Mid, QColor(80, 80, 80));
    const QPalette light = QApplication::palette();
    page_.show();
    for (bool multi : {false, true}) {
        page_.Core().Settings().ShowAxes = multi;
        page_.Core().LayoutAxes();
        for (bool isDark : {false, true}) {
            QApplication::setPalette(isDark ? dark : light);
            for (QSize size : {QSize(640, 360), QSize(1280, 720)}) {
                page_.resize(size);
                QCoreApplication::processEvents();
                const QString name = QStringLiteral("%1/chart-%2-%3-%4.png")
                                         .arg(QString::fromLocal8Bit(dir))
                                         .arg(multi ? "multi" : "single")
                                         .arg(isDark ? "dark" : "light")
                                         .arg(size.width());
                EXPECT_TRUE(page_.grab().save(name)) << name.toStdString();
            }
        }
    }
    QApplication::setPalette(light);
}

}  // namespace
}  // namespace qx
