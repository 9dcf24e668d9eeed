// The chart page: a time chart with one line per watched sensor. The rules
// live in TChartPageCore; this widget shows its chart in a TChartView,
// runs the refresh timer, and opens the graph settings and series
// selection dialogs for the page operations.
#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

#include "pages/ChartPageCore.h"
#include "pages/WatchTab.h"

class QDialog;

namespace qx {

class TChart;
class TChartView;
class TfrmOptions;

class TfrmChartTab : public QWidget, public TWatchTab {
    Q_OBJECT

public:
    // Runs a modal dialog and returns its result (default: exec).
    using DialogRunner = std::function<int(QDialog& dialog)>;
    // Shows an error to the operator (default: an error box with OK).
    using ErrorReporter = std::function<void(QWidget* parent, const QString& text)>;

    // now: the local date-time (default: the system clock).
    explicit TfrmChartTab(QWidget* parent = nullptr, TChartPageCore::Clock now = {});
    ~TfrmChartTab() override;

    void SetDialogRunner(DialogRunner runner) { runDialog_ = std::move(runner); }
    void SetErrorReporter(ErrorReporter reporter) { reportError_ = std::move(reporter); }

    void AddSensor(const std::string& Station, const std::string& Sensor) override;
    // Asks which series to remove and removes them with their axes.
    void RemoveSensors() override;
    void ShowReading(const SensorReading& Reading) override;
    void SaveToWorkspace(TMemIniFile& Ini, const std::string& Section) override;
    void LoadFromWorkspace(TMemIniFile& Ini, const std::string& Section) override;
    bool HasSensor(const std::string& Station, const std::string& Sensor) override;
    // The Graph Options dialog; on OK its values become the page's.
    void EditSettings() override;
    bool HasSettings() override { return true; }

    // What the page's operations work on.
    TChartPageCore& Core() { return *core_; }
    TChart& Chart() { return *chart_; }
    TChartView* teeGraph() const { return teeGraph_; }
    QTimer& timerRefresh() { return timerRefresh_; }

    // Starts the refresh timer at the period of RefreshInterval when the
    // page shows real time (a period of 0 never ticks), else stops it.
    void ApplyTimer();
    // One tick of the refresh timer.
    void timerRefreshTimer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The dialog's values, in the order they take effect.
    void ApplyOptions(const TfrmOptions& dialog);

    std::unique_ptr<TChart> chart_;
    std::unique_ptr<TChartPageCore> core_;
    TChartView* teeGraph_;
    QTimer timerRefresh_;
    DialogRunner runDialog_;
    ErrorReporter reportError_;
};

}  // namespace qx
