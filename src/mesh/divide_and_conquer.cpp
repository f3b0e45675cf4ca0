#include "mesh/divide_and_conquer.hpp"

#include <utility>

#include "line/exact_predicates.hpp"
#include "mesh/half_edge_graph.hpp"

namespace d2d {
namespace {

// One live triangle, or a free slot. `edge` is a half-edge of its
// counter-clockwise boundary: the one from its first vertex to its second
// when the record order is counter-clockwise, and from its first vertex to
// its third when the record order is clockwise (`flipped`), which only a base
// triangle of three points can be. `rank` is its place in the inner order
// once a merge has promoted it, kNone before. `recheck` marks a triangle
// that may have gained its third neighbour in the running merge: a new one,
// or an old one across whose hull edge a new triangle was built. No other
// triangle's neighbours can change from missing to present.
struct TriangleSlot {
    uint32_t edge;
    uint32_t rank;
    uint8_t alive;
    uint8_t flipped;
    uint8_t recheck;
};

// Counter-clockwise hull edges of a finished piece: `left` leaves its first
// point with the piece on its left, `right` leaves its last point with the
// piece on its right.
struct HullEnds {
    uint32_t left;
    uint32_t right;
};

class Triangulator {
 public:
    Triangulator(const double* xy, uint32_t count)
        : xy_(xy), count_(count), graph_(3 * static_cast<size_t>(count) + 8) {
        slots_.reserve(2 * static_cast<size_t>(count) + 16);
        // Reserved room costs no memory until it is used; the inner order
        // also records promotions that later merges undo.
        inner_order_.reserve(6 * static_cast<size_t>(count) + 16);
    }

    TriangulationResult run() {
        if (count_ >= 2) build(0, count_);
        return collect();
    }

 private:
    double orient(uint32_t a, uint32_t b, uint32_t c) const {
        return orient2d_exact(xy_[2 * a], xy_[2 * a + 1], xy_[2 * b], xy_[2 * b + 1], xy_[2 * c],
                              xy_[2 * c + 1]);
    }
    // > 0 when d lies strictly inside the circle through a, b, c (counter-clockwise).
    bool in_circle(uint32_t a, uint32_t b, uint32_t c, uint32_t d) const {
        return incircle_exact(xy_[2 * a], xy_[2 * a + 1], xy_[2 * b], xy_[2 * b + 1], xy_[2 * c],
                              xy_[2 * c + 1], xy_[2 * d], xy_[2 * d + 1]) > 0.0;
    }

    bool above_base(uint32_t base_left, uint32_t base_right, uint32_t p) const {
        return orient(base_left, base_right, p) > 0.0;
    }

    // A new live triangle whose counter-clockwise boundary is e0, e1, e2.
    uint32_t add_triangle(uint32_t e0, uint32_t e1, uint32_t e2, uint32_t record_edge, bool flipped) {
        const TriangleSlot slot{record_edge, kNone, 1, static_cast<uint8_t>(flipped ? 1 : 0), 1};
        uint32_t id;
        if (!free_slots_.empty()) {
            id = free_slots_.back();
            free_slots_.pop_back();
            slots_[id] = slot;
        } else {
            id = static_cast<uint32_t>(slots_.size());
            slots_.push_back(slot);
        }
        graph_.set_face(e0, id);
        graph_.set_face(e1, id);
        graph_.set_face(e2, id);
        return id;
    }

    // The new triangle on the left of side edge e may complete the old
    // triangle on its other side.
    void recheck_across(uint32_t e) {
        const uint32_t f = graph_.face(HalfEdgeGraph::twin(e));
        if (alive_face(f)) slots_[f].recheck = 1;
    }

    bool alive_face(uint32_t f) const { return f != kNone && slots_[f].alive != 0; }

    // Removes an edge and with it the triangles on both of its sides. Their
    // slots are reused only once the merge has laid out its triangles: until
    // then the halves' edge parts may still name them.
    void remove_edge(uint32_t e) {
        kill(graph_.face(e));
        kill(graph_.face(HalfEdgeGraph::twin(e)));
        graph_.remove_edge(e);
    }
    void kill(uint32_t f) {
        if (f == kNone || slots_[f].alive == 0) return;
        slots_[f].alive = 0;
        dead_slots_.push_back(f);
    }

    bool has_three_neighbours(uint32_t t) const {
        uint32_t e = slots_[t].edge;
        for (int i = 0; i < 3; ++i) {
            if (!alive_face(graph_.face(HalfEdgeGraph::twin(e)))) return false;
            e = graph_.lnext(e);
        }
        return true;
    }

