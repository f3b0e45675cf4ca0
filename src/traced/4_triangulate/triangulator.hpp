// One triangulator of the merge tree that the mesh's layout fixes: vertical
// cuts, halves of count / 2 and the rest, base pieces of two or three points.
#ifndef DELAUNAY2D_TRACED_TRIANGULATE_TRIANGULATOR_HPP
#define DELAUNAY2D_TRACED_TRIANGULATE_TRIANGULATOR_HPP

#include <cstddef>
#include <cstdint>

#include "traced/4_triangulate/layout_order.hpp"
#include "traced/4_triangulate/handover.hpp"
#include "engine/merge/merge.hpp"
#include "engine/merge/record_slots.hpp"
#include "engine/merge/records.hpp"
#include "traced/4_triangulate/triangulation_result.hpp"

namespace d2d::traced {

// Triangulates ranges of the points in a shared block of records. One
// triangulator may build the whole range; or one per thread builds a half of
// the top merge in disjoint slots of the block (passing work to the other
// thread when that one is idle), and one of them then takes over the other's
// work and finishes with the top merge.
class Triangulator {
 public:
    // The triangulator hands out the slots [first_slot, end_slot) of
    // `block` and tags its promotions with `owner`.
    Triangulator(const double* xy, merge::RecordBlock* block, uint32_t first_slot, uint32_t end_slot, uint32_t owner)
        : slots_(block, first_slot, end_slot),
          layout_(block->data(), owner),
          merger_(xy, slots_, layout_.edge_part()) {}

    // Triangulates points [0, count); the result is collected on `threads`.
    TriangulationResult run(uint32_t count, ThreadCount threads);

    // Triangulates points [beg, end), at least two of them; the ends of its
    // hull are returned. With `offers` set, large right parts are offered
    // there to the other thread.
    merge::HullEnds build_range(uint32_t beg, uint32_t end, WorkOffers* offers, SharedWork* shared);

    // With this triangulator holding points [0, mid) and `right` holding
    // [mid, count): merges the two and returns the whole triangulation, in
    // the order a single triangulator gives, collected on `threads`.
    TriangulationResult finish_top_merge(merge::HullEnds left_ends, Holdings right, merge::HullEnds right_ends,
                                         uint32_t count, uint32_t owner, ThreadCount threads);

    // Hands on the slots, the edge part and the promotion lists.
    Holdings surrender();

    // Takes the first open offer, if there is one and list tags are left
    // for it, and builds its range; false when there was nothing to take.
    static bool help_once(SharedWork& shared, WorkOffers& offers);
    // Takes and builds the other thread's offers until its half is done.
    static void help(SharedWork& shared, WorkOffers& offers);

 private:
    // The merge tree (merge_tree.cpp).
    merge::HullEnds build(uint32_t beg, uint32_t end);
    merge::HullEnds merge_halves(merge::HullEnds left, merge::HullEnds right, uint32_t first, uint32_t last);

    // The hand-over (handover.cpp).
    void take_in(Holdings other, uint32_t owner);
    bool offer(uint32_t beg, uint32_t end);
    merge::HullEnds build_offered(uint32_t beg, uint32_t end);

    merge::RecordSlots slots_;
    LayoutOrder layout_;
    merge::PieceMerger merger_;
    WorkOffers* offers_ = nullptr;
    SharedWork* shared_ = nullptr;
    size_t offer_depth_ = 0;  // offers out, each in its slot
};

}  // namespace d2d::traced

#endif
