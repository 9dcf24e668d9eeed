#include "pages/ChartTab.h"

#include <QCheckBox>
#include <QEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

#include "chart/Chart.h"
#include "chart/ChartView.h"
#include "pages/Options.h"
#include "pages/SelectSeries.h"
#include "pages/TimeText.h"
#include "pages/ValidEdit.h"
#include "textscan/AsciiText.h"
#include "textscan/Diagnostics.h"

namespace qx {

namespace {

void ShowErrorBox(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace

TfrmChartTab::TfrmChartTab(QWidget* parent, TChartPageCore::Clock now)
    : QWidget(parent),
      chart_(std::make_unique<TChart>()),
      core_(std::make_unique<TChartPageCore>(*chart_, std::move(now))),
      teeGraph_(new TChartView(chart_.get(), this)),
      runDialog_([](QDialog& dialog) { return dialog.exec(); }),
      reportError_(&ShowErrorBox) {
    setObjectName(QStringLiteral("frmChartTab"));
    setAccessibleName(QStringLiteral("Chart page"));
    teeGraph_->setObjectName(QStringLiteral("teeGraph"));
    teeGraph_->setAccessibleName(QStringLiteral("Chart"));
    // Ranges and layout asked for by readings are worked out once, just
    // before the chart paints.
    teeGraph_->installEventFilter(this);

    timerRefresh_.setObjectName(QStringLiteral("timerRefresh"));
    connect(&timerRefresh_, &QTimer::timeout, this, &TfrmChartTab::timerRefreshTimer);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(teeGraph_, 1);
}

TfrmChartTab::~TfrmChartTab() {
    // The view shows the chart this page owns: it goes first.
    delete teeGraph_;
}

bool TfrmChartTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == teeGraph_ && event->type() == QEvent::Paint) {
        try {
            core_->Settle();
        } catch (...) {
            LogCaught(diagnostics::Pages, "TfrmChartTab: settling the axes");
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmChartTab::AddSensor(const std::string& Station, const std::string& Sensor) {
    core_->AddSensor(Station, Sensor);
}

bool TfrmChartTab::HasSensor(const std::string& Station, const std::string& Sensor) {
    return core_->HasSensor(Station, Sensor);
}

void TfrmChartTab::ShowReading(const SensorReading& Reading) {
    core_->ShowReading(Reading);
}

void TfrmChartTab::RemoveSensors() {
    TfrmSelectSeries dialog(this);
    dialog.SetChart(chart_.get());
    if (runDialog_(dialog) != QDialog::Accepted) return;
    core_->RemoveSeries(dialog.SelectedPositions());
}

void TfrmChartTab::SaveToWorkspace(TMemIniFile& Ini, const std::string& Section) {
    core_->SaveToWorkspace(Ini, Section);
}

void TfrmChartTab::LoadFromWorkspace(TMemIniFile& Ini, const std::string& Section) {
    try {
        core_->LoadFromWorkspace(*this, Ini, Section);
    } catch (...) {
        LogCaught(diagnostics::Pages, "TfrmChartTab::LoadFromWorkspace");
    }
    ApplyTimer();
}

void TfrmChartTab::ApplyTimer() {
    const TChartSettings& s = core_->Settings();
    const int period = RefreshPeriodMs(s.RefreshInterval);
    // A timer of period 0 would fire without pause; the page's never ticks.
    if (s.RealTime && period > 0)
        timerRefresh_.start(period);
    else
        timerRefresh_.stop();
}

void TfrmChartTab::timerRefreshTimer() {
    core_->RefreshTick(Paused);
}

void TfrmChartTab::EditSettings() {
    TfrmOptions dialog(this);
    dialog.SetErrorReporter(reportError_);
    dialog.Fill(core_->Settings());
    if (runDialog_(dialog) != QDialog::Accepted) return;
    try {
        ApplyOptions(dialog);
    } catch (...) {
        LogCaught(diagnostics::Pages, "TfrmChartTab::EditSettings");
    }
}

void TfrmChartTab::ApplyOptions(const TfrmOptions& dialog) {
    TChartSettings& s = core_->Settings();
    const bool showAxes = dialog.AxisStyle() == 1;
    if (showAxes != s.ShowAxes) {
        s.ShowAxes = showAxes;
        core_->LayoutAxes();
    }
    const QString refreshText = dialog.valedtRefreshInterval->text();
    const auto refresh = TimeTextToDays(refreshText.toStdString());
    if (!refresh) {
        reportError_(this, QStringLiteral("'%1' is not a valid time").arg(refreshText));
        return;
    }
    s.RefreshInterval = *refresh;
    const auto days = IntegerText(dialog.edtDisplayIntervalDay->text().toStdString());
    const auto time = TimeTextToDays(dialog.valedtDisplayIntervalTime->text().toStdString());
    s.Interval = days && time ? static_cast<double>(*days) + *time : kOneHour;
    // A window of no width (or less) would never show a reading.
    if (!(s.Interval > 0)) s.Interval = kOneHour;
    s.MaxTime = 5 * s.Interval;
    s.RealTime = dialog.DisplayStyle() == 0;
    s.ShowPointer = dialog.chkLinePointer->isChecked();
    s.BestView = dialog.chkBestView->isChecked();
    s.IndiRange = dialog.chkIndiRange->isChecked();
    s.AutoRange = dialog.chkRangeAuto->isChecked();
    s.YAxisMin = ReadingValueNumber(dialog.edtRangeMin->text().toStdString());
    s.YAxisMax = ReadingValueNumber(dialog.edtRangeMax->text().toStdString());
    core_->ApplyRanges();
    ApplyTimer();
}

}  // namespace qx
