#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "chart/SeriesDecimation.h"
#include "chart/SeriesPoints.h"

namespace qx {
namespace {

using Plain = std::vector<std::pair<double, double>>;

TValueRange PlainRange(const Plain& plain, std::size_t from, std::size_t to) {
    TValueRange r;
    for (std::size_t i = from; i < to && i < plain.size(); ++i) r.Include(plain[i].second);
    return r;
}

void ExpectSame(const TSeriesPoints& points, const Plain& plain, std::mt19937& rng) {
    ASSERT_EQ(points.Count(), plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
        ASSERT_EQ(points.X(i), plain[i].first) << i;
        ASSERT_EQ(points.Y(i), plain[i].second) << i;
    }
    // Ranges of every size, including those that run to the end or start
    // inside a trimmed block.
    for (int q = 0; q < 200 && !plain.empty(); ++q) {
        std::uniform_int_distribution<std::size_t> pick(0, plain.size());
        std::size_t a = pick(rng);
        std::size_t b = q % 4 == 0 ? plain.size() : pick(rng);
        if (a > b) std::swap(a, b);
        const TValueRange want = PlainRange(plain, a, b);
        const TValueRange got = points.ValueRange(a, b);
        ASSERT_EQ(got.valid, want.valid) << a << ".." << b;
        if (want.valid) {
            ASSERT_EQ(got.min, want.min) << a << ".." << b;
            ASSERT_EQ(got.max, want.max) << a << ".." << b;
        }
    }
}

// Appends with front trimming, late points inserted, single deletions: the
// stored points and every range answer match a plain sorted list.
TEST(SeriesPoints, MatchesPlainListUnderMixedEdits) {
    for (const unsigned seed : {1u, 2u, 3u}) {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<double> value(-1000, 1000);
        TSeriesPoints points;
        Plain plain;
        double t = 0;
        for (int step = 0; step < 60000; ++step) {
            const int op = static_cast<int>(rng() % 1000);
            if (op < 960 || plain.empty()) {
                t += 1;
                const double v = value(rng);
                points.Add(t, v);
                plain.emplace_back(t, v);
            } else if (op < 975) {
                // A late point, possibly at the time of others: it goes
                // after the points of equal time.
                const double late = std::floor(t - static_cast<double>(rng() % 300));
                const double v = value(rng);
                const std::size_t at = points.Add(late, v);
                const auto it =
                    std::upper_bound(plain.begin(), plain.end(), late,
                                     [](double x, const auto& p) { return x < p.first; });
                ASSERT_EQ(at, static_cast<std::size_t>(it - plain.begin()));
                plain.insert(it, {late, v});
            } else if (op < 990) {
                const double before = t - 2000;
                const std::size_t n = points.TrimBefore(before);
                const auto it =
                    std::lower_bound(plain.begin(), plain.end(), before,
                                     [](const auto& p, double x) { return p.first < x; });
                ASSERT_EQ(n, static_cast<std::size_t>(it - plain.begin()));
                plain.erase(plain.begin(), it);
            } else {
                const std::size_t i = rng() % plain.size();
                points.Delete(i);
                plain.erase(plain.begin() + static_cast<std::ptrdiff_t>(i));
            }
            if (step % 5000 == 0) ExpectSame(points, plain, rng);
        }
        ExpectSame(points, plain, rng);
        const double mid = plain[plain.size() / 2].first;
        const TValueRange inTime = points.ValueRangeInTime(mid, t);
        const TValueRange want =
            PlainRange(plain,
                       static_cast<std::size_t>(
                           std::lower_bound(plain.begin(), plain.end(), mid,
                                            [](const auto& p, double x) { return p.first < x; }) -
                           plain.begin()),
                       plain.size());
        EXPECT_EQ(inTime.min, want.min);
        EXPECT_EQ(inTime.max, want.max);
    }
}

TEST(SeriesPoints, RefusesPointsThatAreNotFinite) {
    TSeriesPoints points;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    points.Add(1, 5);
    for (const auto& [x, y] : {std::pair{nan, 1.0}, {1.0, nan}, {inf, 1.0}, {2.0, -inf}})
        EXPECT_EQ(points.Add(x, y), TSeriesPoints::npos);
    EXPECT_EQ(points.Count(), 1u);
    EXPECT_EQ(points.Add(0.5, 7), 0u);  // ordering still sound
    EXPECT_EQ(points.ValueRange(0, 2).max, 7);
}

// A long-running series with a history span keeps close to 16 bytes a
// point: trimmed room is reused, not accumulated.
TEST(SeriesPoints, TrimmedHistoryKeepsMemoryCompact) {
    TSeriesPoints points;
    const std::size_t span = 100000;
    for (std::size_t i = 0; i < 10 * span; ++i) {
        points.Add(static_cast<double>(i), static_cast<double>(i % 977));
        if (i >= span) points.DeleteFront(1);
    }
    ASSERT_EQ(points.Count(), span);
    EXPECT_LE(static_cast<double>(points.MemoryBytes()) / static_cast<double>(points.Count()),
              16 * 1.1);
    EXPECT_EQ(points.ValueRange(0, span).max, 976);
}

// Every point lands in exactly one column; each column's first, last,
// minimum and maximum are those of its points.
TEST(SeriesDecimation, ColumnsSummariseTheirPoints) {
    std::mt19937 rng(7);
    TSeriesPoints points;
    Plain plain;
    double t = 0;
    for (int i = 0; i < 50000; ++i) {
        // Dense runs and gaps of many columns.
        t += i % 5000 < 4000 ? 0.01 : 3.7;
        const double v = std::sin(i * 0.001) * 100 + static_cast<double>(rng() % 10);
        points.Add(t, v);
        plain.emplace_back(t, v);
    }
    points.DeleteFront(123);
    plain.erase(plain.begin(), plain.begin() + 123);
    const TColumnMap map{plain.front().first, 640 / (plain.back().first - plain.front().first)};
    std::size_t next = 0;
    std::int64_t lastColumn = -1;
    ForEachColumn(points, map, 0, points.Count(), [&](const TColumnSummary& c) {
        ASSERT_EQ(c.first, next);
        ASSERT_GT(c.column, lastColumn);
        lastColumn = c.column;
        TValueRange want;
        for (std::size_t i = c.first; i <= c.last; ++i) {
            ASSERT_EQ(map.Column(plain[i].first), c.column);
            want.Include(plain[i].second);
        }
        if (c.last + 1 < plain.size()) {
            ASSERT_GT(map.Column(plain[c.last + 1].first), c.column);
        }
        ASSERT_EQ(c.values.min, want.min);
        ASSERT_EQ(c.values.max, want.max);
        next = c.last + 1;
    });
    EXPECT_EQ(next, plain.size());
}

}  // namespace
}  // namespace qx
