// The chart model: series with their points, the axes, the legend and the
// series colour palette. Plain C++; the renderer draws it and the widget
// shows it.
//
// Every change marks the chart dirty and, on the first change after a
// clean state, calls the change handler once: a view schedules one frame
// for any number of changes. Ranges and layout are worked out when the
// chart is laid out for drawing, at most once per frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/ChartLayout.h"
#include "chart/ChartTypes.h"
#include "chart/SeriesPoints.h"

namespace qx {

class TChart;

class TChartAxis {
public:
    TAxisId Id() const { return id_; }
    bool Horizontal() const { return id_ == kBottomAxis || id_ == kTopAxis; }

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // Automatic: the range follows the extent of the data drawn against it.
    bool Automatic() const { return automatic_; }
    void SetAutomatic(bool automatic);

    double Minimum() const { return min_; }
    double Maximum() const { return max_; }
    // Sets both ends. Reversed ends are swapped; an empty range is widened
    // by the increment (or 1, or 1 second on a date-time axis, and at
    // least the value's precision); ends that are not finite are ignored.
    void SetMinMax(double a, double b);

    // Position along the chart's height (vertical axes) in percent of the
    // plot: from StartPosition (top) to EndPosition (bottom); the axis line
    // stands PositionPercent of the plot width in from the left edge.
    double StartPosition() const { return start_; }
    double EndPosition() const { return end_; }
    double PositionPercent() const { return offset_; }
    void SetStartPosition(double percent);
    void SetEndPosition(double percent);
    void SetPositionPercent(double percent);

    // Unset colours follow the theme.
    TChartColor TickColor() const { return tickColor_; }
    TChartColor LineColor() const { return lineColor_; }
    TChartColor LabelColor() const { return labelColor_; }
    void SetTickColor(TChartColor c);
    void SetLineColor(TChartColor c);
    void SetLabelColor(TChartColor c);

    // The smallest step between ticks (0: any); days on a date-time axis.
    double Increment() const { return increment_; }
    void SetIncrement(double increment);
    // Number picture of the labels (see FormatNumber); empty: as needed.
    const std::string& ValueFormat() const { return valueFormat_; }
    void SetValueFormat(std::string format);

    bool DateTime() const { return dateTime_; }
    void SetDateTime(bool dateTime);
    // Date-time picture of the labels (see FormatDateTime).
    const std::string& DateTimeFormat() const { return dateTimeFormat_; }
    void SetDateTimeFormat(std::string format);
    // Multi-line labels break at blanks; single-line labels stay whole.
    bool MultiLineLabels() const { return multiLine_; }
    void SetMultiLineLabels(bool multiLine);
    // Label angle in degrees: 0 or 90 (reading upwards); others round to
    // the nearer of the two.
    int LabelAngle() const { return angle_; }
    void SetLabelAngle(int degrees);

    // The label text of a value on this axis.
    std::string LabelText(double value) const;

private:
    friend class TChart;
    TChartAxis(TChart* chart, TAxisId id) : chart_(chart), id_(id) {}
    void Touch();

    TChart* chart_;
    TAxisId id_;
    bool visible_ = true;
    bool automatic_ = true;
    double min_ = 0;
    double max_ = 1;
    double start_ = 0;
    double end_ = 100;
    double offset_ = 0;
    TChartColor tickColor_;
    TChartColor lineColor_;
    TChartColor labelColor_;
    double increment_ = 0;
    std::string valueFormat_;
    bool dateTime_ = false;
    std::string dateTimeFormat_ = "hh:nn:ss";
    bool multiLine_ = false;
    int angle_ = 0;
};

class TChartSeries {
public:
    // Stable for the series' life, never reused in its chart.
    std::uint64_t Id() const { return id_; }

    const std::string& Title() const { return title_; }
    void SetTitle(std::string title);
    TChartColor Color() const { return color_; }
    void SetColor(TChartColor color);
    // Inactive series are neither drawn nor counted in extents.
    bool Active() const { return active_; }
    void SetActive(bool active);
    TMarkerStyle MarkerStyle() const { return marker_; }
    void SetMarkerStyle(TMarkerStyle style);
    bool MarkerVisible() const { return markerVisible_; }
    void SetMarkerVisible(bool visible);
    // The vertical axis the series is drawn against (the left axis or a
    // custom one); the horizontal axis is always the bottom axis.
    TAxisId VerticalAxis() const { return axis_; }
    void SetVerticalAxis(TAxisId axis);

    const TSeriesPoints& Points() const { return points_; }
    std::size_t Count() const { return points_.Count(); }
    double X(std::size_t i) const { return points_.X(i); }
    double Y(std::size_t i) const { return points_.Y(i); }
    double FirstX() const { return points_.FirstX(); }
    double LastX() const { return points_.LastX(); }
    // Adds a point at its time position; returns its index, or
    // TSeriesPoints::npos for a time or value that is not finite.
    std::size_t AddXY(double x, double y);
    void Delete(std::size_t i);
    void DeleteFront(std::size_t n);
    std::size_t TrimBefore(double x);
    void Clear();
    void Reserve(std::size_t n) { points_.Reserve(n); }

private:
    friend class TChart;
    TChartSeries(TChart* chart, std::uint64_t id) : chart_(chart), id_(id) {}
    void Touch();

