#include "chart/SeriesPoints.h"

#include <algorithm>
#include <cmath>
#include <new>

#include <sys/mman.h>

namespace qx {

void* AllocatePointArray(std::size_t bytes) {
    constexpr std::size_t kHuge = std::size_t{2} << 20;
    void* p = nullptr;
    if (bytes >= 2 * kHuge) {
        const std::size_t rounded = (bytes + kHuge - 1) / kHuge * kHuge;
        p = std::aligned_alloc(kHuge, rounded);
        if (p) madvise(p, rounded, MADV_HUGEPAGE);  // a hint: failure changes nothing
    } else {
        p = std::malloc(bytes == 0 ? 1 : bytes);
    }
    if (!p) throw std::bad_alloc();
    return p;
}

std::size_t TSeriesPoints::Add(double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return npos;
    if (times_.size() == head_ || x >= times_.back()) {
        MakeRoomForOne();
        times_.push_back(x);
        values_.push_back(y);
        SummaryAppend(times_.size() - 1, y);
        return Count() - 1;
    }
    // Older than the newest: after the points of equal time, so points of
    // one time keep their arrival order.
    const std::size_t i = UpperBound(x);
    MakeRoomForOne();
    const std::size_t abs = head_ + i;
    times_.insert(times_.begin() + static_cast<std::ptrdiff_t>(abs), x);
    values_.insert(values_.begin() + static_cast<std::ptrdiff_t>(abs), y);
    RebuildSummaryFrom(abs);
    return i;
}

void TSeriesPoints::Delete(std::size_t i) {
    if (i >= Count()) return;
    if (i == 0) {
        DeleteFront(1);
        return;
    }
    const std::size_t abs = head_ + i;
    times_.erase(times_.begin() + static_cast<std::ptrdiff_t>(abs));
    values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(abs));
    RebuildSummaryFrom(abs);
}

void TSeriesPoints::DeleteFront(std::size_t n) {
    if (n >= Count()) {
        Clear();
        return;
    }
    // The summary keeps covering the dropped points: queries read the
    // partial block at the head point by point.
    head_ += n;
}

std::size_t TSeriesPoints::TrimBefore(double x) {
    // Usually few points leave: search from the front outwards.
    const double* t = times_.data() + head_;
    const std::size_t count = Count();
    std::size_t lo = 0;
    std::size_t hi = 1;
    while (hi <= count && t[hi - 1] < x) {
        lo = hi;
        hi *= 2;
    }
    const std::size_t n =
        static_cast<std::size_t>(std::lower_bound(t + lo, t + std::min(hi, count), x) - t);
    DeleteFront(n);
    return n;
}

void TSeriesPoints::Clear() {
    times_.clear();
    values_.clear();
    levels_.clear();
    head_ = 0;
}

void TSeriesPoints::Reserve(std::size_t n) {
    if (times_.size() - head_ + n <= times_.capacity()) return;
    Compact();
    times_.reserve(times_.size() + n);
    values_.reserve(times_.size() + n);
}

std::size_t TSeriesPoints::LowerBound(double x) const {
    return static_cast<std::size_t>(
               std::lower_bound(times_.begin() + static_cast<std::ptrdiff_t>(head_), times_.end(),
                                x) -
               times_.begin()) -
           head_;
}

std::size_t TSeriesPoints::UpperBound(double x) const {
    return static_cast<std::size_t>(
               std::upper_bound(times_.begin() + static_cast<std::ptrdiff_t>(head_), times_.end(),
                                x) -
               times_.begin()) -
           head_;
}

TValueRange TSeriesPoints::ValueRange(std::size_t from, std::size_t to) const {
    TValueRange r;
    to = std::min(to, Count());
    if (from >= to) return r;
    const std::size_t a = head_ + from;
    const std::size_t b = head_ + to;
    if (b - a < 2 * kBlock || levels_.empty()) {
        ScanRange(a, b, r);
        return r;
    }
    // Whole blocks from the summary; the partial blocks at either end point
    // by point, unless the whole block's extent already lies inside the
    // range found (then so does the part's, and its points stay unread).
    // The last block is whole for a range that runs to the end.
    const std::size_t firstBlock = (a + kBlock - 1) / kBlock;
    const std::size_t endBlock = b == times_.size() ? levels_[0].size() : b / kBlock;
    QueryLevel(0, firstBlock, endBlock, r);
    const std::vector<TBlock>& blocks = levels_[0];
    auto inside = [&](std::size_t block) {
        return r.valid && blocks[block].min >= r.min && blocks[block].max <= r.max;
    };
    if (a < firstBlock * kBlock && !inside(firstBlock - 1)) ScanRange(a, firstBlock * kBlock, r);
    if (endBlock * kBlock < b && !inside(endBlock)) ScanRange(endBlock * kBlock, b, r);
    return r;
}

