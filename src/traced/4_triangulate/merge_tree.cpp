// The merge tree of the entry points: the points are cut in halves exactly
// as the range recursion cuts them, and each pair of neighbouring pieces is
// merged on the way back up, its triangles laid out in mesh order.
#include <utility>

#include "traced/thread_thresholds.hpp"
#include "traced/4_triangulate/triangulator.hpp"

namespace d2d::traced {

using namespace merge;

TriangulationResult Triangulator::run(uint32_t count, ThreadCount threads) {
    if (count >= 2) build(0, count);
    return layout_.collect(threads);
}

HullEnds Triangulator::build_range(uint32_t beg, uint32_t end, WorkOffers* offers, SharedWork* shared) {
    offers_ = offers;
    shared_ = shared;
    const HullEnds ends = build(beg, end);
    offers_ = nullptr;
    return ends;
}

TriangulationResult Triangulator::finish_top_merge(HullEnds left_ends, Holdings right, HullEnds right_ends,
                                                   uint32_t count, uint32_t owner, ThreadCount threads) {
    take_in(std::move(right), owner);
    merge_halves(left_ends, right_ends, 0, count - 1);
    layout_.lay_out_merged_part(0);
    merger_.release_removed();
    return layout_.collect(threads);
}

HullEnds Triangulator::build(uint32_t beg, uint32_t end) {
    const uint32_t n = end - beg;
    if (n == 2) return merger_.build_two(beg);
    if (n == 3) return merger_.build_three(beg);

    const uint32_t mid = beg + n / 2;
    const size_t part_begin = layout_.part_begin();
    const bool offered = offers_ != nullptr && end - mid >= thresholds::kOfferFrom && offer(mid, end);
    const HullEnds left = build(beg, mid);
    const HullEnds right = offered ? build_offered(mid, end) : build(mid, end);
    const HullEnds merged = merge_halves(left, right, beg, end - 1);
    layout_.lay_out_merged_part(part_begin);
    merger_.release_removed();
    return merged;
}

// The merged piece's ends are the halves' outer ends, unless the lower
// common tangent starts or ends there: then the ghost below it is.
HullEnds Triangulator::merge_halves(HullEnds left, HullEnds right, uint32_t first, uint32_t last) {
    const uint32_t bottom = merger_.merge(left.right, right.left).bottom;
    const Record& below = slots_.records()[bottom];
    return {below.v[1] == first ? bottom : left.left, below.v[0] == last ? bottom : right.right};
}

}  // namespace d2d::traced
