#include "library/split_order_sort.hpp"

#include <algorithm>
#include <bit>
#include <cmath>

#include "common/page_buffer.hpp"
#include "common/random_quick_sort.hpp"
#include "point/point_order.hpp"

namespace d2d {
namespace {

struct SplitKey {
    double x;
    double y;
    double zw;  // z + w, the last tie-break
    Point3D* point;
};

// Raised when the quicksort has made far more comparisons than any input
// with few equal keys needs.
struct TooManyComparisons {};

// A strict weak order that agrees with the split order wherever that order
// decides: ascending x, equal x by descending y, then ascending z + w, with
// NaN values after all others at each step.
// -1 when u goes first, 1 when v does, 0 when this step does not decide.
int compare_step(double u, double v, bool descending) {
    const bool u_nan = std::isnan(u);
    const bool v_nan = std::isnan(v);
    if (u_nan || v_nan) return u_nan == v_nan ? 0 : (u_nan ? 1 : -1);
    if (u == v) return 0;
    return (descending ? u > v : u < v) ? -1 : 1;
}

bool split_order_total(const SplitKey& a, const SplitKey& b) {
    int order = compare_step(a.x, b.x, false);
    if (order == 0) order = compare_step(a.y, b.y, true);
    if (order == 0) order = compare_step(a.zw, b.zw, false);
    return order < 0;
}

}  // namespace

PageBuffer<PlacedPoint> sort_split_order(Point3D** points, size_t n) {
    PageBuffer<SplitKey> keys(n);
    for (size_t i = 0; i < n; ++i) {
        const Point3D* p = points[i];
        keys[i] = SplitKey{p->x, p->y, p->z + p->w, points[i]};
    }
    // The randomised quicksort costs about 1.4 n log2 n comparisons on keys
    // that differ, but n^2 / 2 on a large group of points that are equal in
    // every key or have NaN keys, where no point goes before the pivot. Once
    // it has spent many times its usual work, a stable sort finishes the job
    // in the same order for every pair of points the order tells apart; only
    // the arrangement among equal or NaN keys, which the random draws decide
    // anyway, can come out differently.
    const size_t budget = 16 * n * (static_cast<size_t>(std::bit_width(n)) + 1) + 4096;
    size_t comparisons = 0;
    try {
        sort_items(keys.data(), n, [&](const SplitKey& a, const SplitKey& b) {
            if (++comparisons > budget) throw TooManyComparisons{};
            return split_order_before(a.x, a.y, a.zw, b.x, b.y, b.zw);
        });
    } catch (const TooManyComparisons&) {
        std::stable_sort(keys.begin(), keys.end(), split_order_total);
    }
    PageBuffer<PlacedPoint> placed(n);
    for (size_t i = 0; i < n; ++i) {
        points[i] = keys[i].point;
        placed[i] = PlacedPoint{keys[i].x, keys[i].y, keys[i].point};
    }
    return placed;
}

}  // namespace d2d
