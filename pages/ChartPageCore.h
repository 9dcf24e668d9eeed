// The chart page's rules, without a widget: its settings, one line series
// with its own custom axis per watched sensor, the two display styles, the
// refresh tick that scrolls the time axis and drops old points, the axis
// layout of single-axis and multi-axes mode, the range policy and the
// workspace keys. It works on a chart model it does not own; the widget
// (ChartTab.h) shows that chart.
//
// Every real-time reading asks for the axes to be laid out and ranged again.
// That work is deferred: a reading only marks it pending, and Settle does it
// once before the next frame is drawn, with the same picture as doing it per
// reading.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "chart/Chart.h"
#include "readings/SensorReading.h"

namespace qx {

class TMemIniFile;
class TWatchTab;

inline constexpr double kOneSecond = 1.0 / 86400.0;
inline constexpr double kOneHour = 1.0 / 24.0;

// The graph settings; all times are spans in days.
struct TChartSettings {
    bool ShowAxes = false;                // multi-axes mode
    bool RealTime = true;                 // false: historical display style
    double RefreshInterval = kOneSecond;  // period of the refresh timer
    double Interval = kOneHour;           // width of the visible time window
    double MaxTime = 5 * kOneHour;        // history kept behind the newest time
    bool ShowPointer = true;              // point markers on the lines
    bool AutoRange = true;                // vertical ranges follow the data
    bool BestView = false;                // pad ranges by a tenth of their span
    bool IndiRange = false;               // each axis uses its individual range
    double YAxisMin = 0;                  // the fixed range
    double YAxisMax = 100;
};

// The marker styles new series take in turn.
inline constexpr TMarkerStyle kMarkerCycle[10] = {
    TMarkerStyle::Rectangle,     TMarkerStyle::Circle,  TMarkerStyle::Triangle,
    TMarkerStyle::DownTriangle,  TMarkerStyle::Cross,   TMarkerStyle::DiagonalCross,
    TMarkerStyle::Star,          TMarkerStyle::Diamond, TMarkerStyle::LeftTriangle,
    TMarkerStyle::RightTriangle,
};

// Leading and trailing blanks and control characters removed.
std::string_view TrimControls(std::string_view text);

// The series title of a sensor: trimmed station "." trimmed sensor.
std::string SeriesTitle(std::string_view station, std::string_view sensor);

// Milliseconds between refresh ticks: the interval rounded to whole
// milliseconds, capped at what a timer holds. 0 (also for a negative or
// unusable interval) means the timer never ticks.
int RefreshPeriodMs(double refreshInterval);

// The label format of the time axis: date and time for windows longer than
// a day, else the time alone.
const char* TimeAxisFormat(double interval);

class TChartPageCore {
public:
    using Clock = std::function<TDateTime()>;

    // now: the local date-time (default: the system clock, to the millisecond).
    explicit TChartPageCore(TChart& chart, Clock now = {});

    TChart& Chart() { return chart_; }
    const TChartSettings& Settings() const { return settings_; }
    TChartSettings& Settings() { return settings_; }
    TDateTime Now() const { return now_(); }

    // The state of a new page: creation settings, no series, no axes, the
    // time axis' labels.
    void Reset();

    // A series titled by the sensor with its own custom axis, the next
    // marker style, then the time axis set to the window ending now and
    // the axes laid out.
    TChartSeries& AddSensor(const std::string& Station, const std::string& Sensor);
    bool HasSensor(std::string_view Station, std::string_view Sensor) const;
    int PointerStyleIndex() const { return pointerStyleIndex_; }

    // Adds the reading to every series of its sensor as the display style
    // says. Returns whether a point was added.
    bool ShowReading(const SensorReading& Reading);
    // The value text as a number (0 when it is not a finite number).
    static void AddPoint(TChartSeries& series, std::string_view value, TDateTime time);

    // One tick of the refresh timer: in real time and not paused, the time
    // axis scrolls to the newest time (or now) and points older than
    // MaxTime before it are dropped.
    void RefreshTick(bool paused);

    // Stacks the axes (multi-axes mode) or draws every series against the
    // left axis, sets the margin and the time labels, then ApplyRanges.
    void LayoutAxes();
    // The range policy and the markers, for every series' axis and the
    // left axis.
    void ApplyRanges();
    // Layout and ranges asked for by readings since the last Settle, done
    // now. Returns whether there was any.
    bool Settle();
    bool LayoutPending() const { return layoutPending_; }

    // Removes the series at the given positions (any order, duplicates and
    // positions out of range ignored) with their axes, then LayoutAxes.
    // The individual ranges stay with the positions.
    void RemoveSeries(std::vector<int> positions);

    // The individual range of the series at a position. Entries exist for
    // every position a series holds (and any set beyond); unset ones are 0.
    double IndiMin(int position) const;
    double IndiMax(int position) const;
    void SetIndividualRange(int position, double min, double max);

    // The workspace keys: one integer key per series (its title with every
    // "." as ","), and the settings under Section + "Settings". Errors end
    // the save silently.
    void SaveToWorkspace(TMemIniFile& Ini, const std::string& Section) const;
    // Adds the section's keys through the page's own AddSensor, reads the
    // settings, then ApplyRanges and LayoutAxes. The caller sets the timer.
    void LoadFromWorkspace(TWatchTab& page, TMemIniFile& Ini, const std::string& Section);

private:
    // The positions of the series of a sensor; null when it has none.
    const std::vector<int>* PositionsOf(std::string_view station, std::string_view sensor) const;
    void IndexTitles();
    void SetTimeRange(double a, double b);
    void SetPaddedRange(TChartAxis& axis, double a, double b);
    void ApplyPolicy(TChartAxis& axis, int position);

    TChart& chart_;
    Clock now_;
    TChartSettings settings_;
    int pointerStyleIndex_ = 0;
    std::vector<double> indiMin_;
    std::vector<double> indiMax_;
    bool layoutPending_ = false;
    // Upper-cased title to series positions, rebuilt when series come or go.
    std::unordered_map<std::string, std::vector<int>> titles_;
    mutable std::string key_;  // the lookup key, reused by every reading
};

}  // namespace qx
