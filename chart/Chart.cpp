#include "chart/Chart.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "chart/ChartFormat.h"

namespace qx {

namespace {

constexpr double kSecond = 1.0 / 86400.0;

double ClampPercent(double percent, double fallback) {
    if (!std::isfinite(percent)) return fallback;
    return std::clamp(percent, 0.0, 100.0);
}

// Ordered, non-empty ends of a range; false when an end is not finite.
bool NormalRange(double& a, double& b, double increment, bool dateTime) {
    if (!std::isfinite(a) || !std::isfinite(b)) return false;
    if (a > b) std::swap(a, b);
    if (a == b) {
        const double base = increment > 0 ? increment : dateTime ? kSecond : 1.0;
        const double d = std::max(base, std::fabs(a) * 1e-12);
        a -= d;
        b += d;
    }
    return true;
}

}  // namespace

// --- TChartAxis

void TChartAxis::Touch() {
    chart_->Changed();
}

void TChartAxis::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    Touch();
}

void TChartAxis::SetAutomatic(bool automatic) {
    if (automatic_ == automatic) return;
    automatic_ = automatic;
    Touch();
}

void TChartAxis::SetMinMax(double a, double b) {
    if (!NormalRange(a, b, increment_, dateTime_)) return;
    if (a == min_ && b == max_) return;
    min_ = a;
    max_ = b;
    Touch();
}

void TChartAxis::SetStartPosition(double percent) {
    start_ = ClampPercent(percent, start_);
    Touch();
}

void TChartAxis::SetEndPosition(double percent) {
    end_ = ClampPercent(percent, end_);
    Touch();
}

void TChartAxis::SetPositionPercent(double percent) {
    offset_ = ClampPercent(percent, offset_);
    Touch();
}

void TChartAxis::SetTickColor(TChartColor c) {
    tickColor_ = c;
    Touch();
}

void TChartAxis::SetLineColor(TChartColor c) {
    lineColor_ = c;
    Touch();
}

void TChartAxis::SetLabelColor(TChartColor c) {
    labelColor_ = c;
    Touch();
}

void TChartAxis::SetIncrement(double increment) {
    increment_ = std::isfinite(increment) && increment > 0 ? increment : 0;
    Touch();
}

void TChartAxis::SetValueFormat(std::string format) {
    valueFormat_ = std::move(format);
    Touch();
}

void TChartAxis::SetDateTime(bool dateTime) {
    dateTime_ = dateTime;
    Touch();
}

void TChartAxis::SetDateTimeFormat(std::string format) {
    dateTimeFormat_ = std::move(format);
    Touch();
}

void TChartAxis::SetMultiLineLabels(bool multiLine) {
    multiLine_ = multiLine;
    Touch();
}

void TChartAxis::SetLabelAngle(int degrees) {
    const int a = ((degrees % 180) + 180) % 180;
    angle_ = a >= 45 && a < 135 ? 90 : 0;
    Touch();
}

std::string TChartAxis::LabelText(double value) const {
    if (dateTime_) {
        return FormatDateTime(value, dateTimeFormat_, chart_->DateSeparator(),
                              chart_->TimeSeparator());
    }
    return FormatNumber(value, valueFormat_, chart_->DecimalSeparator(),
                        chart_->ThousandSeparator());
}

// --- TChartSeries

void TChartSeries::Touch() {
    chart_->Changed();
}

void TChartSeries::SetTitle(std::string title) {
    title_ = std::move(title);
    Touch();
}

void TChartSeries::SetColor(TChartColor color) {
    color_ = color;
    Touch();
}

void TChartSeries::SetActive(bool active) {
    active_ = active;
    Touch();
}

void TChartSeries::SetMarkerStyle(TMarkerStyle style) {
    marker_ = style;
    Touch();
}

void TChartSeries::SetMarkerVisible(bool visible) {
    if (markerVisible_ == visible) return;
    markerVisible_ = visible;
    Touch();
}

void TChartSeries::SetVerticalAxis(TAxisId axis) {
    const TChartAxis* a = chart_->Axis(axis);
    axis_ = a && !a->Horizontal() ? axis : kLeftAxis;
    Touch();
}

std::size_t TChartSeries::AddXY(double x, double y) {
    const std::size_t i = points_.Add(x, y);
    if (i != TSeriesPoints::npos) Touch();
    return i;
}

void TChartSeries::Delete(std::size_t i) {
    if (i >= points_.Count()) return;
    points_.Delete(i);
    Touch();
}

void TChartSeries::DeleteFront(std::size_t n) {
    if (n == 0 || points_.Empty()) return;
    points_.DeleteFront(n);
    Touch();
}

std::size_t TChartSeries::TrimBefore(double x) {
    const std::size_t n = points_.TrimBefore(x);
    if (n > 0) Touch();
    return n;
}

void TChartSeries::Clear() {
    points_.Clear();
    Touch();
}

// --- TChart

TChart::TChart()
    : left_(this, kLeftAxis),
      bottom_(this, kBottomAxis),
      right_(this, kRightAxis),
      top_(this, kTopAxis),
      palette_(SeriesPalette.begin(), SeriesPalette.end()) {
    bottom_.dateTime_ = true;
    right_.visible_ = false;
    top_.visible_ = false;
}

TChart::~TChart() = default;

