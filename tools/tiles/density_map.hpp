// How the points spread over their extent, counted on a fine grid of bins
// in one pass, so that the cores can be made small enough for the densest
// part (clustered points would otherwise put most of the set in a few
// cores of a grid sized by the mean).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace d2dcli {

class DensityMap {
public:
    // side x side bins over bounds.
    DensityMap(const std::array<double, 4>& bounds, std::size_t side);

    void add(double x, double y) { ++counts_[bin_of(y, 1) * side_ + bin_of(x, 0)]; }
    std::size_t side() const { return side_; }
    // The most points a core of a columns x rows grid over bounds holds, as
    // the bins tell (a bin counts for the core of its centre).
    std::uint64_t most_in_a_core(std::size_t columns, std::size_t rows) const;

private:
    std::size_t bin_of(double v, int axis) const;

    std::array<double, 4> bounds_;
    std::size_t side_;
    std::vector<std::uint32_t> counts_;
};

}  // namespace d2dcli
