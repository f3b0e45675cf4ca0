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
#include <cmath>
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

// A part of the plane a tile loads the points of: a box; or where round,
// the part of a disk (centre x, y, radius r) within the box; or where a
// strip, the points within r of the segment from (x, y) to (x2, y2).
struct Region {
    Box box{};
    bool round = false;
    bool strip = false;
    double x = 0.0, y = 0.0, r = 0.0;
    double x2 = 0.0, y2 = 0.0;

    // The disk as loaded: a little larger than asked, so that a point on
    // its circle is never lost to rounding.
    double loaded_radius() const { return r * (1.0 + 1e-9) + 1e-12 * (std::abs(x) + std::abs(y)); }
    bool holds(double px, double py) const {
        if (px < box[0] || px > box[2] || py < box[1] || py > box[3]) {
            return false;
        }
        if (strip) {
            const double dx = x2 - x, dy = y2 - y;
            const double length2 = dx * dx + dy * dy;
            const double t = length2 > 0.0 ? std::clamp(((px - x) * dx + (py - y) * dy) / length2, 0.0, 1.0) : 0.0;
            return std::hypot(px - (x + t * dx), py - (y + t * dy)) <= r;
        }
        const double rr = loaded_radius();
        return !round || (px - x) * (px - x) + (py - y) * (py - y) <= rr * rr;
    }
    // Whether every point of other lies in this (with room for rounding
    // on other's disk, which holds one's own disk again).
    bool contains(const Region& other) const {
        const bool box_in = other.box[0] >= box[0] && other.box[1] >= box[1] && other.box[2] <= box[2] &&
                            other.box[3] <= box[3];
        if (strip || other.strip) {
            // Only a strip holds a strip, its own (loading more is all a
            // strip does; certainty comes from disks and boxes).
            return strip && other.strip && box_in && x == other.x && y == other.y && x2 == other.x2 &&
                   y2 == other.y2 && other.r <= r;
        }
        if (!box_in || !round) {
            return box_in;
        }
        return other.round && std::hypot(other.x - x, other.y - y) + other.r <= loaded_radius() - 1e-9 * other.r;
    }
};

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
