// The order in which the mesh lays out its triangles, kept while the merges
// run.
//
// Every merge lays its triangles out as the inner triangles of the left
// half, those of the right half, the surviving edge triangles of the left
// half, those of the right half, then the new triangles from bottom to top,
// and finally moves every edge triangle that now has three neighbours into
// the inner part (each such move exchanges it with the first edge
// triangle). Only the edge parts are kept per merge; the inner part is the
// post-order of the merges over the triangles each one promoted.
#ifndef DELAUNAY2D_TRACED_TRIANGULATE_LAYOUT_ORDER_HPP
#define DELAUNAY2D_TRACED_TRIANGULATE_LAYOUT_ORDER_HPP

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/system/page_buffer.hpp"
#include "engine/system/thread_count.hpp"
#include "engine/merge/records.hpp"
#include "traced/4_triangulate/triangulation_result.hpp"

namespace d2d::traced {

// The triangles the merges promoted, in the order they come in the mesh,
// kept as a sequence of lists. A triangulator appends to its current list;
// when it takes over another triangulator's work (a range built on the
// other thread, or the other half for the top merge), it closes its list,
// appends the other's lists and opens a new one, so that the sequence stays
// the post-order of the merges. Every list has its own owner tag. An entry
// of list o at index j is still an inner triangle when its record is alive
// with owner o and rank j: a triangle that a later merge removed is dead, or
// its slot now holds another triangle, with another owner or rank.
struct PromotionList {
    PageBuffer<uint32_t> ids;
    uint32_t owner = 0;
};

// Owner tags: the two halves' first lists and the top merge's, then two for
// every range one thread offers to the other (its own list, and the list the
// other thread opens after taking it in; an offer withdrawn just as it is
// taken uses up its two as well). kOwnerLimit is the first tag a record
// cannot hold; handover.hpp shows that no triangulation comes near it.
constexpr int kLeftOwner = 0;
constexpr int kRightOwner = 1;
constexpr int kTopOwner = 2;
constexpr int kFirstLaterOwner = 3;
constexpr int kOwnerLimit = 1 << 29;
constexpr uint32_t kOwnerMask = uint32_t{kOwnerLimit} - 1;

// One triangulator's share of the layout: its edge part (a stack on which
// every piece leaves its edge triangles, in mesh order) and its promotion
// lists.
class LayoutOrder {
 public:
    LayoutOrder(merge::Record* records, uint32_t owner) : records_(records) { promoted_.owner = owner; }

    // Where the merges append their new triangles.
    PageBuffer<uint32_t>& edge_part() { return edge_stack_; }
    // Where the edge part of the next piece will begin.
    size_t part_begin() const { return edge_stack_.size(); }

    // The region from part_begin holds the left half's edge part, the right
    // half's, then the latest merge's new triangles. Drops the removed ones,
    // moves each triangle that now has three neighbours to the inner order
    // (as an exchange with the first remaining edge triangle would), and
    // leaves the merged edge part at part_begin.
    void lay_out_merged_part(size_t part_begin);

    // Takes another triangulator's edge part after this one's; closes this
    // one's promotion list, appends the other's and opens a new one, tagged
    // `owner`: as if this triangulator had built the other's range itself,
    // right after its own.
    void take_in(PageBuffer<uint32_t>& edge_part, std::vector<PromotionList>& lists, uint32_t owner);
    // Hands the edge part and every promotion list over.
    void surrender(PageBuffer<uint32_t>& edge_part, std::vector<PromotionList>& lists);

    // The finished triangulation's rows: the inner triangles, then the edge
    // part, each with its vertices and neighbours in mesh order; long lists
    // are read on `threads`.
    TriangulationResult collect(ThreadCount threads);

 private:
    void keep_current_entries(size_t first, size_t last, PageBuffer<uint32_t>& kept) const;
    void number(const PageBuffer<uint32_t>& ids, size_t first, uint32_t* order);
    PageBuffer<uint32_t> number_triangles(size_t& inner_length, ThreadCount threads);
    void write_rows(const PageBuffer<uint32_t>& order, size_t first, size_t last, TriangulationResult& result) const;

    merge::Record* records_;
    PageBuffer<uint32_t> edge_stack_;
    PromotionList promoted_;
    std::vector<PromotionList> lists_;  // the closed lists, in order
};

}  // namespace d2d::traced

#endif