    TChart* chart_;
    std::uint64_t id_;
    std::size_t paletteIndex_ = 0;
    std::string title_;
    TChartColor color_;
    bool active_ = true;
    TMarkerStyle marker_ = TMarkerStyle::Rectangle;
    bool markerVisible_ = false;
    TAxisId axis_ = kLeftAxis;
    TSeriesPoints points_;
};

class TChart {
public:
    TChart();
    ~TChart();
    TChart(const TChart&) = delete;
    TChart& operator=(const TChart&) = delete;

    // --- series
    // A new series at the end of the list, coloured with the first palette
    // entry no other series holds (entry n for the n-th series of a chart
    // that lost none).
    TChartSeries& AddSeries(std::string title = {});
    int SeriesCount() const { return static_cast<int>(series_.size()); }
    TChartSeries& Series(int index) { return *series_[static_cast<std::size_t>(index)]; }
    const TChartSeries& Series(int index) const {
        return *series_[static_cast<std::size_t>(index)];
    }
    // -1 when the series is not in this chart.
    int IndexOf(const TChartSeries* series) const;
    TChartSeries* SeriesById(std::uint64_t id);
    void RemoveSeries(int index);
    void ClearSeries();

    // --- axes
    TChartAxis& LeftAxis() { return left_; }
    TChartAxis& BottomAxis() { return bottom_; }
    TChartAxis& RightAxis() { return right_; }
    TChartAxis& TopAxis() { return top_; }
    const TChartAxis& LeftAxis() const { return left_; }
    const TChartAxis& BottomAxis() const { return bottom_; }
    // Null for an id that names no axis (any more).
    TChartAxis* Axis(TAxisId id);
    const TChartAxis* Axis(TAxisId id) const;
    TAxisId AddCustomAxis();
    // Series drawn against a removed axis fall back to the left axis.
    bool RemoveCustomAxis(TAxisId id);
    void ClearCustomAxes();
    int CustomAxisCount() const { return static_cast<int>(custom_.size()); }
    TAxisId CustomAxisId(int index) const { return custom_[static_cast<std::size_t>(index)]->id_; }

    // The extent of the data drawn against an axis: for a vertical axis the
    // values of its active series whose times lie in the bottom axis' range
    // (all times while the bottom axis is automatic), for the bottom axis
    // the times of all active series. Logarithmic in the points.
    TValueRange Extent(TAxisId id) const;
    // Automatic axes take their extents (and keep their range when there is
    // no data). Run by Layout; callable on its own.
    void UpdateRanges();

    // --- appearance
    const std::vector<TChartColor>& Palette() const { return palette_; }
    void SetPalette(std::vector<TChartColor> palette);
    bool LegendVisible() const { return legendVisible_; }
    void SetLegendVisible(bool visible);
    // Room left of the axis labels, in percent of the chart's width.
    double MarginLeft() const { return marginLeft_; }
    void SetMarginLeft(double percent);
    // Separators of the label texts.
    char DecimalSeparator() const { return decimalSeparator_; }
    char ThousandSeparator() const { return thousandSeparator_; }
    char DateSeparator() const { return dateSeparator_; }
    char TimeSeparator() const { return timeSeparator_; }
    void SetSeparators(char decimalSeparator, char thousandSeparator, char dateSeparator,
                       char timeSeparator);

    // --- change tracking
    bool Dirty() const { return dirty_; }
    void Changed();
    void SetChangeHandler(std::function<void()> handler) { onChange_ = std::move(handler); }

    // Ranges and the layout for a chart of the given size; worked out again
    // only after a change or for another size or font.
    const TChartLayout& Layout(double width, double height, const IChartFontMetrics& metrics);

private:
    std::vector<std::unique_ptr<TChartSeries>> series_;
    std::uint64_t nextSeriesId_ = 1;
    TChartAxis left_;
    TChartAxis bottom_;
    TChartAxis right_;
    TChartAxis top_;
    std::vector<std::unique_ptr<TChartAxis>> custom_;
    TAxisId nextAxisId_ = 0;
    std::vector<TChartColor> palette_;
    bool legendVisible_ = true;
    double marginLeft_ = 3;
    char decimalSeparator_ = '.';
    char thousandSeparator_ = ',';
    char dateSeparator_ = '/';
    char timeSeparator_ = ':';

    bool dirty_ = true;
    std::function<void()> onChange_;
    TChartLayout layout_;
    bool layoutValid_ = false;
    double layoutWidth_ = 0;
    double layoutHeight_ = 0;
    double layoutLineHeight_ = 0;
    double layoutDigitWidth_ = 0;
};

}  // namespace qx
