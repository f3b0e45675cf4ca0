#include "index_arrays/tree_order.hpp"

#include <algorithm>


namespace d2d::index_arrays {
namespace {

Cut median_cut(const Piece& piece, int order) {
    const uint32_t mid = piece.beg + piece.size() / 2;
    const auto next = static_cast<int8_t>(1 - order);
    return Cut{order, Piece{piece.beg, mid, -1, next}, Piece{mid, piece.end, -1, next}};
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

}  // namespace d2d::index_arrays