    // Triangulates points beg .. end - 1 and leaves the piece's edge
    // triangles, in mesh order, on top of edge_stack_.
    HullEnds build(uint32_t beg, uint32_t end) {
        const uint32_t n = end - beg;
        if (n == 2) {
            const uint32_t a = graph_.make_edge(beg, beg + 1);
            return {a, HalfEdgeGraph::twin(a)};
        }
        if (n == 3) return build_three(beg);

        const uint32_t mid = beg + n / 2;
        const size_t part_begin = edge_stack_.size();
        const HullEnds left = build(beg, mid);
        const HullEnds right = build(mid, end);
        const HullEnds merged = merge(left, right);
        lay_out_merged_part(part_begin);
        return merged;
    }

    HullEnds build_three(uint32_t s0) {
        const uint32_t s1 = s0 + 1;
        const uint32_t s2 = s0 + 2;
        const uint32_t a = graph_.make_edge(s0, s1);
        const uint32_t b = graph_.make_edge(s1, s2);
        graph_.insert_after(HalfEdgeGraph::twin(a), b);
        const double turn = orient(s0, s1, s2);
        if (turn > 0.0) {
            const uint32_t c = graph_.connect(b, a);
            edge_stack_.push_back(add_triangle(a, b, c, a, false));
            return {a, HalfEdgeGraph::twin(b)};
        }
        if (turn < 0.0) {
            const uint32_t c = graph_.connect(b, a);
            const uint32_t ct = HalfEdgeGraph::twin(c);
            edge_stack_.push_back(
                add_triangle(ct, HalfEdgeGraph::twin(b), HalfEdgeGraph::twin(a), ct, true));
            return {ct, c};
        }
        // Three points on a line form no triangle: the chain a, b.
        return {a, HalfEdgeGraph::twin(b)};
    }

    // Joins two neighbouring pieces; every new triangle goes on top of
    // edge_stack_, bottom to top.
    HullEnds merge(HullEnds left, HullEnds right) {
        uint32_t ldo = left.left;
        uint32_t ldi = left.right;
        uint32_t rdi = right.left;
        uint32_t rdo = right.right;

        // Lower common tangent, walking the facing hulls.
        for (;;) {
            if (orient(graph_.origin(rdi), graph_.origin(ldi), graph_.dest(ldi)) > 0.0) {
                ldi = graph_.lnext(ldi);
            } else if (orient(graph_.origin(ldi), graph_.dest(rdi), graph_.origin(rdi)) > 0.0) {
                rdi = graph_.rprev(rdi);
            } else {
                break;
            }
        }

        // base runs from its right end to its left end.
        uint32_t base = graph_.connect(HalfEdgeGraph::twin(rdi), ldi);
        if (graph_.origin(ldi) == graph_.origin(ldo)) ldo = HalfEdgeGraph::twin(base);
        if (graph_.origin(rdi) == graph_.origin(rdo)) rdo = base;

        for (;;) {
            const uint32_t base_left = graph_.dest(base);
            const uint32_t base_right = graph_.origin(base);

            // Candidates above the base: the next edge counter-clockwise
            // around the left end and clockwise around the right end. Edges
            // whose far neighbour lies inside the candidate's circle are not
            // Delaunay in the union and go, with their triangles.
            // (A ring that comes back to the base has no further neighbour
            // to test; asking the in-circle test about a point of the circle
            // itself would only cost the exact evaluation.)
            const uint32_t base_up = HalfEdgeGraph::twin(base);
            uint32_t lcand = graph_.onext(base_up);
            bool left_ok = above_base(base_left, base_right, graph_.dest(lcand));
            if (left_ok) {
                bool removed = false;
                while (graph_.onext(lcand) != base_up &&
                       in_circle(base_left, base_right, graph_.dest(lcand), graph_.dest(graph_.onext(lcand)))) {
                    const uint32_t next = graph_.onext(lcand);
                    remove_edge(lcand);
                    lcand = next;
                    removed = true;
                }
                if (removed) left_ok = above_base(base_left, base_right, graph_.dest(lcand));
            }
            uint32_t rcand = graph_.oprev(base);
            bool right_ok = above_base(base_left, base_right, graph_.dest(rcand));
            if (right_ok) {
                bool removed = false;
                while (graph_.oprev(rcand) != base &&
                       in_circle(base_left, base_right, graph_.dest(rcand), graph_.dest(graph_.oprev(rcand)))) {
                    const uint32_t next = graph_.oprev(rcand);
                    remove_edge(rcand);
                    rcand = next;
                    removed = true;
                }
                if (removed) right_ok = above_base(base_left, base_right, graph_.dest(rcand));
            }
            if (!left_ok && !right_ok) break;

            const uint32_t lower = base_up;  // left end -> right end
            if (!left_ok || (right_ok && in_circle(graph_.dest(lcand), base_left, base_right,
                                                   graph_.dest(rcand)))) {
                // The right side advances: triangle (left, right, right candidate).
                base = graph_.connect(rcand, lower);
                edge_stack_.push_back(add_triangle(lower, rcand, base, lower, false));
                recheck_across(rcand);
            } else {
                // The left side advances: triangle (left, right, left candidate).
                base = graph_.connect(lower, HalfEdgeGraph::twin(lcand));
                edge_stack_.push_back(add_triangle(lower, base, HalfEdgeGraph::twin(lcand), lower, false));
                recheck_across(HalfEdgeGraph::twin(lcand));
            }
        }
        return {ldo, rdo};
    }

