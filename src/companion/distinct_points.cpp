#include "companion/distinct_points.hpp"

#include <algorithm>
#include <cmath>

namespace d2d::companion {
namespace {

// Maps a coordinate range to 16 bits without ever putting a larger
// coordinate in a lower cell: every step (halving, subtracting, scaling,
// rounding down, clamping) is monotone. Halving first keeps the span
// finite for any finite range.
class CellScale {
 public:
    CellScale(double low, double high) : half_low_(low * 0.5) {
        const double span = high * 0.5 - half_low_;
        const double scale = 65536.0 / span;
        if (span > 0.0 && std::isfinite(scale)) scale_ = scale;
    }
    uint32_t cell(double v) const {
        const double scaled = (v * 0.5 - half_low_) * scale_;
        return scaled >= 65535.0 ? 65535u : static_cast<uint32_t>(scaled);
    }

 private:
    double half_low_;
    double scale_ = 0.0;  // one cell for everything when the range is empty or degenerate
};

// Spreads the 16 bits of v to the even bits of the result.
uint32_t spread(uint32_t v) {
    v = (v | (v << 8)) & 0x00FF00FFu;
    v = (v | (v << 4)) & 0x0F0F0F0Fu;
    v = (v | (v << 2)) & 0x33333333u;
    v = (v | (v << 1)) & 0x55555555u;
    return v;
}

struct KeyedIndex {
    uint32_t key;
    uint32_t index;
};

// Stable sort by key, least significant digit first; digits in which all
// keys agree are skipped.
void sort_by_key(PageBuffer<KeyedIndex>& items) {
    constexpr int kDigitBits = 11;
    constexpr uint32_t kRadix = 1u << kDigitBits;
    const size_t n = items.size();
    PageBuffer<KeyedIndex> spare(n);
    for (int shift = 0; shift < 32; shift += kDigitBits) {
        size_t counts[kRadix] = {};
        for (const KeyedIndex& item : items) ++counts[(item.key >> shift) & (kRadix - 1)];
        if (counts[(items[0].key >> shift) & (kRadix - 1)] == n) continue;
        size_t start = 0;
        for (size_t& count : counts) start += std::exchange(count, start);
        for (const KeyedIndex& item : items) spare[counts[(item.key >> shift) & (kRadix - 1)]++] = item;
        std::swap(items, spare);
    }
}

}  // namespace

DistinctPoints find_distinct_points(const double* coords, size_t count, size_t stride, int32_t* vertex_of_point) {
    double low_x = INFINITY, high_x = -INFINITY, low_y = INFINITY, high_y = -INFINITY;
    size_t finite = 0;
    for (size_t i = 0; i < count; ++i) {
        const double x = coords[i * stride];
        const double y = coords[i * stride + 1];
        if (std::isfinite(x) && std::isfinite(y)) {
            low_x = std::min(low_x, x);
            high_x = std::max(high_x, x);
            low_y = std::min(low_y, y);
            high_y = std::max(high_y, y);
            ++finite;
            vertex_of_point[i] = static_cast<int32_t>(i);
        } else {
            vertex_of_point[i] = -1;
        }
    }
    DistinctPoints distinct;
    if (finite == 0) return distinct;

    PageBuffer<KeyedIndex> items(finite);
    const CellScale x_cells(low_x, high_x);
    const CellScale y_cells(low_y, high_y);
    size_t k = 0;
    for (size_t i = 0; i < count; ++i) {
        if (vertex_of_point[i] < 0) continue;
        const double x = coords[i * stride];
        const double y = coords[i * stride + 1];
        items[k++] = KeyedIndex{(spread(x_cells.cell(x)) << 1) | spread(y_cells.cell(y)), static_cast<uint32_t>(i)};
    }
    sort_by_key(items);

    distinct.points.resize(finite);
    distinct.keys.resize(finite);
    size_t kept = 0;
    for (size_t run = 0; run < finite;) {
        size_t run_end = run + 1;
        while (run_end < finite && items[run_end].key == items[run].key) ++run_end;
        // Adding +0.0 turns -0.0 into +0.0: equal points are equal in every bit.
        for (size_t i = run; i < run_end; ++i) {
            const size_t at = items[i].index * stride;
            distinct.points[kept + (i - run)] = IndexedPoint{coords[at] + 0.0, coords[at + 1] + 0.0, items[i].index};
        }
        IndexedPoint* first = distinct.points.data() + kept;
        IndexedPoint* last = first + (run_end - run);
        if (run_end - run > 1) {
            // Points of one cell: equal ones next to each other, the lowest
            // index first; keep that one.
            std::sort(first, last, [](const IndexedPoint& a, const IndexedPoint& b) {
                if (a.x != b.x) return a.x < b.x;
                if (a.y != b.y) return a.y > b.y;
                return a.index < b.index;
            });
            IndexedPoint* out = first + 1;
            for (IndexedPoint* p = first + 1; p != last; ++p) {
                if (p->x == (out - 1)->x && p->y == (out - 1)->y) {
                    vertex_of_point[p->index] = static_cast<int32_t>((out - 1)->index);
                } else {
                    *out++ = *p;
                }
            }
            last = out;
        }
        for (IndexedPoint* p = first; p != last; ++p) distinct.keys[kept++] = items[run].key;
        run = run_end;
    }
    distinct.points.resize(kept);
    distinct.keys.resize(kept);
    return distinct;
}

}  // namespace d2d::companion