TValueRange TSeriesPoints::ValueRangeInTime(double x0, double x1) const {
    if (!(x0 <= x1)) return {};
    return ValueRange(LowerBound(x0), UpperBound(x1));
}

std::size_t TSeriesPoints::MemoryBytes() const {
    std::size_t bytes = (times_.capacity() + values_.capacity()) * sizeof(double);
    for (const auto& level : levels_) bytes += level.capacity() * sizeof(TBlock);
    return bytes;
}

void TSeriesPoints::ScanRange(std::size_t absFrom, std::size_t absTo, TValueRange& r) const {
    if (absFrom >= absTo) return;
    const double* v = values_.data();
    // Four independent running minima and maxima: no chain of dependent
    // comparisons through the whole run.
    double lo[4];
    double hi[4];
    for (int k = 0; k < 4; ++k) lo[k] = hi[k] = r.valid ? r.min : v[absFrom];
    if (r.valid) {
        for (int k = 0; k < 4; ++k) hi[k] = r.max;
    }
    std::size_t i = absFrom;
    for (; i + 4 <= absTo; i += 4) {
        for (int k = 0; k < 4; ++k) {
            const double x = v[i + static_cast<std::size_t>(k)];
            lo[k] = x < lo[k] ? x : lo[k];
            hi[k] = x > hi[k] ? x : hi[k];
        }
    }
    for (; i < absTo; ++i) {
        lo[0] = v[i] < lo[0] ? v[i] : lo[0];
        hi[0] = v[i] > hi[0] ? v[i] : hi[0];
    }
    r = {std::min({lo[0], lo[1], lo[2], lo[3]}), std::max({hi[0], hi[1], hi[2], hi[3]}), true};
}

void TSeriesPoints::QueryLevel(std::size_t level, std::size_t from, std::size_t to,
                               TValueRange& r) const {
    const std::vector<TBlock>& entries = levels_[level];
    auto take = [&](std::size_t f, std::size_t t) {
        for (std::size_t j = f; j < t; ++j) {
            r.Include(entries[j].min);
            r.Include(entries[j].max);
        }
    };
    if (from >= to) return;
    if (level + 1 == levels_.size() || to - from < 2 * kFan) {
        take(from, to);
        return;
    }
    const std::size_t firstGroup = (from + kFan - 1) / kFan;
    const std::size_t endGroup = to == entries.size() ? levels_[level + 1].size() : to / kFan;
    take(from, firstGroup * kFan);
    if (endGroup * kFan < to) take(endGroup * kFan, to);
    QueryLevel(level + 1, firstGroup, endGroup, r);
}

void TSeriesPoints::SummaryAppend(std::size_t abs, double y) {
    if (levels_.empty()) levels_.emplace_back();
    unsigned shift = kBlockShift;
    for (std::vector<TBlock>& entries : levels_) {
        const std::size_t j = abs >> shift;
        if (j == entries.size()) {
            entries.push_back({y, y});
        } else {
            TBlock& e = entries[j];
            e.min = std::min(e.min, y);
            e.max = std::max(e.max, y);
        }
        shift += kFanShift;
    }
    // A new top level once the top has two entries.
    if (levels_.back().size() > 1) RebuildUpperLevels(levels_.size(), 0);
}

