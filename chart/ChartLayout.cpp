#include "chart/ChartLayout.h"

#include <algorithm>
#include <cmath>

#include "chart/Chart.h"
#include "chart/ChartFormat.h"

namespace qx {

namespace {

constexpr double kSecondsPerDay = 86400.0;
// Time steps up to half a day, in seconds.
constexpr double kTimeSteps[] = {1,   2,   5,    10,   15,   30,    60,    120,  300,
                                 600, 900, 1800, 3600, 7200, 10800, 21600, 43200};

// The lines of a label: split at blanks when multi-line.
std::vector<std::string> LabelLines(const std::string& text, bool multiLine) {
    std::vector<std::string> lines;
    if (!multiLine) {
        lines.push_back(text);
        return lines;
    }
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t blank = text.find(' ', start);
        const std::size_t end = blank == std::string::npos ? text.size() : blank;
        if (end > start || lines.empty()) lines.push_back(text.substr(start, end - start));
        if (blank == std::string::npos) break;
        start = blank + 1;
    }
    return lines;
}

struct TLabelMeasure {
    const IChartFontMetrics& metrics;
    bool multiLine;

    double Width(const std::string& text) const {
        double w = 0;
        for (const std::string& line : LabelLines(text, multiLine))
            w = std::max(w, metrics.TextWidth(line));
        return w;
    }
    double Height(const std::string& text) const {
        return static_cast<double>(LabelLines(text, multiLine).size()) * metrics.LineHeight();
    }
};

// Decimals that tell ticks step apart.
int StepDecimals(double step) {
    if (!(step > 0) || step >= 1) return 0;
    return std::clamp(static_cast<int>(std::ceil(-std::log10(step) - 1e-9)), 0, 15);
}

std::string AxisLabel(const TChartAxis& axis, double value, double step) {
    if (axis.DateTime() || !axis.ValueFormat().empty()) return axis.LabelText(value);
    const int decimals = StepDecimals(step);
    const std::string picture = decimals > 0 ? "0." + std::string(decimals, '0') : "0";
    return FormatNumber(value, picture);
}

bool UsesAxis(const TChart& chart, TAxisId id) {
    for (int i = 0; i < chart.SeriesCount(); ++i) {
        if (chart.Series(i).VerticalAxis() == id) return true;
    }
    return false;
}

}  // namespace

double NiceStep(double minStep) {
    if (!(minStep > 0) || !std::isfinite(minStep)) return 1;
    const double p = std::pow(10.0, std::floor(std::log10(minStep)));
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * p >= minStep * (1 - 1e-12)) return m * p;
    }
    return 10 * p;
}

double NiceTimeStep(double minStep) {
    if (!(minStep > 0) || !std::isfinite(minStep)) return 1 / kSecondsPerDay;
    const double seconds = minStep * kSecondsPerDay;
    if (seconds < 1) return NiceStep(seconds) / kSecondsPerDay;
    for (const double s : kTimeSteps) {
        if (s >= seconds * (1 - 1e-12)) return s / kSecondsPerDay;
    }
    return NiceStep(std::max(minStep, 1.0));
}

std::vector<TTick> ChooseTicks(double min, double max, double from, double to, bool horizontal,
                               bool dateTime, double minStep,
                               const std::function<std::string(double, double)>& label,
                               const std::function<double(const std::string&)>& extent,
                               double gap) {
    std::vector<TTick> ticks;
    const double length = to - from;
    const double range = max - min;
    if (!(range > 0) || !std::isfinite(range) || !(length > 0)) return ticks;
    // Beyond the precision of the values no two ticks can be told apart.
    if (range < std::max(std::fabs(min), std::fabs(max)) * 1e-12) return ticks;
    auto next = [dateTime](double s) { return dateTime ? NiceTimeStep(s) : NiceStep(s); };
    const double guess = std::max(extent(label(min, range)), extent(label(max, range))) + gap;
    double step = next(std::max({range * guess / length, minStep, range * 1e-9}));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const double kFirst = std::ceil(min / step - 1e-9);
        const double kLast = std::floor(max / step + 1e-9);
        const double pixelStep = step / range * length;
        if (kLast - kFirst > length + 1) {  // never more ticks than units
            step = next(step * 2);
            continue;
        }
        // Whole seconds are counted in seconds so ticks fall on them exactly.
        const double stepSeconds = std::round(step * kSecondsPerDay);
        const bool wholeSeconds =
            dateTime && stepSeconds >= 1 && std::fabs(step * kSecondsPerDay - stepSeconds) < 1e-6;
        ticks.clear();
        double need = 0;
        bool distinct = true;  // labels too coarse for the step repeat
        for (double k = kFirst; k <= kLast; ++k) {
            TTick t;
            t.value = wholeSeconds ? k * stepSeconds / kSecondsPerDay : k * step;
            if (t.value == 0) t.value = 0;  // no "-0"
            const double f = (t.value - min) / range;
            t.pos = horizontal ? from + f * length : to - f * length;
            t.label = label(t.value, step);
            need = std::max(need, extent(t.label) + gap);
            if (!ticks.empty() && ticks.back().label == t.label) distinct = false;
            ticks.push_back(std::move(t));
        }
        if (ticks.size() <= 1 || (pixelStep >= need && distinct)) return ticks;
        step = next(step * (1 + 1e-9));
    }
    ticks.clear();
    return ticks;
}

