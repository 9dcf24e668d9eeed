// The points of one series: times and values in two contiguous arrays
// (16 bytes a point), kept in ascending time order, with a summary of each
// 64-point block's minimum and maximum (and coarser levels of 8 blocks each
// above it) that answers the value range of any index range in logarithmic
// time.
//
// Points normally arrive at the back (amortised constant time, the summary
// updated on the way). A point older than the newest is inserted at its time
// position, after the points of equal time; that costs linear time and is
// rare. Points leave at the front by moving a head index; the arrays are
// compacted now and then by whole blocks, so the summary stays aligned.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <vector>

#include "chart/ChartTypes.h"

namespace qx {

// Allocates arrays of 4 MB and more on 2 MB boundaries and asks for huge
// pages: a paint reads long series a page apart per pixel column, and with
// 4 KB pages every such read also misses the address translation cache.
template <class T>
struct THugePageAllocator {
    using value_type = T;
    THugePageAllocator() = default;
    template <class U>
    THugePageAllocator(const THugePageAllocator<U>&) {}
    T* allocate(std::size_t n);
    void deallocate(T* p, std::size_t) noexcept { std::free(p); }
    template <class U>
    friend bool operator==(const THugePageAllocator&, const THugePageAllocator<U>&) {
        return true;
    }
};

void* AllocatePointArray(std::size_t bytes);

template <class T>
T* THugePageAllocator<T>::allocate(std::size_t n) {
    return static_cast<T*>(AllocatePointArray(n * sizeof(T)));
}

class TSeriesPoints {
public:
    static constexpr std::size_t kBlock = 64;  // points per summary block
    static constexpr std::size_t kFan = 8;     // entries of one level per entry above
    static constexpr unsigned kBlockShift = 6;
    static constexpr unsigned kFanShift = 3;

    std::size_t Count() const { return times_.size() - head_; }
    bool Empty() const { return Count() == 0; }
    double X(std::size_t i) const { return times_[head_ + i]; }
    double Y(std::size_t i) const { return values_[head_ + i]; }
    double FirstX() const { return times_[head_]; }
    double LastX() const { return times_.back(); }
    // The stored arrays of the Count() points, oldest first.
    const double* Times() const { return times_.data() + head_; }
    const double* Values() const { return values_.data() + head_; }

    // Adds a point at its time position and returns its index. A point
    // whose time or value is not finite is refused: it returns npos.
    std::size_t Add(double x, double y);
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    // Deletes the point at index i (ignored when out of range).
    void Delete(std::size_t i);
    // Deletes the n oldest points (all when n >= Count()).
    void DeleteFront(std::size_t n);
    // Deletes every point older than x; returns how many went.
    std::size_t TrimBefore(double x);
    void Clear();
    // Room for n points without reallocating.
    void Reserve(std::size_t n);

    // The first index whose time is >= x (LowerBound) or > x (UpperBound).
    std::size_t LowerBound(double x) const;
    std::size_t UpperBound(double x) const;

    // Minimum and maximum value of the points [from, to).
    TValueRange ValueRange(std::size_t from, std::size_t to) const;
    // Minimum and maximum value of the points whose time is in [x0, x1].
    TValueRange ValueRangeInTime(double x0, double x1) const;

    // Bytes held for the points and their summary.
    std::size_t MemoryBytes() const;

private:
    struct TBlock {
        double min;
        double max;
    };

    void SummaryAppend(std::size_t abs, double y);
    // Rebuilds the summary of the blocks from the one holding abs onwards.
    void RebuildSummaryFrom(std::size_t abs);
    void RebuildUpperLevels(std::size_t level, std::size_t fromEntry);
    void MakeRoomForOne();
    void Compact();
    void ScanRange(std::size_t absFrom, std::size_t absTo, TValueRange& r) const;
    void QueryLevel(std::size_t level, std::size_t from, std::size_t to, TValueRange& r) const;

    using TArray = std::vector<double, THugePageAllocator<double>>;
    TArray times_;
    TArray values_;
    std::size_t head_ = 0;  // index of the oldest live point in the arrays
    // levels_[k][j] covers the array indices [j * 64 * 8^k, (j + 1) * 64 * 8^k).
    std::vector<std::vector<TBlock>> levels_;
};

}  // namespace qx
