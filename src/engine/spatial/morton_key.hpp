// Cells over a bounding box and the Morton (Z-order) key of a point's cell:
// the one order along a space-filling curve that the index-array call
// (its quadtree over the points) and location (the order of the queries)
// both take.
//
// Each coordinate is mapped to a cell 0 .. 65535 by a scale that never puts
// a larger coordinate in a lower cell; the key interleaves the two cells'
// bits, x above y:
//
//     x cell  x15 ... x1 x0      key  x15 y15 ... x1 y1 x0 y0
//     y cell  y15 ... y1 y0
//
// Points whose keys differ first in an x bit are separated by a vertical
// line, in a y bit by a horizontal one: sorting by key walks a quadtree.
#ifndef DELAUNAY2D_ENGINE_SPATIAL_MORTON_KEY_HPP
#define DELAUNAY2D_ENGINE_SPATIAL_MORTON_KEY_HPP

#include <cmath>
#include <cstdint>

namespace d2d {

inline constexpr uint32_t kLastCell = 65535;

// Maps the range [low, high] of finite coordinates onto `cells` cells of
// equal width, clamped to 0 .. kLastCell: with 65536 cells, high falls in
// the last one, shared with its neighbours below; with 65535, high alone is
// in cell 65535. Every step (halving, subtracting, scaling, rounding down,
// clamping) is monotone. Halving first keeps the span finite for any
// finite range: from -1e308 to 1e308 it is 1e308, where the unhalved
// difference would overflow to infinity and put everything in one cell.
class CellScale {
 public:
    CellScale(double low, double high, double cells) : half_low_(low * 0.5) {
        const double span = high * 0.5 - half_low_;
        const double scale = cells / span;  // the halves of the range and of the span cancel
        if (span > 0.0 && std::isfinite(scale)) scale_ = scale;
    }
    // The cell of v, for low <= v <= high.
    uint32_t cell(double v) const {
        const double scaled = (v * 0.5 - half_low_) * scale_;
        return scaled >= double{kLastCell} ? kLastCell : static_cast<uint32_t>(scaled);
    }

 private:
    double half_low_;
    double scale_ = 0.0;  // one cell for everything when the range is empty or degenerate
};

// Spreads the 16 bits of v to the even bits of the result.
inline uint32_t spread_bits(uint32_t v) {
    v = (v | (v << 8)) & 0x00FF00FFu;
    v = (v | (v << 4)) & 0x0F0F0F0Fu;
    v = (v | (v << 2)) & 0x33333333u;
    v = (v | (v << 1)) & 0x55555555u;
    return v;
}

// The cells of a bounding box, and the key of a point in it.
class MortonCells {
 public:
    MortonCells(double low_x, double high_x, double low_y, double high_y, double cells)
        : x_(low_x, high_x, cells), y_(low_y, high_y, cells) {}
    uint32_t key(double x, double y) const { return (spread_bits(x_.cell(x)) << 1) | spread_bits(y_.cell(y)); }

 private:
    CellScale x_;
    CellScale y_;
};

// A point's key and its index: what both callers sort (with radix_sort, by
// key; ties keep index order).
struct KeyedIndex {
    uint32_t key;
    uint32_t index;
};

}  // namespace d2d

#endif