TChartLayout ComputeLayout(const TChart& chart, double width, double height,
                           const IChartFontMetrics& metrics) {
    TChartLayout L;
    L.width = width;
    L.height = height;
    const double lh = metrics.LineHeight();
    double top = kPadding;

    // Legend: one entry per series, in rows centred above the plot, taking
    // at most a quarter of the height; entries that do not fit are counted
    // in a last "+N more" entry.
    if (chart.LegendVisible() && chart.SeriesCount() > 0) {
        const double rowHeight = lh + 2;
        const double available = std::max(1.0, width - 2 * kPadding);
        const int maxRows = std::max(1, static_cast<int>(height / 4 / rowHeight));
        const double spacing = lh;
        std::vector<std::vector<TLegendItem>> rows(1);
        std::vector<double> rowWidths(1, 0);
        int shown = 0;
        const int count = chart.SeriesCount();
        auto itemWidth = [&](const std::string& title) {
            return 2 * lh + 4 + metrics.TextWidth(title);
        };
        for (int i = 0; i < count; ++i) {
            TLegendItem item;
            item.series = i;
            item.title = chart.Series(i).Title();
            item.box.width = itemWidth(item.title);
            item.box.height = lh;
            double& rowWidth = rowWidths.back();
            if (!rows.back().empty() && rowWidth + spacing + item.box.width > available) {
                if (static_cast<int>(rows.size()) == maxRows) break;
                rows.emplace_back();
                rowWidths.push_back(0);
            }
            double& w = rowWidths.back();
            w += (rows.back().empty() ? 0 : spacing) + item.box.width;
            rows.back().push_back(std::move(item));
            ++shown;
        }
        if (shown < count) {
            // Room for the "+N more" entry at the end of the last row.
            TLegendItem more;
            more.box.height = lh;
            auto& last = rows.back();
            double& w = rowWidths.back();
            for (;;) {
                more.title = "+" + std::to_string(count - shown) + " more";
                more.box.width = metrics.TextWidth(more.title);
                if (last.empty() || w + spacing + more.box.width <= available) break;
                w -= last.back().box.width + (last.size() > 1 ? spacing : 0);
                last.pop_back();
                --shown;
            }
            w += (last.empty() ? 0 : spacing) + more.box.width;
            last.push_back(std::move(more));
        }
        for (std::size_t r = 0; r < rows.size(); ++r) {
            double x = kPadding + std::max(0.0, (available - rowWidths[r]) / 2);
            const double y = top + static_cast<double>(r) * rowHeight;
            for (TLegendItem& item : rows[r]) {
                item.box.left = x;
                item.box.top = y + 1;
                x += item.box.width + spacing;
                L.legendItems.push_back(std::move(item));
            }
        }
        L.legend = {kPadding, top, available, static_cast<double>(rows.size()) * rowHeight};
        top += L.legend.height + kPadding / 2;
    }
    const double plotTop = top + lh / 2;

    // Bottom axis band: room for the labels below the plot.
    const TChartAxis& bottomAxis = chart.BottomAxis();
    const TLabelMeasure bottomMeasure{metrics, bottomAxis.MultiLineLabels()};
    const bool upright = bottomAxis.LabelAngle() == 90;
    L.bottomDrawn = bottomAxis.Visible();
    double sampleWidth = 0;
    double sampleHeight = lh;
    for (const double v : {bottomAxis.Minimum(), bottomAxis.Maximum()}) {
        const std::string text =
            AxisLabel(bottomAxis, v, bottomAxis.Maximum() - bottomAxis.Minimum());
        sampleWidth = std::max(sampleWidth, bottomMeasure.Width(text));
        sampleHeight = std::max(sampleHeight, bottomMeasure.Height(text));
    }
    const double bottomBand =
        L.bottomDrawn ? kTickLength + kLabelGap + (upright ? sampleWidth + 2 : sampleHeight) : 0;
    const double plotBottom = std::max(plotTop + 1, height - kPadding - bottomBand);

    // Vertical axes: the left axis when it is shown and drawn against (or
    // the chart is empty), the visible custom axes, and the hidden axes
    // series are drawn against (for their scale only).
    std::vector<const TChartAxis*> verticals;
    const TChartAxis& left = chart.LeftAxis();
    verticals.push_back(&left);
    for (int i = 0; i < chart.CustomAxisCount(); ++i)
        verticals.push_back(chart.Axis(chart.CustomAxisId(i)));
    double band = 0;
    for (const TChartAxis* axis : verticals) {
        const bool used = UsesAxis(chart, axis->Id());
        TAxisLayout a;
        a.id = axis->Id();
        a.horizontal = false;
        a.drawn = axis->Visible() && (axis->Id() != kLeftAxis || used || chart.SeriesCount() == 0);
        if (!a.drawn && !used) continue;
        a.min = axis->Minimum();
        a.max = axis->Maximum();
        const double start = std::min(axis->StartPosition(), axis->EndPosition());
        const double end = std::max(axis->StartPosition(), axis->EndPosition());
        a.from = plotTop + start / 100 * (plotBottom - plotTop);
        a.to = plotTop + end / 100 * (plotBottom - plotTop);
        if (a.drawn) {
            const TLabelMeasure measure{metrics, axis->MultiLineLabels()};
            a.ticks = ChooseTicks(
                a.min, a.max, a.from, a.to, false, axis->DateTime(), axis->Increment(),
                [axis](double v, double step) { return AxisLabel(*axis, v, step); },
                [&measure](const std::string& s) { return measure.Height(s); }, 2);
            // Labels stay inside their axis' span, so stacked axes never
            // share a label's room; at the plot's edges they may stand out
            // by half a line.
            const double lo = a.from - (a.from <= plotTop + 0.5 ? lh / 2 : 0);
            const double hi = a.to + (a.to >= plotBottom - 0.5 ? lh / 2 : 0);
            double labelWidth = 0;
            std::erase_if(a.ticks, [&](const TTick& t) {
                const double half = measure.Height(t.label) / 2;
                return t.pos - half < lo - 1e-6 || t.pos + half > hi + 1e-6;
            });
            for (const TTick& t : a.ticks)
                labelWidth = std::max(labelWidth, measure.Width(t.label));
            if (axis->PositionPercent() == 0)
                band = std::max(band, labelWidth + kTickLength + kLabelGap);
        }
        L.vertical.push_back(std::move(a));
    }

    const double plotLeft = kPadding + chart.MarginLeft() / 100 * width + band;
    const double plotRight =
        std::max(plotLeft + 1, width - kPadding - (upright ? lh / 2 : sampleWidth / 2));
    L.plot = {plotLeft, plotTop, plotRight - plotLeft, plotBottom - plotTop};
    for (std::size_t i = 0; i < L.vertical.size(); ++i) {
        const TChartAxis* axis = chart.Axis(L.vertical[i].id);
        L.vertical[i].line = plotLeft + axis->PositionPercent() / 100 * L.plot.width;
    }

    TAxisLayout& b = L.bottom;
    b.id = kBottomAxis;
    b.horizontal = true;
    b.drawn = L.bottomDrawn;
    b.min = bottomAxis.Minimum();
    b.max = bottomAxis.Maximum();
    b.from = plotLeft;
    b.to = plotRight;
    b.line = plotBottom;
    if (b.drawn) {
        b.ticks = ChooseTicks(
            b.min, b.max, b.from, b.to, true, bottomAxis.DateTime(), bottomAxis.Increment(),
            [&bottomAxis](double v, double step) { return AxisLabel(bottomAxis, v, step); },
            [&](const std::string& s) {
                return upright ? bottomMeasure.Height(s) : bottomMeasure.Width(s);
            },
            upright ? 2 : 8);
        // Labels stay inside the chart.
        std::erase_if(b.ticks, [&](const TTick& t) {
            const double half =
                (upright ? bottomMeasure.Height(t.label) : bottomMeasure.Width(t.label)) / 2;
            return t.pos - half < 0 || t.pos + half > width;
        });
    }
    return L;
}

}  // namespace qx
