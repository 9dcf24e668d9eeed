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
    std::size_t run = 1;  // points in the last column: the guess for the next
    auto inColumn = [&](std::size_t k, std::int64_t c) { return map.Column(x[k]) <= c; };
    const double* y = points.Values();
    // Dense columns lie pages apart, beyond the reach of the hardware
    // prefetcher: fetch the ends of the columns two ahead while this one is
    // worked out.
    auto prefetch = [&](std::size_t k) {
        if (k + 64 >= to) return;
        __builtin_prefetch(x + k);
        __builtin_prefetch(y + k);
        __builtin_prefetch(y + k + 8);
        __builtin_prefetch(y + k + 16);
        __builtin_prefetch(y + k + 24);
    };
    while (i < to) {
        const std::int64_t c = map.Column(x[i]);
        if (run >= 64) {
            prefetch(i + 2 * run);
            prefetch(i + 2 * run - 32);
            prefetch(i + 3 * run);
            prefetch(i + 3 * run - 32);
        }
        // The column's end is near where the last column's run puts it:
        // search outwards from there, then bisect the bracket. Evenly spread
        // points cost a few probes a column, all near each other.
        std::size_t lo = i + 1;
        std::size_t hi = std::min(i + run, to);
        if (hi < to && inColumn(hi, c)) {
            lo = hi + 1;
            for (std::size_t step = 1;; step *= 2) {
                const std::size_t probe = hi + step;
                if (probe >= to) {
                    hi = to;
                    break;
                }
                if (!inColumn(probe, c)) {
                    hi = probe;
                    break;
                }
                lo = probe + 1;
            }
        } else {
            for (std::size_t step = 1;; step *= 2) {
                if (hi <= lo + step - 1 || hi - step < lo) break;
                const std::size_t probe = hi - step;
                if (inColumn(probe, c)) {
                    lo = probe + 1;
                    break;
                }
                hi = probe;
            }
        }
        const double* end = lo >= hi ? x + hi : std::partition_point(x + lo, x + hi, [&](double t) {
            return map.Column(t) <= c;
        });
        const auto j = static_cast<std::size_t>(end - x);
        visit(TColumnSummary{c, i, j - 1, points.ValueRange(i, j)});
        run = j - i;
        i = j;
    }
}

}  // namespace qx
