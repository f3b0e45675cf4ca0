#include "companion/tree_order.hpp"

#include <algorithm>

#include "system/parallel_pair.hpp"

namespace d2d::companion {
namespace {

// Below this many points a piece is arranged on one thread.
constexpr uint32_t kSplitWorkFrom = 65536;

Cut median_cut(const Piece& piece, int order) {
    const uint32_t mid = piece.beg + piece.size() / 2;
    const auto next = static_cast<int8_t>(1 - order);
    return Cut{order, Piece{piece.beg, mid, -1, next}, Piece{mid, piece.end, -1, next}};
}

void sort_base_piece(IndexedPoint* points, uint32_t n) {
    for (uint32_t i = 1; i < n; ++i) {
        for (uint32_t j = i; j > 0 && before_in_order0(points[j], points[j - 1]); --j) std::swap(points[j], points[j - 1]);
    }
}

void arrange(IndexedPoint* points, const uint32_t* keys, const Piece& piece, bool two_threads) {
    if (piece.size() <= 3) {
        sort_base_piece(points + piece.beg, piece.size());
        return;
    }
    const Cut cut = cut_piece(keys, piece);
    if (cut.first.median_order >= 0) {
        IndexedPoint* first = points + piece.beg;
        IndexedPoint* mid = points + cut.first.end;
        IndexedPoint* last = points + piece.end;
        if (cut.order == 0) {
            std::nth_element(first, mid, last, before_in_order0);
        } else {
            std::nth_element(first, mid, last, before_in_order1);
        }
    }
    const auto first = [&] { arrange(points, keys, cut.first, false); };
    const auto second = [&] { arrange(points, keys, cut.second, false); };
    if (two_threads && piece.size() >= kSplitWorkFrom && run_pair_at_once_if(true, first, second)) return;
    first();
    second();
}

}  // namespace

Cut cut_piece(const uint32_t* keys, const Piece& piece) {
    if (piece.median_order >= 0) return median_cut(piece, piece.median_order);
    for (int bit = piece.bit; bit >= 0; --bit) {
        const uint32_t* at =
            std::partition_point(keys + piece.beg, keys + piece.end, [bit](uint32_t key) { return ((key >> bit) & 1u) == 0; });
        const auto mid = static_cast<uint32_t>(at - keys);
        if (mid == piece.beg || mid == piece.end) continue;  // no point on one side: the next bit
        // x bits take the odd places of a key.
        const int order = (bit & 1) != 0 ? 0 : 1;
        if (mid - piece.beg < 2 || piece.end - mid < 2) return median_cut(piece, order);
        const auto next = static_cast<int8_t>(bit - 1);
        return Cut{order, Piece{piece.beg, mid, next, -1}, Piece{mid, piece.end, next, -1}};
    }
    return median_cut(piece, 0);  // equal keys
}

void arrange_tree_order(DistinctPoints& points, bool two_threads) {
    arrange(points.points.data(), points.keys.data(), whole_piece(static_cast<uint32_t>(points.size())), two_threads);
}

}  // namespace d2d::companion