TChartSeries& TChart::AddSeries(std::string title) {
    std::vector<bool> held(palette_.size(), false);
    for (const auto& s : series_) {
        if (s->paletteIndex_ < held.size()) held[s->paletteIndex_] = true;
    }
    std::size_t index = 0;
    while (index < held.size() && held[index]) ++index;
    if (index == held.size()) index = series_.size();
    auto series = std::unique_ptr<TChartSeries>(new TChartSeries(this, nextSeriesId_++));
    series->paletteIndex_ = index;
    series->color_ = palette_.empty() ? SeriesPalette[0] : palette_[index % palette_.size()];
    series->title_ = std::move(title);
    series_.push_back(std::move(series));
    Changed();
    return *series_.back();
}

int TChart::IndexOf(const TChartSeries* series) const {
    for (std::size_t i = 0; i < series_.size(); ++i) {
        if (series_[i].get() == series) return static_cast<int>(i);
    }
    return -1;
}

TChartSeries* TChart::SeriesById(std::uint64_t id) {
    for (const auto& s : series_) {
        if (s->id_ == id) return s.get();
    }
    return nullptr;
}

void TChart::RemoveSeries(int index) {
    if (index < 0 || index >= SeriesCount()) return;
    series_.erase(series_.begin() + index);
    Changed();
}

void TChart::ClearSeries() {
    series_.clear();
    Changed();
}

TChartAxis* TChart::Axis(TAxisId id) {
    return const_cast<TChartAxis*>(std::as_const(*this).Axis(id));
}

const TChartAxis* TChart::Axis(TAxisId id) const {
    switch (id) {
        case kLeftAxis: return &left_;
        case kBottomAxis: return &bottom_;
        case kRightAxis: return &right_;
        case kTopAxis: return &top_;
        default: break;
    }
    for (const auto& a : custom_) {
        if (a->id_ == id) return a.get();
    }
    return nullptr;
}

TAxisId TChart::AddCustomAxis() {
    custom_.push_back(std::unique_ptr<TChartAxis>(new TChartAxis(this, nextAxisId_++)));
    Changed();
    return custom_.back()->id_;
}

bool TChart::RemoveCustomAxis(TAxisId id) {
    const auto it =
        std::find_if(custom_.begin(), custom_.end(), [id](const auto& a) { return a->id_ == id; });
    if (it == custom_.end()) return false;
    custom_.erase(it);
    for (const auto& s : series_) {
        if (s->axis_ == id) s->axis_ = kLeftAxis;
    }
    Changed();
    return true;
}

void TChart::ClearCustomAxes() {
    custom_.clear();
    for (const auto& s : series_) {
        if (s->axis_ >= 0) s->axis_ = kLeftAxis;
    }
    Changed();
}

TValueRange TChart::Extent(TAxisId id) const {
    TValueRange r;
    if (id == kBottomAxis) {
        for (const auto& s : series_) {
            if (!s->active_ || s->points_.Empty()) continue;
            r.Include(s->points_.FirstX());
            r.Include(s->points_.LastX());
        }
        return r;
    }
    const bool allTimes = bottom_.automatic_;
    for (const auto& s : series_) {
        if (!s->active_ || s->axis_ != id || s->points_.Empty()) continue;
        r.Include(allTimes ? s->points_.ValueRange(0, s->points_.Count())
                           : s->points_.ValueRangeInTime(bottom_.min_, bottom_.max_));
    }
    return r;
}

void TChart::UpdateRanges() {
    auto update = [this](TChartAxis& axis) {
        if (!axis.automatic_) return;
        const TValueRange r = Extent(axis.id_);
        if (!r.valid) return;
        double a = r.min;
        double b = r.max;
        if (NormalRange(a, b, axis.increment_, axis.dateTime_)) {
            axis.min_ = a;
            axis.max_ = b;
        }
    };
    update(bottom_);  // first: the vertical extents take the time range
    update(left_);
    update(right_);
    for (const auto& a : custom_) update(*a);
}

void TChart::SetPalette(std::vector<TChartColor> palette) {
    palette_ = std::move(palette);
    Changed();
}

void TChart::SetLegendVisible(bool visible) {
    legendVisible_ = visible;
    Changed();
}

void TChart::SetMarginLeft(double percent) {
    if (!std::isfinite(percent)) return;
    marginLeft_ = std::clamp(percent, 0.0, 50.0);
    Changed();
}

void TChart::SetSeparators(char decimalSeparator, char thousandSeparator, char dateSeparator,
                           char timeSeparator) {
    decimalSeparator_ = decimalSeparator;
    thousandSeparator_ = thousandSeparator;
    dateSeparator_ = dateSeparator;
    timeSeparator_ = timeSeparator;
    Changed();
}

void TChart::Changed() {
    const bool wasClean = !dirty_;
    dirty_ = true;
    if (wasClean && onChange_) onChange_();
}

const TChartLayout& TChart::Layout(double width, double height, const IChartFontMetrics& metrics) {
    const double lineHeight = metrics.LineHeight();
    const double digitWidth = metrics.TextWidth("0");
    if (!dirty_ && layoutValid_ && width == layoutWidth_ && height == layoutHeight_ &&
        lineHeight == layoutLineHeight_ && digitWidth == layoutDigitWidth_)
        return layout_;
    UpdateRanges();
    layout_ = ComputeLayout(*this, width, height, metrics);
    layoutValid_ = true;
    layoutWidth_ = width;
    layoutHeight_ = height;
    layoutLineHeight_ = lineHeight;
    layoutDigitWidth_ = digitWidth;
    dirty_ = false;
    return layout_;
}

}  // namespace qx
