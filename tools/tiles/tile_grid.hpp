// The grid of tile cores over the points' extent, and which core a point
// belongs to. Column i holds the points with xs[i] <= x < xs[i + 1] (the
// last column also x = max x), row j likewise in y; the comparisons are
// exact, so "the points of these cores" is exactly "the points in this
// box", which is what a tile's seen box promises the library.
//
//   ys[2] +------+------+------+
//         | 0,1  | 1,1  | 2,1  |     core (i, j): [xs[i], xs[i+1]) x [ys[j], ys[j+1])
//   ys[1] +------+------+------+
//         | 0,0  | 1,0  | 2,0  |
//   ys[0] +------+------+------+
//        xs[0]  xs[1]  xs[2]  xs[3]
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace d2dcli {

// A point as the tiles carry it: its coordinates and z, and its place in
// the input, which settles repeated points and numbers the vertices as the
// one-pass run does.
struct TilePoint {
    double x, y, z;
    std::uint64_t index;
};
static_assert(sizeof(TilePoint) == 4 * sizeof(double), "read by the library at a stride of 4 doubles");

// min x, min y, max x, max y.
using Box = std::array<double, 4>;

struct TileGrid {
    std::vector<double> xs;  // columns + 1 boundaries, xs[0] = min x, xs.back() = max x
    std::vector<double> ys;  // rows + 1 boundaries
    std::array<double, 4> bounds{};  // min x, min y, max x, max y of the finite points

    std::size_t columns() const { return xs.size() - 1; }
    std::size_t rows() const { return ys.size() - 1; }
    std::size_t count() const { return columns() * rows(); }

    std::size_t column_of(double x) const { return band_of(xs, x); }
    std::size_t row_of(double y) const { return band_of(ys, y); }
    std::size_t tile_of(double x, double y) const { return row_of(y) * columns() + column_of(x); }

private:
    // The largest i with edges[i] <= v, among 0 .. size - 2.
    static std::size_t band_of(const std::vector<double>& edges, double v) {
        return static_cast<std::size_t>(std::upper_bound(edges.begin() + 1, edges.end() - 1, v) -
                                        (edges.begin() + 1));
    }
};

// columns x rows equal cores over bounds.
TileGrid make_tile_grid(const std::array<double, 4>& bounds, std::size_t columns, std::size_t rows);

}  // namespace d2dcli
