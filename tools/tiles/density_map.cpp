#include "tiles/density_map.hpp"

#include <algorithm>
#include <cmath>

namespace d2dcli {

DensityMap::DensityMap(const std::array<double, 4>& bounds, std::size_t side)
    : bounds_(bounds), side_(std::max<std::size_t>(side, 1)), counts_(side_ * side_, 0) {}

std::size_t DensityMap::bin_of(double v, int axis) const {
    const double low = bounds_[static_cast<std::size_t>(axis)];
    const double high = bounds_[static_cast<std::size_t>(axis) + 2];
    const double at = high > low ? (v - low) / (high - low) * static_cast<double>(side_) : 0.0;
    return static_cast<std::size_t>(std::clamp(at, 0.0, static_cast<double>(side_ - 1)));
}

std::uint64_t DensityMap::most_in_a_core(std::size_t columns, std::size_t rows) const {
    std::vector<std::uint64_t> cores(columns * rows, 0);
    for (std::size_t j = 0; j < side_; ++j) {
        const std::size_t row = std::min(rows - 1, (2 * j + 1) * rows / (2 * side_));
        for (std::size_t i = 0; i < side_; ++i) {
            const std::size_t column = std::min(columns - 1, (2 * i + 1) * columns / (2 * side_));
            cores[row * columns + column] += counts_[j * side_ + i];
        }
    }
    return *std::max_element(cores.begin(), cores.end());
}

}  // namespace d2dcli
