#include "companion/tree_order.hpp"

#include <algorithm>

#include "system/parallel_pair.hpp"

namespace d2d::companion {
namespace {

// Below this many points a piece is arranged on one thread.
constexpr size_t kSplitWorkFrom = 65536;

void sort_base_piece(IndexedPoint* points, size_t n) {
    for (size_t i = 1; i < n; ++i) {
        for (size_t j = i; j > 0 && before_in_order0(points[j], points[j - 1]); --j) std::swap(points[j], points[j - 1]);
    }
}

void arrange(IndexedPoint* points, size_t n, unsigned depth, bool two_threads) {
    if (n <= 3) {
        sort_base_piece(points, n);
        return;
    }
    const size_t half = n / 2;
    if (cut_order(depth) == 0) {
        std::nth_element(points, points + half, points + n, before_in_order0);
    } else {
        std::nth_element(points, points + half, points + n, before_in_order1);
    }
    const auto first = [&] { arrange(points, half, depth + 1, false); };
    const auto second = [&] { arrange(points + half, n - half, depth + 1, false); };
    if (two_threads && n >= kSplitWorkFrom && run_pair_at_once_if(true, first, second)) return;
    first();
    second();
}

}  // namespace

void arrange_tree_order(IndexedPoint* points, size_t n, bool two_threads) { arrange(points, n, 0, two_threads); }

}  // namespace d2d::companion
