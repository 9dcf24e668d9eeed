// A page list over sinks that live elsewhere, in the order they were added:
// for tests, benchmarks and tools that route readings without a main window.
#pragma once

#include <initializer_list>
#include <vector>

#include "readings/ReadingSink.h"

namespace qx {

class TPageVector : public IPageList {
public:
    TPageVector() = default;
    TPageVector(std::initializer_list<IReadingSink*> pages) : pages_(pages) {}

    void Add(IReadingSink* page) { pages_.push_back(page); }
    void Clear() { pages_.clear(); }

    int PageCount() const override { return static_cast<int>(pages_.size()); }
    IReadingSink* Page(int index) const override {
        return index >= 0 && index < PageCount() ? pages_[static_cast<std::size_t>(index)]
                                                 : nullptr;
    }

private:
    std::vector<IReadingSink*> pages_;
};

}  // namespace qx
