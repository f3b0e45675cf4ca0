// Base pieces of two or three points, and the merge of two neighbouring
// pieces, on the working records.
#ifndef DELAUNAY2D_ENGINE_MERGE_MERGE_HPP
#define DELAUNAY2D_ENGINE_MERGE_MERGE_HPP

#include <cstdint>

#include "engine/exact/exact_predicates.hpp"
#include "engine/system/page_buffer.hpp"
#include "engine/merge/record_slots.hpp"
#include "engine/merge/records.hpp"

namespace d2d::merge {

// The ghosts outside the two common tangents of a merge: `bottom` below the
// lower one (its v[1] is the tangent's left end, its v[0] the right end) and
// `top` above the upper one (v[0] left end, v[1] right end). Every other
// ghost of the merged piece's ring was a ghost of one of the halves, outside
// the same hull edge.
struct MergeSeam {
    uint32_t bottom;
    uint32_t top;
};

// Builds pieces in the records of one triangulator's slots. Every new
// triangle is appended to `created` (the caller decides where triangles go
// in the mesh); every triangle a merge removes is marked dead and keeps its
// slot until release_removed(), since the caller's lists may still name it.
//
// All decisions are exact orientation and in-circle tests on the points'
// coordinates `xy` (x0, y0, x1, y1, ...; vertex ids index it). Both tests
// keep their sign under a rotation of the plane by a quarter turn, which is
// exact in floating point; so a merge across a horizontal cut is the same
// walk as across a vertical one, started from the pieces' extreme points
// in the cut's direction.
class PieceMerger {
 public:
    PieceMerger(const double* xy, RecordSlots& slots, PageBuffer<uint32_t>& created)
        : xy_(xy), slots_(slots), records_(slots.records()), created_(created) {}

    // The piece of the points beg and beg + 1, in split order: two ghosts
    // back to back. Its ends are both the ghost outside the edge from the
    // second point to the first.
    HullEnds build_two(uint32_t beg);

    // The piece of the points s0, s0 + 1 and s0 + 2, in split order: one
    // counter-clockwise triangle in its ghost ring, or, for collinear
    // points, the chain s0, s0 + 1, s0 + 2 as a ring of four ghosts.
    HullEnds build_three(uint32_t s0);

    // Joins two neighbouring pieces, the left one lying before the right
    // one in the cut's order: `left_last` is the ghost outside the left
    // piece's hull edge that leaves its last point clockwise (its v[0]),
    // `right_first` the one outside the right piece's edge that leaves its
    // first point counter-clockwise (its v[1]). Returns the ghosts along the
    // two common tangents. The new triangles are appended to `created` from
    // bottom to top.
    MergeSeam merge(uint32_t left_last, uint32_t right_first);

    // Frees the slots of the triangles the merges removed.
    void release_removed() {
        for (const uint32_t t : dead_) slots_.give(t);
        dead_.clear();
    }

    // Whether an in-circle test of this merger's merges found four points
    // exactly on one circle. When none did, no two neighbouring triangles
    // of the result share a circle either. Were there such a pair, lower
    // the lift x^2 + y^2 of a corner off their shared edge by less than
    // the size of every determinant the merges tested: every decision, and
    // so the mesh, stays as it is, yet that corner now lies inside the
    // other triangle's circle, and the mesh is not the lower hull of the
    // lifted points, which the merge builds for any lifts that close. The
    // merge breaks ties by merge order; a caller that wants them fixed by
    // the points alone reads this to know whether there are any.
    bool met_cocircular() const { return met_cocircular_; }

 private:
    // The two sides of a merge mirror each other. On the left, the front
    // ghost at the base's end L lies outside the edge from its candidate
    // (v[0]) to L, and its side 2 leads up the front; on the right, the
    // ghost at R lies outside the edge from R to its candidate (v[1]), and
    // its side 1 leads up.
    struct Side {
        uint32_t cand_vertex;  // slot of the candidate in the front ghost
        uint32_t up;           // side of a front ghost towards the next one up
        uint32_t down;         // the other outer side
    };
    static constexpr Side kLeftSide{0, 2, 1};
    static constexpr Side kRightSide{1, 1, 2};

    // A side's state in one merge step: its front ghost, the candidate
    // point, the side of the record across the candidate edge, and the
    // candidate taken relative to the base.
    struct Front {
        uint32_t ghost;
        uint32_t cand;
        uint32_t next;
        PivotPoint point;
    };

    double orient(uint32_t a, uint32_t b, uint32_t c) const {
        return orient2d_exact(xy_[2 * a], xy_[2 * a + 1], xy_[2 * b], xy_[2 * b + 1], xy_[2 * c],
                              xy_[2 * c + 1]);
    }
    PivotPair pivot_pair(uint32_t p, uint32_t q) const {
        return PivotPair(xy_[2 * p], xy_[2 * p + 1], xy_[2 * q], xy_[2 * q + 1]);
    }
    PivotPoint pivot_point(const PivotPair& pair, uint32_t b) const {
        return pair.point(xy_[2 * b], xy_[2 * b + 1]);
    }
    bool is_ghost(uint32_t t) const { return records_[t].v[2] == kGhost; }

    uint32_t new_record(uint32_t a, uint32_t b, uint32_t c, bool triangle) {
        const uint32_t id = slots_.take();
        // A new triangle is alive and to be rechecked; a ghost is neither.
        records_[id] = triangle ? Record{{a, b, c}, {kNone, kNone, kNone}, kNone, 1, 0, 1, 0}
                                : Record{{a, b, c}, {kNone, kNone, kNone}, kNone, 0, 0, 0, 0};
        return id;
    }
    uint32_t new_ghost(uint32_t a, uint32_t b) { return new_record(a, b, kGhost, false); }
    uint32_t new_triangle(uint32_t a, uint32_t b, uint32_t c) {
        const uint32_t t = new_record(a, b, c, true);
        created_.push_back(t);
        return t;
    }

    void link(uint32_t r, uint32_t s) {
        records_[ref_record(r)].across[ref_side(r)] = s;
        records_[ref_record(s)].across[ref_side(s)] = r;
    }

    // Ghosts around the hull given by its vertices in clockwise order (a
    // collinear piece lists its points there and back); returns the first.
    uint32_t ghost_ring(const uint32_t* hull, int size, uint32_t* ghosts);

    void kill(uint32_t t) {
        records_[t].alive = 0;
        dead_.push_back(t);
    }

    template <Side S>
    bool clear_front(Front& f, const PivotPair& base, uint32_t below_record);
    template <Side S>
    uint32_t advance(Front& f, uint32_t base_left, uint32_t base_right, uint32_t below);

    const double* xy_;
    RecordSlots& slots_;
    Record* records_;
    PageBuffer<uint32_t>& created_;
    PageBuffer<uint32_t> dead_;
    bool met_cocircular_ = false;
};

}  // namespace d2d::merge

#endif
