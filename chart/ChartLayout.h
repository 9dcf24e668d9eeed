// Where everything of a chart goes: the plot rectangle, the band and ticks
// of every drawn axis, the legend entries. Worked out from the chart's size
// and the font's measures, so tests lay a chart out without a screen.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "chart/ChartTypes.h"

namespace qx {

class TChart;

// The measures of the label font, in the units of the layout.
class IChartFontMetrics {
public:
    virtual ~IChartFontMetrics() = default;
    virtual double TextWidth(std::string_view text) const = 0;
    virtual double LineHeight() const = 0;
};

struct TTick {
    double value = 0;
    double pos = 0;  // along the axis, in layout units
    std::string label;
};

struct TAxisLayout {
    TAxisId id = kLeftAxis;
    bool horizontal = false;
    bool drawn = false;  // false: only series are drawn against it
    double line = 0;     // x of a vertical axis' line, y of a horizontal one
    double from = 0;     // span along the axis: top to bottom, or left to right
    double to = 0;
    double min = 0;  // the range drawn
    double max = 1;
    std::vector<TTick> ticks;

    // Layout position of a value (vertical axes grow upwards).
    double ToPixel(double v) const {
        const double f = max > min ? (v - min) / (max - min) : 0.5;
        return horizontal ? from + f * (to - from) : to - f * (to - from);
    }
    double FromPixel(double p) const {
        const double f = to > from ? (horizontal ? p - from : to - p) / (to - from) : 0;
        return min + f * (max - min);
    }
};

struct TLegendItem {
    int series = -1;  // -1: the "+N more" entry
    TRectD box;       // swatch and title
    std::string title;
};

struct TChartLayout {
    double width = 0;
    double height = 0;
    TRectD plot;
    TRectD legend;
    std::vector<TLegendItem> legendItems;
    TAxisLayout bottom;
    bool bottomDrawn = false;
    std::vector<TAxisLayout> vertical;  // the vertical axes drawn or drawn against

    const TAxisLayout* Vertical(TAxisId id) const {
        for (const TAxisLayout& a : vertical) {
            if (a.id == id) return &a;
        }
        return nullptr;
    }
};

// Layout measures (units of the font metrics).
inline constexpr double kTickLength = 4;
inline constexpr double kLabelGap = 3;
inline constexpr double kPadding = 6;

// The smallest step 1, 2 or 5 x 10^n that is >= minStep (> 0, finite).
double NiceStep(double minStep);
// The smallest time step that is >= minStep days: 1, 2, 5, 10, 15, 30 s,
// 1, 2, 5, 10, 15, 30 min, 1, 2, 3, 6, 12 h, then 1, 2, 5 x 10^n days;
// below a second 1, 2, 5 x 10^n of a second.
double NiceTimeStep(double minStep);

// Ticks of [min, max] drawn over [from, to]: at multiples of the smallest
// nice step (at least minStep) whose labels, measured with extent (the
// room a label takes along the axis), keep at least gap between each other.
// label(value, step) gives a tick's text.
std::vector<TTick> ChooseTicks(double min, double max, double from, double to, bool horizontal,
                               bool dateTime, double minStep,
                               const std::function<std::string(double, double)>& label,
                               const std::function<double(const std::string&)>& extent, double gap);

// The layout of a chart of the given size, after its ranges are updated.
TChartLayout ComputeLayout(const TChart& chart, double width, double height,
                           const IChartFontMetrics& metrics);

}  // namespace qx