    // The region from part_begin holds the left half's edge part, the right
    // half's, then this merge's new triangles. Drop the removed ones, move
    // each triangle that now has three neighbours to the inner order (as an
    // exchange with the first remaining edge triangle would), and leave the
    // merged edge part at part_begin.
    void lay_out_merged_part(size_t part_begin) {
        uint32_t* part = edge_stack_.data() + part_begin;
        const size_t total = edge_stack_.size() - part_begin;
        // One pass drops the removed triangles and partitions the rest.
        size_t kept = 0;
        size_t promoted = 0;
        for (size_t i = 0; i < total; ++i) {
            const uint32_t t = part[i];
            TriangleSlot& slot = slots_[t];
            if (slot.alive == 0) continue;
            part[kept] = t;
            if (slot.recheck != 0) {
                slot.recheck = 0;
                if (has_three_neighbours(t)) {
                    std::swap(part[kept], part[promoted]);
                    ++promoted;
                }
            }
            ++kept;
        }
        for (size_t i = 0; i < promoted; ++i) {
            slots_[part[i]].rank = static_cast<uint32_t>(inner_order_.size());
            inner_order_.push_back(part[i]);
        }
        std::copy(part + promoted, part + kept, part);
        edge_stack_.resize(part_begin + (kept - promoted));
        // Every half-edge that bordered a removed triangle now borders a new
        // one or is gone, so the removed slots are free for reuse.
        free_slots_.insert(free_slots_.end(), dead_slots_.begin(), dead_slots_.end());
        dead_slots_.clear();
    }

    // The final order: live triangles of the inner order, then the top
    // piece's edge part; vertex ids and neighbour indices in record order.
    TriangulationResult collect() {
        std::vector<uint32_t> order;
        order.reserve(inner_order_.size() + edge_stack_.size());
        size_t inner_length = 0;
        // An entry stands only while its slot still holds the triangle that
        // was promoted there.
        for (size_t rank = 0; rank < inner_order_.size(); ++rank) {
            const TriangleSlot& slot = slots_[inner_order_[rank]];
            if (slot.alive != 0 && slot.rank == rank) order.push_back(inner_order_[rank]);
        }
        inner_length = order.size();
        std::vector<uint32_t>().swap(inner_order_);
        order.insert(order.end(), edge_stack_.begin(), edge_stack_.end());
        std::vector<uint32_t>().swap(edge_stack_);

        std::vector<uint32_t> position(slots_.size(), kNone);
        for (size_t i = 0; i < order.size(); ++i) position[order[i]] = static_cast<uint32_t>(i);

        TriangulationResult result;
        result.inner_length = inner_length;
        result.vertices.resize(3 * order.size());
        result.neighbours.resize(3 * order.size());
        for (size_t i = 0; i < order.size(); ++i) {
            const TriangleSlot& slot = slots_[order[i]];
            const uint32_t e0 = slot.edge;
            const uint32_t e1 = graph_.lnext(e0);
            const uint32_t e2 = graph_.lnext(e1);
            auto across = [&](uint32_t e) {
                const uint32_t f = graph_.face(HalfEdgeGraph::twin(e));
                return alive_face(f) ? position[f] : kNone;
            };
            uint32_t* v = &result.vertices[3 * i];
            uint32_t* nb = &result.neighbours[3 * i];
            if (slot.flipped == 0) {
                v[0] = graph_.origin(e0);
                v[1] = graph_.origin(e1);
                v[2] = graph_.origin(e2);
                nb[0] = across(e0);
                nb[1] = across(e1);
                nb[2] = across(e2);
            } else {
                // Record order v0, v1, v2 runs clockwise: e0 is v0 -> v2,
                // e1 is v2 -> v1, e2 is v1 -> v0.
                v[0] = graph_.origin(e0);
                v[1] = graph_.origin(e2);
                v[2] = graph_.origin(e1);
                nb[0] = across(e2);
                nb[1] = across(e1);
                nb[2] = across(e0);
            }
        }
        return result;
    }

    const double* xy_;
    uint32_t count_;
    HalfEdgeGraph graph_;
    std::vector<TriangleSlot> slots_;
    std::vector<uint32_t> free_slots_;
    std::vector<uint32_t> dead_slots_;
    std::vector<uint32_t> edge_stack_;
    std::vector<uint32_t> inner_order_;
};

}  // namespace

TriangulationResult triangulate_sorted_points(const double* xy, uint32_t count) {
    Triangulator triangulator(xy, count);
    return triangulator.run();
}

}  // namespace d2d
