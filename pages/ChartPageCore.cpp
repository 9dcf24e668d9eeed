#include "pages/ChartPageCore.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <ctime>
#include <stdexcept>

#include "pages/WatchTab.h"
#include "textscan/AsciiText.h"
#include "textscan/Diagnostics.h"
#include "textscan/Regional.h"
#include "textscan/ScanFormatted.h"
#include "workspace/MemIniFile.h"

namespace qx {

namespace {

constexpr bool IsControlOrBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

// The local date-time to the millisecond.
TDateTime SystemNow() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) return 0;
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    return SecondsToDateTime(DateTimeSeconds(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                             local.tm_hour, local.tm_min, local.tm_sec)) +
           static_cast<double>(ms < 0 ? ms + 1000 : ms) / 86400000.0;
}

void AppendUpper(std::string& out, std::string_view text) {
    for (char c : text) out += AsciiUpper(c);
}

}  // namespace

std::string_view TrimControls(std::string_view text) {
    while (!text.empty() && IsControlOrBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsControlOrBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string SeriesTitle(std::string_view station, std::string_view sensor) {
    std::string title(TrimControls(station));
    title += '.';
    title += TrimControls(sensor);
    return title;
}

int RefreshPeriodMs(double refreshInterval) {
    const double ms = std::round(refreshInterval * 1000 * 60 * 60 * 24);
    if (!std::isfinite(ms) || ms <= 0) return 0;
    return ms >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(ms);
}

const char* TimeAxisFormat(double interval) {
    return interval > 1 ? "mm/dd/yyyy hh:nn:ss" : "hh:nn:ss";
}

TChartPageCore::TChartPageCore(TChart& chart, Clock now)
    : chart_(chart), now_(now ? std::move(now) : Clock(&SystemNow)) {
    Reset();
}

void TChartPageCore::Reset() {
    settings_ = TChartSettings{};
    pointerStyleIndex_ = 0;
    indiMin_.clear();
    indiMax_.clear();
    layoutPending_ = false;
    chart_.ClearSeries();
    chart_.ClearCustomAxes();
    titles_.clear();

    const TRegionalSettings& regional = Regional();
    chart_.SetSeparators(regional.DecimalSeparator, regional.DecimalSeparator == ',' ? '.' : ',',
                         regional.DateSeparator, regional.TimeSeparator);
    chart_.RightAxis().SetVisible(false);
    chart_.TopAxis().SetVisible(false);
    chart_.SetLegendVisible(true);
    TChartAxis& left = chart_.LeftAxis();
    left.SetValueFormat("###0.00");
    left.SetIncrement(0.01);

    TChartAxis& bottom = chart_.BottomAxis();
    bottom.SetDateTime(true);
    bottom.SetDateTimeFormat(TimeAxisFormat(settings_.Interval));
    bottom.SetMultiLineLabels(false);
    bottom.SetLabelAngle(90);
    // An empty page already shows the window that ends now.
    const TDateTime now = Now();
    SetTimeRange(now - settings_.Interval, now);
}

TChartSeries& TChartPageCore::AddSensor(const std::string& Station, const std::string& Sensor) {
    TChartSeries& series = chart_.AddSeries(SeriesTitle(Station, Sensor));
    series.SetActive(true);
    series.SetMarkerStyle(kMarkerCycle[pointerStyleIndex_]);
    pointerStyleIndex_ = (pointerStyleIndex_ + 1) % 10;
    series.SetMarkerVisible(settings_.ShowPointer);

    const TAxisId id = chart_.AddCustomAxis();
    TChartAxis& axis = *chart_.Axis(id);
    axis.SetPositionPercent(0);
    axis.SetStartPosition(0);
    axis.SetEndPosition(100);
    axis.SetTickColor(series.Color());
    axis.SetLineColor(series.Color());
    axis.SetLabelColor(series.Color());
    axis.SetIncrement(0.01);
    axis.SetValueFormat("###0.00");
    axis.SetVisible(settings_.ShowAxes);
    series.SetVerticalAxis(settings_.ShowAxes ? id : kLeftAxis);
    IndexTitles();

    const TDateTime now = Now();
    SetTimeRange(now - settings_.Interval, now);
    LayoutAxes();
    return series;
}

bool TChartPageCore::HasSensor(std::string_view Station, std::string_view Sensor) const {
    return PositionsOf(Station, Sensor) != nullptr;
}

const std::vector<int>* TChartPageCore::PositionsOf(std::string_view station,
                                                    std::string_view sensor) const {
    key_.clear();
    AppendUpper(key_, TrimControls(station));
    key_ += '.';
    AppendUpper(key_, TrimControls(sensor));
    const auto it = titles_.find(key_);
    return it == titles_.end() ? nullptr : &it->second;
}

void TChartPageCore::IndexTitles() {
    titles_.clear();
    for (int i = 0; i < chart_.SeriesCount(); ++i)
        titles_[UpperAscii(chart_.Series(i).Title())].push_back(i);
}

void TChartPageCore::AddPoint(TChartSeries& series, std::string_view value, TDateTime time) {
    series.AddXY(time, ReadingValueNumber(TrimControls(value)));
}

bool TChartPageCore::ShowReading(const SensorReading& Reading) {
    const TChartSettings& s = settings_;
    const std::vector<int>* positions = PositionsOf(Reading.Station, Reading.Sensor);
    if (s.RealTime) {
        if (Now() - s.Interval >= Reading.Time || !positions) return false;
        for (int k : *positions) AddPoint(chart_.Series(k), Reading.Value, Reading.Time);
        layoutPending_ = true;  // ApplyRanges and LayoutAxes, once per frame
        return true;
    }

    // Historical: the time axis follows the newest point.
    double lo = Now();
    double hi = 0;
    for (int k = 0; k < chart_.SeriesCount(); ++k) {
        const TChartSeries& series = chart_.Series(k);
        if (series.Count() == 0) continue;
        lo = std::min(lo, series.FirstX());
        hi = std::max(hi, series.LastX());
    }
    bool added = false;
    if (!(std::max(Reading.Time, hi) - s.MaxTime >= Reading.Time) && positions) {
        for (int k : *positions) AddPoint(chart_.Series(k), Reading.Value, Reading.Time);
        added = true;
    }
    if (added) {
        // On a chart that held no points the window opens at the reading,
        // not at the clock: an old reading would otherwise fall outside it.
        if (hi == 0) lo = Reading.Time;
        const double newest = std::max(Reading.Time, hi);
        if (newest - s.Interval >= lo)
            SetTimeRange(newest - s.Interval, newest);
        else
            SetTimeRange(lo, lo + s.Interval);
    } else if (hi == 0) {
        hi = Reading.Time;
        SetTimeRange(Reading.Time, Reading.Time + s.Interval);
    }
    for (int k = 0; k < chart_.SeriesCount(); ++k) chart_.Series(k).TrimBefore(hi - s.MaxTime);
    return added;
}

void TChartPageCore::RefreshTick(bool paused) {
    if (!settings_.RealTime || paused) return;
    const TDateTime now = Now();
    double hi = now;
    double lo = now;
    for (int k = 0; k < chart_.SeriesCount(); ++k) {
        const TChartSeries& series = chart_.Series(k);
        if (series.Count() == 0) continue;
        hi = std::max(hi, series.LastX());
        lo = std::min(lo, series.FirstX());
    }
    if (hi - settings_.Interval >= lo)
        SetTimeRange(hi - settings_.Interval, hi);
    else
        SetTimeRange(lo, lo + settings_.Interval);
    for (int k = 0; k < chart_.SeriesCount(); ++k)
        chart_.Series(k).TrimBefore(hi - settings_.MaxTime);
}

void TChartPageCore::SetTimeRange(double a, double b) {
    TChartAxis& bottom = chart_.BottomAxis();
    bottom.SetAutomatic(false);
    bottom.SetMinMax(a, b);
}

void TChartPageCore::LayoutAxes() {
    layoutPending_ = false;
    const int n = chart_.SeriesCount();
    for (int k = 0; k < n && k < chart_.CustomAxisCount(); ++k) {
        const TAxisId id = chart_.CustomAxisId(k);
        TChartAxis& axis = *chart_.Axis(id);
        axis.SetPositionPercent(0);
        axis.SetStartPosition(k * 100.0 / n);
        axis.SetEndPosition((k + 1) * 100.0 / n);
        axis.SetVisible(settings_.ShowAxes);
        chart_.Series(k).SetVerticalAxis(settings_.ShowAxes ? id : kLeftAxis);
    }
    chart_.SetMarginLeft(settings_.ShowAxes ? 6 : 3);
    TChartAxis& bottom = chart_.BottomAxis();
    bottom.SetDateTimeFormat(TimeAxisFormat(settings_.Interval));
    bottom.SetMultiLineLabels(false);
    bottom.SetLabelAngle(90);
    ApplyRanges();
    chart_.Changed();
}

bool TChartPageCore::Settle() {
    if (!layoutPending_) return false;
    LayoutAxes();
    return true;
}

void TChartPageCore::SetPaddedRange(TChartAxis& axis, double a, double b) {
    const double d = std::fabs(b - a) / 10;
    axis.SetAutomatic(false);
    axis.SetMinMax(a - d, b + d);
}

void TChartPageCore::ApplyPolicy(TChartAxis& axis, int position) {
    const TChartSettings& s = settings_;
    auto set = [&axis](double a, double b) {
        axis.SetAutomatic(false);
        axis.SetMinMax(a, b);
    };
    // The extent the axis would take if it were automatic, padded; an axis
    // with no data drawn against it keeps its range.
    auto paddedExtent = [&] {
        axis.SetAutomatic(true);
        const TValueRange r = chart_.Extent(axis.Id());
        axis.SetAutomatic(false);
        if (r.valid) SetPaddedRange(axis, r.min, r.max);
    };
    const bool left = position < 0;
    if (s.BestView) {
        if (s.AutoRange)
            paddedExtent();
        else if (s.IndiRange) {
            if (!left) set(IndiMin(position), IndiMax(position));
        } else
            SetPaddedRange(axis, s.YAxisMin, s.YAxisMax);
    } else if (left) {
        if (s.AutoRange)
            axis.SetAutomatic(true);
        else if (!s.IndiRange)
            set(s.YAxisMin, s.YAxisMax);
    } else {
        if (!s.AutoRange && !s.IndiRange)
            set(s.YAxisMin, s.YAxisMax);
        else if (s.AutoRange)
            axis.SetAutomatic(true);
        else
            set(IndiMin(position), IndiMax(position));
    }
}

void TChartPageCore::ApplyRanges() {
    for (int k = 0; k < chart_.SeriesCount(); ++k) {
        chart_.Series(k).SetMarkerVisible(settings_.ShowPointer);
        if (k < chart_.CustomAxisCount()) ApplyPolicy(*chart_.Axis(chart_.CustomAxisId(k)), k);
    }
    ApplyPolicy(chart_.LeftAxis(), -1);
}

void TChartPageCore::RemoveSeries(std::vector<int> positions) {
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    for (auto it = positions.rbegin(); it != positions.rend(); ++it) {
        const int k = *it;
        if (k < 0 || k >= chart_.SeriesCount()) continue;
        if (k < chart_.CustomAxisCount()) chart_.RemoveCustomAxis(chart_.CustomAxisId(k));
        chart_.RemoveSeries(k);
    }
    IndexTitles();
    LayoutAxes();
}

double TChartPageCore::IndiMin(int position) const {
    return position >= 0 && static_cast<std::size_t>(position) < indiMin_.size()
               ? indiMin_[static_cast<std::size_t>(position)]
               : 0;
}

double TChartPageCore::IndiMax(int position) const {
    return position >= 0 && static_cast<std::size_t>(position) < indiMax_.size()
               ? indiMax_[static_cast<std::size_t>(position)]
               : 0;
}

void TChartPageCore::SetIndividualRange(int position, double min, double max) {
    if (position < 0) return;
    const auto i = static_cast<std::size_t>(position);
    if (i >= indiMin_.size()) {
        indiMin_.resize(i + 1, 0);
        indiMax_.resize(i + 1, 0);
    }
    indiMin_[i] = min;
    indiMax_[i] = max;
}

void TChartPageCore::SaveToWorkspace(TMemIniFile& Ini, const std::string& Section) const {
    try {
        try {
            Ini.EraseSection(Section);
        } catch (...) {
            LogCaught(diagnostics::Pages, "TChartPageCore::SaveToWorkspace: erasing the section");
        }
        for (int k = 0; k < chart_.SeriesCount(); ++k) {
            std::string key = chart_.Series(k).Title();
            std::replace(key.begin(), key.end(), '.', ',');
            try {
                Ini.WriteInteger(Section, key, 1);
            } catch (const std::invalid_argument&) {
                // A name the file cannot hold as a key: only this series is
                // not kept; the later ones and the settings still are.
                LogCaught(diagnostics::Pages, "TChartPageCore::SaveToWorkspace: writing a key");
            }
        }
        const std::string settings = Section + "Settings";
        const TChartSettings& s = settings_;
        Ini.WriteBool(settings, "ShowAxes", s.ShowAxes);
        Ini.WriteBool(settings, "RealTime", s.RealTime);
        Ini.WriteFloat(settings, "RefreshInterval", s.RefreshInterval);
        Ini.WriteFloat(settings, "Interval", s.Interval);
        Ini.WriteFloat(settings, "MaxTime", s.MaxTime);
        Ini.WriteBool(settings, "ShowPointer", s.ShowPointer);
        Ini.WriteBool(settings, "AutoRange", s.AutoRange);
        Ini.WriteBool(settings, "BestView", s.BestView);
        Ini.WriteBool(settings, "IndiRange", s.IndiRange);
        Ini.WriteFloat(settings, "YAxisMin", s.YAxisMin);
        Ini.WriteFloat(settings, "YAxisMax", s.YAxisMax);
    } catch (...) {
        LogCaught(diagnostics::Pages, "TChartPageCore::SaveToWorkspace");
    }
}

void TChartPageCore::LoadFromWorkspace(TWatchTab& page, TMemIniFile& Ini,
                                       const std::string& Section) {
    std::vector<std::string> keys;
    try {
        keys = Ini.ReadSectionKeys(Section);
    } catch (...) {
        LogCaught(diagnostics::Pages, "TChartPageCore::LoadFromWorkspace: reading the keys");
    }
    for (const std::string& key : keys) {
        try {
            std::string station;
            std::string sensor;
            ScanText(key, "%P%P", station, sensor);
            page.AddSensor(station, sensor);
        } catch (...) {
            LogCaught(diagnostics::Pages, "TChartPageCore::LoadFromWorkspace: a key");
        }
    }

    const std::string settings = Section + "Settings";
    TChartSettings& s = settings_;
    s.ShowAxes = Ini.ReadBool(settings, "ShowAxes", false);
    s.RealTime = Ini.ReadBool(settings, "RealTime", true);
    // Older files hold the two spans as date-time texts ("00:00:05").
    auto span = [&](const char* key, double fallback) {
        const double value = Ini.ReadFloat(settings, key, -1);
        return value == -1 ? Ini.ReadDateTime(settings, key, fallback) : value;
    };
    s.RefreshInterval = span("RefreshInterval", kOneSecond);
    s.Interval = span("Interval", kOneHour);
    // A window of no width (or less) would never show a reading.
    if (!(s.Interval > 0)) s.Interval = kOneHour;
    s.MaxTime = Ini.ReadFloat(settings, "MaxTime", 5 * s.Interval);
    s.ShowPointer = Ini.ReadBool(settings, "ShowPointer", true);
    s.AutoRange = Ini.ReadBool(settings, "AutoRange", true);
    s.BestView = Ini.ReadBool(settings, "BestView", true);
    s.IndiRange = Ini.ReadBool(settings, "IndiRange", false);
    s.YAxisMin = Ini.ReadFloat(settings, "YAxisMin", 0);
    s.YAxisMax = Ini.ReadFloat(settings, "YAxisMax", 100);
    ApplyRanges();
    LayoutAxes();
}

}  // namespace qx
