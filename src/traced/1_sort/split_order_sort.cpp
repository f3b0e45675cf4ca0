#include "traced/1_sort/split_order_sort.hpp"

#include <algorithm>
#include <bit>
#include <cmath>

#include "blocks/common/random_quick_sort.hpp"
#include "traced/1_sort/distinct_split_order.hpp"
#include "blocks/point/point_order.hpp"
#include "traced/thread_thresholds.hpp"

namespace d2d::traced {
namespace {

// Raised when the quicksort has made far more comparisons than any input
// with few equal keys needs.
struct TooManyComparisons {};

// One step of split_order_total: -1 when u goes first, 1 when v does, 0 when
// this step does not decide.
int compare_step(double u, double v, bool descending) {
    const bool u_nan = std::isnan(u);
    const bool v_nan = std::isnan(v);
    if (u_nan || v_nan) return u_nan == v_nan ? 0 : (u_nan ? 1 : -1);
    if (u == v) return 0;
    return (descending ? u > v : u < v) ? -1 : 1;
}

// A strict weak order that agrees with the split order wherever that order
// decides: ascending x, equal x by descending y, then ascending z + w, with
// NaN values after all others at each step.
bool split_order_total(const PlacedPoint& a, const PlacedPoint& b) {
    int order = compare_step(a.x, b.x, false);
    if (order == 0) order = compare_step(a.y, b.y, true);
    if (order == 0) order = compare_step(a.zw, b.zw, false);
    return order < 0;
}

// The randomised quicksort costs about 1.4 n log2 n comparisons on keys
// that differ, but n^2 / 2 on a large group of points that are equal in
// every key or have NaN keys, where no point goes before the pivot. Once it
// has spent many times its usual work, a stable sort finishes the job in the
// same order for every pair of points the order tells apart; only the
// arrangement among equal or NaN keys, which the random draws decide anyway,
// can come out differently.
size_t comparison_budget(size_t n) {
    return 16 * n * (static_cast<size_t>(std::bit_width(n)) + 1) + 4096;
}


}  // namespace

void sort_split_order(PageBuffer<PlacedPoint>& points) {
    const size_t n = points.size();
    const size_t budget = comparison_budget(n);
    size_t comparisons = 0;
    try {
        sort_items(points.data(), n, [&](const PlacedPoint& a, const PlacedPoint& b) {
            if (++comparisons > budget) throw TooManyComparisons{};
            return split_order_before(a.x, a.y, a.zw, b.x, b.y, b.zw);
        });
    } catch (const TooManyComparisons&) {
        std::stable_sort(points.begin(), points.end(), split_order_total);
    }
}

void sort_split_order_deferring_draws(PageBuffer<PlacedPoint>& points, DeferredDraws& draws, ThreadCount threads) {
    const size_t n = points.size();
    PageBuffer<PlacedPoint> sorted;
    if (n < thresholds::kRadixSortFrom || !sort_distinct_split_order(points, sorted, draws.places_, threads)) {
        draws.places_.release();
        sort_split_order(points);
        return;
    }
    points = std::move(sorted);
    draws.pending_.resize(n / 2 + 1);
    draws.budget_ = comparison_budget(n);
}

void DeferredDraws::make() noexcept {
    if (places_.empty()) return;
    replay_quick_sort_draws(places_.data(), places_.size(), budget_, pending_.data());
    places_.release();
    pending_.release();
}

}  // namespace d2d::traced
