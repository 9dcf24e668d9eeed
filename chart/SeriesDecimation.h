// Per pixel column decimation of a series: for every column that holds
// points, the first and last point and the value range of the points in
// it. A line through first, minimum, maximum and last of each column (all
// at the column's x) covers the same pixels as a line through every point,
// from at most four points a column; the value ranges come from the
// points' block summary, so a column costs logarithmic time however many
// points it holds.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "chart/SeriesPoints.h"

namespace qx {

// Time to pixel column: column = floor((x - x0) * scale).
struct TColumnMap {
    double x0 = 0;
    double scale = 1;  // columns per unit of time

    // Exact (unrounded) column coordinate, kept to a range any drawing
    // can take.
    double Position(double x) const { return std::clamp((x - x0) * scale, -1e9, 1e9); }
    std::int64_t Column(double x) const {
        return static_cast<std::int64_t>(std::floor(Position(x)));
    }
};

struct TColumnSummary {
    std::int64_t column;
    std::size_t first;  // index of the column's first point
    std::size_t last;   // index of its last point
    TValueRange values;
};

// Calls visit(const TColumnSummary&) for each column holding points of
// [from, to), left to right.
template <class Visit>
void ForEachColumn(const TSeriesPoints& points, const TColumnMap& map, std::size_t from,
                   std::size_t to, Visit&& visit) {
    const double* x = points.Times();
    to = std::min(to, points.Count());
    std::size_t i = from;
    while (i < to) {
        const std::int64_t c = map.Column(x[i]);
        // Exponential then binary search for the first point of a later
        // column: cheap for sparse columns, logarithmic for dense ones.
        std::size_t bound = 1;
        while (i + bound < to && map.Column(x[i + bound]) <= c) bound *= 2;
        const double* lo = x + i + bound / 2 + 1;
        const double* hi = x + std::min(i + bound, to);
        const double* end =
            lo >= hi ? hi
                     : std::partition_point(lo, hi, [&](double t) { return map.Column(t) <= c; });
        const auto j = static_cast<std::size_t>(end - x);
        visit(TColumnSummary{c, i, j - 1, points.ValueRange(i, j)});
        i = j;
    }
}

}  // namespace qx