void TSeriesPoints::RebuildSummaryFrom(std::size_t abs) {
    if (times_.empty()) {
        levels_.clear();
        return;
    }
    if (levels_.empty()) levels_.emplace_back();
    std::vector<TBlock>& blocks = levels_[0];
    const std::size_t firstBlock = std::min(abs / kBlock, blocks.size());
    const std::size_t blockCount = (times_.size() + kBlock - 1) / kBlock;
    blocks.resize(blockCount);
    for (std::size_t j = firstBlock; j < blockCount; ++j) {
        const std::size_t a = j * kBlock;
        const std::size_t b = std::min(a + kBlock, times_.size());
        double lo = values_[a];
        double hi = values_[a];
        for (std::size_t i = a + 1; i < b; ++i) {
            lo = std::min(lo, values_[i]);
            hi = std::max(hi, values_[i]);
        }
        blocks[j] = {lo, hi};
    }
    RebuildUpperLevels(1, firstBlock / kFan);
}

void TSeriesPoints::RebuildUpperLevels(std::size_t level, std::size_t fromEntry) {
    for (; level - 1 < levels_.size() && levels_[level - 1].size() > 1; ++level) {
        if (level == levels_.size()) {
            levels_.emplace_back();
            fromEntry = 0;
        }
        const std::vector<TBlock>& below = levels_[level - 1];
        std::vector<TBlock>& entries = levels_[level];
        const std::size_t count = (below.size() + kFan - 1) / kFan;
        fromEntry = std::min(fromEntry, entries.size());
        entries.resize(count);
        for (std::size_t j = fromEntry; j < count; ++j) {
            const std::size_t a = j * kFan;
            const std::size_t b = std::min(a + kFan, below.size());
            TBlock e = below[a];
            for (std::size_t i = a + 1; i < b; ++i) {
                e.min = std::min(e.min, below[i].min);
                e.max = std::max(e.max, below[i].max);
            }
            entries[j] = e;
        }
        fromEntry /= kFan;
    }
    // Levels above a single entry are not needed.
    std::size_t keep = 1;
    while (keep < levels_.size() && levels_[keep - 1].size() > 1) ++keep;
    levels_.resize(std::min(levels_.size(), keep));
}

void TSeriesPoints::MakeRoomForOne() {
    if (times_.size() < times_.capacity()) return;
    const std::size_t live = Count();
    // A sixteenth of dead points at the head: reuse their room. Otherwise
    // grow by half.
    if (head_ >= kBlock && head_ >= live / 16) {
        Compact();
        if (times_.size() < times_.capacity()) return;
    }
    const std::size_t capacity = std::max<std::size_t>(kBlock, times_.size() + times_.size() / 2);
    times_.reserve(capacity);
    values_.reserve(capacity);
}

void TSeriesPoints::Compact() {
    // Whole blocks only, so the summary's blocks keep their points.
    const std::size_t shift = head_ / kBlock * kBlock;
    if (shift == 0) return;
    const std::size_t live = times_.size() - shift;
    // More room than a sixteenth spare: give it back.
    if (times_.capacity() > live + live / 16 + 2 * kBlock) {
        const std::size_t capacity = live + live / 16 + kBlock;
        TArray t;
        TArray v;
        t.reserve(capacity);
        v.reserve(capacity);
        t.assign(times_.begin() + static_cast<std::ptrdiff_t>(shift), times_.end());
        v.assign(values_.begin() + static_cast<std::ptrdiff_t>(shift), values_.end());
        times_.swap(t);
        values_.swap(v);
    } else {
        times_.erase(times_.begin(), times_.begin() + static_cast<std::ptrdiff_t>(shift));
        values_.erase(values_.begin(), values_.begin() + static_cast<std::ptrdiff_t>(shift));
    }
    head_ -= shift;
    if (!levels_.empty()) {
        std::vector<TBlock>& blocks = levels_[0];
        blocks.erase(blocks.begin(), blocks.begin() + static_cast<std::ptrdiff_t>(shift / kBlock));
        // Room for the blocks of the points' room, no more.
        const std::size_t needed = times_.capacity() / kBlock + 2;
        if (blocks.capacity() > needed + needed / 4) {
            std::vector<TBlock> fitted;
            fitted.reserve(needed);
            fitted.assign(blocks.begin(), blocks.end());
            blocks.swap(fitted);
        } else {
            blocks.reserve(needed);
        }
        levels_.resize(1);
        RebuildUpperLevels(1, 0);
    }
}

}  // namespace qx
