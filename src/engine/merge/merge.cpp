#include "engine/merge/merge.hpp"

namespace d2d::merge {

// A piece is closed by a ring of ghosts, one outside each hull edge, in
// the clockwise order of the hull; ghost i's side 1 meets ghost i + 1's
// side 2 at the hull vertex they share, and its side 0 faces the piece. For
// the three points s0, b, c of a counter-clockwise triangle t:
//
//                  g1 (c, b)
//            c o---------------o b
//               \      t      /
//   g0 (s0, c)   \           /   g2 (b, s0)
//                 \         /
//                  \       /
//                    --o--
//                      s0
//
// Walking from ghost to ghost through sides 1 and 2 goes around the hull;
// the merge does that to find the common tangents and to follow the fronts.
uint32_t PieceMerger::ghost_ring(const uint32_t* hull, int size, uint32_t* ghosts) {
    for (int i = 0; i < size; ++i) ghosts[i] = new_ghost(hull[i], hull[(i + 1) % size]);
    for (int i = 0; i < size; ++i) link(side_ref(ghosts[i], 1), side_ref(ghosts[(i + 1) % size], 2));
    return ghosts[0];
}

HullEnds PieceMerger::build_two(uint32_t beg) {
    uint32_t ghosts[2];
    const uint32_t hull[2] = {beg, beg + 1};
    ghost_ring(hull, 2, ghosts);
    link(side_ref(ghosts[0], 0), side_ref(ghosts[1], 0));
    return {ghosts[1], ghosts[1]};
}

HullEnds PieceMerger::build_three(uint32_t s0) {
    const uint32_t s1 = s0 + 1;
    const uint32_t s2 = s0 + 2;
    const double turn = orient(s0, s1, s2);
    uint32_t g[4];
    if (turn != 0.0) {
        // The triangle is stored counter-clockwise as (s0, b, c); a
        // clockwise base triangle keeps its record order through `flipped`.
        const uint32_t b = turn > 0.0 ? s1 : s2;
        const uint32_t c = turn > 0.0 ? s2 : s1;
        const uint32_t t = new_triangle(s0, b, c);
        records_[t].flipped = turn > 0.0 ? 0 : 1;
        const uint32_t hull[3] = {s0, c, b};
        ghost_ring(hull, 3, g);  // (s0, c), (c, b), (b, s0)
        link(side_ref(t, 0), side_ref(g[2], 0));
        link(side_ref(t, 1), side_ref(g[1], 0));
        link(side_ref(t, 2), side_ref(g[0], 0));
        // The last point s2 starts the clockwise hull edge (c, b) or (b, s0).
        return {g[2], c == s2 ? g[1] : g[2]};
    }
    // Three points on a line form no triangle: the chain s0, s1, s2.
    const uint32_t hull[4] = {s0, s1, s2, s1};
    ghost_ring(hull, 4, g);  // (s0, s1), (s1, s2), (s2, s1), (s1, s0)
    link(side_ref(g[0], 0), side_ref(g[3], 0));
    link(side_ref(g[1], 0), side_ref(g[2], 0));
    return {g[3], g[2]};
}

// Removes, one after the other, the edges from the base's end on this
// side whose far neighbour lies inside the circle through the base and
// the candidate; each removal kills the triangle beyond the candidate
// edge and puts two ghosts on the front in place of one. A candidate
// edge whose other side is a ghost or the triangle just built has no
// further neighbour to test. Returns whether the final candidate lies
// above the base.
// Inlined into merge(), like advance(): both run once or more per merge
// step, and the call would cost more than their bodies save.
template <PieceMerger::Side S>
[[gnu::always_inline]] inline bool PieceMerger::clear_front(Front& f, const PivotPair& base, uint32_t below_record) {
    if (!(base.orient(f.point) > 0.0)) return false;
    bool removed = false;
    for (;;) {
        const uint32_t t = ref_record(f.next);
        if (t == below_record || is_ghost(t)) break;
        const uint32_t k = ref_side(f.next);
        const uint32_t far = records_[t].v[prev3(k)];
        const PivotPoint far_point = pivot_point(base, far);
        const double inside = base.incircle(f.point, far_point);
        met_cocircular_ |= inside == 0.0;
        if (!(inside > 0.0)) break;
        // The front edge to the candidate becomes two edges, through far.
        const uint32_t upper = S.cand_vertex == 0 ? new_ghost(f.cand, far) : new_ghost(far, f.cand);
        const Record& dying = records_[t];
        const uint32_t to_far_side = dying.across[S.cand_vertex == 0 ? next3(k) : prev3(k)];
        const uint32_t to_end_side = dying.across[S.cand_vertex == 0 ? prev3(k) : next3(k)];
        const uint32_t above = records_[f.ghost].across[S.up];
        kill(t);
        records_[f.ghost].v[S.cand_vertex] = far;
        link(side_ref(f.ghost, 0), to_end_side);
        link(side_ref(upper, 0), to_far_side);
        link(side_ref(upper, S.up), above);
        link(side_ref(upper, S.down), side_ref(f.ghost, S.up));
        f.cand = far;
        f.point = far_point;
        f.next = to_end_side;
        removed = true;
    }
    return !removed || base.orient(f.point) > 0.0;
}

// Builds the triangle (L, R, this side's candidate) on the record below
// the base, steps the front up past the candidate edge and returns the
// side of the new triangle that lies on the new base.
template <PieceMerger::Side S>
[[gnu::always_inline]] inline uint32_t PieceMerger::advance(Front& f, uint32_t base_left, uint32_t base_right, uint32_t below) {
    const uint32_t t = new_triangle(base_left, base_right, f.cand);
    link(side_ref(t, 0), below);
    link(side_ref(t, S.up), f.next);
    const uint32_t old = ref_record(f.next);
    if (!is_ghost(old)) records_[old].recheck = 1;
    const uint32_t next_front = ref_record(records_[f.ghost].across[S.up]);
    slots_.give(f.ghost);
    f.ghost = next_front;
    return side_ref(t, S.down);
}

// Between the lower and the upper common tangent the facing hulls are
// the fronts of the two pieces; their ghosts stand for the open region
// above the current cross edge (the base). `lfront` is the ghost outside
// the first front edge at the base's left end L (the edge from L to the
// left candidate), `rfront` the one at its right end R. The triangle
// across a front ghost is the piece's triangle next to the candidate
// edge; removing the candidate edge kills that triangle and puts two
// ghosts on the front in place of one.
MergeSeam PieceMerger::merge(uint32_t left_last, uint32_t right_first) {
    uint32_t lg = left_last;    // outside the hull edge L -> ..., clockwise
    uint32_t rg = right_first;  // outside the hull edge R -> ..., counter-clockwise

    // Lower common tangent, walking the facing hulls. L starts at the left
    // piece's last point and R at the right piece's first; whichever end
    // sees the next hull point below the line L R moves down to it, until
    // no point of either piece lies below:
    //
    //       left         right                left         right
    //      o    o       o    o               o    o       o    o
    //       \   L ----- R   /                 \    \     /    /
    //        o   \     /   o        ->         o    \   /    o
    //         \   o   o   /                     \    \ /    /
    //          o---o   o-o                       o---L-----R-o
    //                                             (bottom ghost below L R)
    for (;;) {
        const Record& l = records_[lg];
        const Record& r = records_[rg];
        if (orient(r.v[1], l.v[0], l.v[1]) > 0.0) {
            lg = ref_record(l.across[1]);
        } else if (orient(l.v[0], r.v[0], r.v[1]) > 0.0) {
            rg = ref_record(r.across[2]);
        } else {
            break;
        }
    }

    uint32_t base_left = records_[lg].v[0];
    uint32_t base_right = records_[rg].v[1];
    uint32_t lfront = ref_record(records_[lg].across[2]);
    uint32_t rfront = ref_record(records_[rg].across[1]);
    const uint32_t bottom = new_ghost(base_right, base_left);
    link(side_ref(bottom, 1), side_ref(lg, 2));
    link(side_ref(bottom, 2), side_ref(rg, 1));

    // The walk up. Each step looks at the candidate on each front (the
    // next point up the left hull from L, the next up the right hull from
    // R), first removing the front edges whose far point lies inside the
    // circle through L, R and the candidate (clear_front), then builds the
    // triangle on the base with the candidate whose circle holds the other
    // candidate outside, and moves the base up to it:
    //
    //          lcand                 rcand
    //            o                     o
    //             \  .  (circle test)  /
    //              \       .         /
    //               L -------------- R      base, `below` the record under it
    //
    //   left advances:  triangle (L, R, lcand), new base lcand -- R
    //   right advances: triangle (L, R, rcand), new base L -- rcand
    //
    // It stops when neither candidate lies above the base: L R is then the
    // upper common tangent, and the top ghost closes the ring above it.

    // The side of the record below the base that lies on the base.
    uint32_t below = side_ref(bottom, 0);
    for (;;) {
        const uint32_t below_record = ref_record(below);
        // Every test of this step is about the base L -> R: on which side
        // of it a candidate lies, and the circle through it and a
        // candidate.
        const PivotPair base = pivot_pair(base_left, base_right);

        // The candidates and the removal of edges that are not Delaunay
        // in the union, on each side.
        Front lf{lfront, records_[lfront].v[0], records_[lfront].across[0], {}};
        lf.point = pivot_point(base, lf.cand);
        const bool left_ok = clear_front<kLeftSide>(lf, base, below_record);
        lfront = lf.ghost;
        Front rf{rfront, records_[rfront].v[1], records_[rfront].across[0], {}};
        rf.point = pivot_point(base, rf.cand);
        const bool right_ok = clear_front<kRightSide>(rf, base, below_record);
        rfront = rf.ghost;
        if (!left_ok && !right_ok) break;

        // The circle through the left candidate, L and R holds the right
        // candidate: incircle(lcand, L, R, rcand) > 0, which is
        // incircle(L, R, rcand, lcand) < 0.
        bool right_inside = false;
        if (left_ok && right_ok) {
            const double inside = base.incircle(rf.point, lf.point);
            met_cocircular_ |= inside == 0.0;
            right_inside = inside < 0.0;
        }
        if (!left_ok || right_inside) {
            // The right side advances: triangle (left, right, right candidate).
            below = advance<kRightSide>(rf, base_left, base_right, below);
            rfront = rf.ghost;
            base_right = rf.cand;
        } else {
            // The left side advances: triangle (left, right, left candidate).
            below = advance<kLeftSide>(lf, base_left, base_right, below);
            lfront = lf.ghost;
            base_left = lf.cand;
        }
    }

    const uint32_t top = new_ghost(base_left, base_right);
    link(side_ref(top, 0), below);
    link(side_ref(top, 1), side_ref(rfront, 2));
    link(side_ref(top, 2), side_ref(lfront, 1));
    return {bottom, top};
}

}  // namespace d2d::merge
