#include "tiles/tile_grid.hpp"

namespace d2dcli {

namespace {

std::vector<double> edges(double low, double high, std::size_t count) {
    std::vector<double> result(count + 1);
    for (std::size_t i = 0; i <= count; ++i) {
        result[i] = low + (high - low) * (static_cast<double>(i) / static_cast<double>(count));
    }
    // Rounding keeps them in order (each is low plus a growing share of the
    // same width); the ends are the extent's own values.
    result.front() = low;
    result.back() = high;
    for (std::size_t i = 1; i <= count; ++i) {
        result[i] = std::max(result[i], result[i - 1]);
    }
    return result;
}

}  // namespace

TileGrid make_tile_grid(const std::array<double, 4>& bounds, std::size_t columns, std::size_t rows) {
    TileGrid grid;
    grid.bounds = bounds;
    grid.xs = edges(bounds[0], bounds[2], std::max<std::size_t>(columns, 1));
    grid.ys = edges(bounds[1], bounds[3], std::max<std::size_t>(rows, 1));
    return grid;
}

}  // namespace d2dcli
