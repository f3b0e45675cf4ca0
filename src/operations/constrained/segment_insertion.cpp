// Inserting the snapped segments into the constrained mesh. Every vertex is
// already there (snap_rounding.cpp): a piece joins two vertices, and the
// insertion adds no point. A piece is handled from a stack: it ends at the
// first vertex exactly on it (which splits it; the rest goes on the stack)
// or, should it cross an earlier segment edge, follows existing edges
// instead (mark_edge_path).
//
// Termination: each piece taken from the stack either becomes edges and
// ends, or leaves the rest of itself, from a vertex strictly between its
// ends on the same line; there are finitely many such vertices, so each
// piece is done after at most as many steps as vertices lie on it.
//
// Most snapped pieces join neighbouring crossings, which the triangulation
// of all points has mostly joined already: where pieces are many, one pass
// over the triangles flags those first (mark_existing_pieces), and only
// the rest are walked.
//
// From the piece's start a, the walk finds the triangle around a whose
// corner the piece leaves through, then crosses triangles along the piece:
//
//        left[1]   left[2]
//    a ____/\_______/\_______ e       every crossed edge runs from a
//      \  / \  \   /  \    /          vertex right of a -> e to one
//       \/   \  \ /    \  /           left of it; the crossed triangles
//     right[1] right[2]  \/           are replaced by the triangulations
//                                     of the polygons above and below.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "operations/constrained/segment_cavity.hpp"

namespace d2d::operations::constrained {
namespace {

// Whether c, known to lie on the line through a and b, lies on the side of
// a towards b.
bool ahead(const ConstrainedMesh& mesh, uint32_t a, uint32_t b, uint32_t c) {
    const double ax = mesh.xy[2 * a], ay = mesh.xy[2 * a + 1];
    if (mesh.xy[2 * b] != ax) return (mesh.xy[2 * b] > ax) == (mesh.xy[2 * c] > ax) && mesh.xy[2 * c] != ax;
    return (mesh.xy[2 * b + 1] > ay) == (mesh.xy[2 * c + 1] > ay) && mesh.xy[2 * c + 1] != ay;
}

// How the piece a -> b leaves a: along the edge i of t, which joins a to a
// vertex on the piece, or through the far edge of triangle t, whose corner
// i is a.
struct Departure {
    int32_t t;
    int i;
    bool along_edge;
};

Departure depart(const ConstrainedMesh& mesh, uint32_t a, uint32_t b) {
    const int32_t start = mesh.corner[a];
    for (int direction = 0; direction < 2; ++direction) {
        int32_t t = start / 3;
        int i = start % 3;
        for (;;) {
            const uint32_t u = mesh.vertex(t, next3(i));
            const uint32_t w = mesh.vertex(t, prev3(i));
            if (u == b) return {t, i, true};
            const double ou = mesh.orient(a, b, u);
            if (ou == 0.0 && ahead(mesh, a, b, u)) return {t, i, true};
            const double ow = mesh.orient(a, b, w);
            if (ou < 0.0 && ow > 0.0) return {t, i, false};
            // The edge w -> a: seen here only, when it lies on the hull.
            if (w == b || (ow == 0.0 && ahead(mesh, a, b, w))) return {t, prev3(i), true};
            const int32_t n = direction == 0 ? mesh.across(t, prev3(i)) : mesh.across(t, i);
            if (n < 0 || n == start / 3) break;
            t = n;
            i = mesh.vertex(t, 0) == a ? 0 : (mesh.vertex(t, 1) == a ? 1 : 2);
        }
    }
    // Not reached for a valid mesh: b lies in the hull, so some corner at a
    // opens towards it.
    return {start / 3, start % 3, true};
}

// A triangle and edge index for the edge a - b (either direction), or
// {-1, -1}: one turn around a, comparing vertex numbers only.
std::pair<int32_t, int> edge_between(const ConstrainedMesh& mesh, uint32_t a, uint32_t b) {
    const int32_t start = mesh.corner[a];
    for (int direction = 0; direction < 2; ++direction) {
        int32_t t = start / 3;
        int i = start % 3;
        for (;;) {
            if (mesh.vertex(t, next3(i)) == b) return {t, i};
            if (mesh.vertex(t, prev3(i)) == b) return {t, prev3(i)};
            const int32_t n = direction == 0 ? mesh.across(t, prev3(i)) : mesh.across(t, i);
            if (n < 0) break;
            if (n == start / 3) return {-1, -1};
            t = n;
            i = mesh.vertex(t, 0) == a ? 0 : (mesh.vertex(t, 1) == a ? 1 : 2);
        }
    }
    return {-1, -1};
}

// Flags edge i of t as lying on segment `owner` (1 + its index); an edge
// already on a segment keeps the smaller, whatever the order of insertion.
void mark(ConstrainedMesh& mesh, int32_t t, int i, uint32_t owner) {
    if (!mesh.fixed(t, i) || owner < mesh.owner(t, i)) mesh.join(t, i, mesh.across(t, i), owner);
}

class SegmentInserter {
 public:
    SegmentInserter(ConstrainedMesh& mesh, bool stop_at_crossing, bool look_for_edge)
        : mesh_(mesh), stop_at_crossing_(stop_at_crossing), look_for_edge_(look_for_edge) {}
    bool crossed() const { return crossed_; }

    void insert(uint32_t a, uint32_t b, uint32_t owner) {
        pieces_.clear();
        pieces_.push_back({a, b, owner});
        while (!pieces_.empty()) {
            const SegmentPiece piece = pieces_.back();
            pieces_.pop_back();
            owner_ = piece.owner;
            if (piece.a != piece.b) insert_piece(piece.a, piece.b);
        }
    }

 private:
    void insert_piece(uint32_t a, uint32_t b) {
        // Without the pass over the triangles (mark_existing_pieces), look
        // for the edge by vertex numbers alone before any orientation test.
        // After it, most pieces left are no edge, and one that has become
        // one (made by an earlier cavity) leaves a along it: depart says so.
        if (look_for_edge_) {
            if (const auto [t, i] = edge_between(mesh_, a, b); t >= 0) {
                mark(mesh_, t, i, owner_);
                return;
            }
        }
        const Departure d = depart(mesh_, a, b);
        if (d.along_edge) {
            mark(mesh_, d.t, d.i, owner_);
            const uint32_t reached = mesh_.vertex(d.t, d.i) == a ? mesh_.vertex(d.t, next3(d.i)) : mesh_.vertex(d.t, d.i);
            if (reached != b) pieces_.push_back({reached, b, owner_});
            return;
        }
        cavity_.clear();
        int32_t t = d.t;
        uint32_t r = mesh_.vertex(t, next3(d.i));  // right of a -> b
        uint32_t l = mesh_.vertex(t, prev3(d.i));  // left of a -> b
        int crossed = next3(d.i);                 // t's edge r -> l
        cavity_.left = {a, l};
        cavity_.right = {a, r};
        cavity_.left_rim.push_back({mesh_.across(t, prev3(d.i)), (mesh_.owner(t, prev3(d.i)))});
        cavity_.right_rim.push_back({mesh_.across(t, d.i), (mesh_.owner(t, d.i))});
        cavity_.slots.push_back(t);
        crossed_edges_.clear();
        uint32_t end;
        for (;;) {
            if (mesh_.fixed(t, crossed) && stop_at_crossing_) {
                crossed_ = true;  // the caller starts again with snap rounding
                pieces_.clear();
                return;
            }
            if (mesh_.fixed(t, crossed)) {
                // The piece crosses a segment edge: snap rounding left two
                // pieces crossing (possible only across a binade boundary,
                // see snap_rounding.cpp). Nothing has changed yet; the
                // piece follows existing edges instead.
                mark_edge_path(mesh_, a, b, owner_);
                return;
            }
            crossed_edges_.emplace_back(r, l);
            const int32_t n = mesh_.across(t, crossed);
            const int j = mesh_.edge_index(n, l, r);
            const uint32_t p = mesh_.vertex(n, prev3(j));
            cavity_.slots.push_back(n);
            const double o = p == b ? 0.0 : mesh_.orient(a, b, p);
            if (o == 0.0) {
                // n = (l, r, p) with p on the piece: its edges r -> p and
                // p -> l close the two rims.
                end = p;
                cavity_.right_rim.push_back({mesh_.across(n, next3(j)), (mesh_.owner(n, next3(j)))});
                cavity_.left_rim.push_back({mesh_.across(n, prev3(j)), (mesh_.owner(n, prev3(j)))});
                break;
            }
            if (o > 0.0) {  // p is left: the rim takes p -> l, the walk goes on across r -> p
                cavity_.left_rim.push_back({mesh_.across(n, prev3(j)), (mesh_.owner(n, prev3(j)))});
                cavity_.left.push_back(p);
                l = p;
                crossed = next3(j);
            } else {  // p is right: the rim takes r -> p, the walk goes on across p -> l
                cavity_.right_rim.push_back({mesh_.across(n, next3(j)), (mesh_.owner(n, next3(j)))});
                cavity_.right.push_back(p);
                r = p;
                crossed = prev3(j);
            }
            t = n;
        }
        cavity_.left.push_back(end);
        cavity_.right.push_back(end);
        if (pinched()) {
            flip_into_place(a, end);
        } else {
            cavity_.owner = owner_;
            retriangulate(mesh_, cavity_);
        }
        if (end != b) pieces_.push_back({end, b, owner_});
    }

    /* Whether a rim edge has crossed triangles on both sides. It happens
     * when the piece crosses every triangle around a vertex but one edge's
     * worth: that vertex and the edge hang into the polygon, which is then
     * no simple polygon.
     *
     *            z
     *           /|\
     *       ---/-v-\---  the piece crosses z-x, v-x, v-y and y-z;
     *         /  |  \    the edge v-z has crossed triangles on both sides
     *        x---+---y
     */
    bool pinched() {
        // A small cavity (most are one or two flips' worth) is checked
        // against its few slots directly: no look into a per-triangle table.
        if (cavity_.slots.size() <= 8) {
            for (const auto* rim : {&cavity_.left_rim, &cavity_.right_rim}) {
                for (const RimEdge& e : *rim) {
                    for (const int32_t s : cavity_.slots) {
                        if (e.outside == s) return true;
                    }
                }
            }
            return false;
        }
        ++stamp_;
        if (seen_.size() < mesh_.triangle_count()) seen_.resize(mesh_.triangle_count(), 0);
        for (const int32_t s : cavity_.slots) seen_[static_cast<size_t>(s)] = stamp_;
        for (const auto* rim : {&cavity_.left_rim, &cavity_.right_rim}) {
            for (const RimEdge& e : *rim) {
                if (e.outside >= 0 && seen_[static_cast<size_t>(e.outside)] == stamp_) return true;
            }
        }
        return false;
    }

    // The rare pinched cavity: flip the crossed edges away one at a time
    // (an edge whose quadrilateral is not convex waits for its neighbours to
    // go first), then restore the Delaunay property around the edges the
    // flips made. Orientations are compared by sign: their values are only
    // approximations, and a product of two of them can underflow to zero.
    //
    // Budget: the flips that insert a segment crossing k edges number
    // O(k^2) (each flip removes a crossing or replaces a crossed edge by one
    // nearer to the segment's end, Sloan's argument), so the queue is given
    // 8 k^2 + 64 visits. Should it run out (it has not been seen to), the
    // mesh is still a triangulation, and the piece follows existing edges.
    void flip_into_place(uint32_t a, uint32_t e) {
        std::vector<std::pair<uint32_t, uint32_t>> made;
        const size_t k0 = crossed_edges_.size();
        const size_t budget = 8 * k0 * k0 + 64;
        auto sign = [](double v) { return v > 0.0 ? 1 : (v < 0.0 ? -1 : 0); };
        for (size_t k = 0; k < crossed_edges_.size(); ++k) {
            if (k >= budget) {
                make_delaunay(mesh_, made);
                mark_edge_path(mesh_, a, e, owner_);
                return;
            }
            const auto [r, l] = crossed_edges_[k];
            const auto [t, i] = mesh_.find_edge(r, l);
            const int32_t n = mesh_.across(t, i);
            const uint32_t p = mesh_.vertex(t, prev3(i));
            const uint32_t q = mesh_.vertex(n, prev3(mesh_.edge_index(n, l, r)));
            if (sign(mesh_.orient(p, q, r)) * sign(mesh_.orient(p, q, l)) >= 0) {
                crossed_edges_.emplace_back(r, l);
                continue;
            }
            flip(mesh_, t, i);
            const int op = sign(mesh_.orient(a, e, p)), oq = sign(mesh_.orient(a, e, q));
            if (op * oq < 0) {
                crossed_edges_.emplace_back(p, q);
            } else {
                made.emplace_back(p, q);
            }
        }
        const auto [t, i] = mesh_.find_edge(a, e);
        mark(mesh_, t, i, owner_);
        make_delaunay(mesh_, made);
    }

    ConstrainedMesh& mesh_;
    Cavity cavity_;
    std::vector<std::pair<uint32_t, uint32_t>> crossed_edges_;
    std::vector<uint32_t> seen_;
    uint32_t stamp_ = 0;
    std::vector<SegmentPiece> pieces_;
    uint32_t owner_ = 0;
    bool stop_at_crossing_;
    bool look_for_edge_;
    bool crossed_ = false;
};

// Flags, in one pass over the triangles, every piece that is already an
// edge of the mesh, and returns for each piece whether it was found. Most
// snapped pieces join neighbouring crossings, which the triangulation of
// all points has mostly joined already; finding them here, in the order of
// the triangles (spatially coherent), costs one look at a short list per
// edge, where looking around each piece's first vertex in the order of the
// pieces costs a turn of scattered triangles per piece. An edge that is
// several pieces takes the smallest owner, as inserting them in order does.
std::vector<uint8_t> mark_existing_pieces(ConstrainedMesh& mesh, const std::vector<SegmentPiece>& pieces) {
    const size_t vertices = mesh.vertex_count();
    // The pieces by their lower-numbered end (a counting sort), each with
    // what the pass needs beside it.
    struct Listed {
        uint32_t high;
        uint32_t owner;
        uint32_t piece;
    };
    std::vector<uint32_t> first(vertices + 1, 0);
    for (const SegmentPiece& p : pieces) {
        if (p.a != p.b) ++first[std::min(p.a, p.b) + 1];
    }
    for (size_t v = 0; v < vertices; ++v) first[v + 1] += first[v];
    std::vector<Listed> by_low(first[vertices]);
    {
        std::vector<uint32_t> fill(first.begin(), first.end() - 1);
        for (size_t k = 0; k < pieces.size(); ++k) {
            const SegmentPiece& p = pieces[k];
            if (p.a != p.b) by_low[fill[std::min(p.a, p.b)]++] = {std::max(p.a, p.b), p.owner, static_cast<uint32_t>(k)};
        }
    }
    std::vector<uint8_t> found(pieces.size(), 0);
    const size_t triangles = mesh.triangle_count();
    for (size_t t = 0; t < triangles; ++t) {
        for (int i = 0; i < 3; ++i) {
            const size_t at = 3 * t + static_cast<size_t>(i);
            const int32_t n = mesh.nbr[at];
            if (n >= 0 && static_cast<size_t>(n) < t) continue;  // each edge once
            const uint32_t u = mesh.tri[at], w = mesh.tri[3 * t + static_cast<size_t>(next3(i))];
            const uint32_t low = std::min(u, w), high = std::max(u, w);
            uint32_t owner = 0;
            for (uint32_t k = first[low]; k < first[low + 1]; ++k) {
                const Listed& p = by_low[k];
                if (p.high != high) continue;
                found[p.piece] = 1;
                if (owner == 0 || p.owner < owner) owner = p.owner;
            }
            if (owner != 0 && !mesh.fixed(static_cast<int32_t>(t), i)) mesh.join(static_cast<int32_t>(t), i, n, owner);
        }
    }
    return found;
}

}  // namespace

bool insert_pieces(ConstrainedMesh& mesh, const std::vector<SegmentPiece>& pieces, bool stop_at_crossing) {
    // The pass reads every triangle: worth it where the pieces are about as
    // many as the triangles (snapped chains, long polygons), not for a few
    // segments among many points.
    const bool pass = 4 * pieces.size() >= mesh.triangle_count();
    std::vector<uint32_t> order;
    if (pass) {
        // The pieces left, by their lower-numbered end: snapped crossing
        // points are numbered along a Morton curve, so consecutive walks
        // stay near each other in memory (ties by position in the list).
        const std::vector<uint8_t> found = mark_existing_pieces(mesh, pieces);
        for (size_t k = 0; k < pieces.size(); ++k) {
            if (found[k] == 0 && pieces[k].a != pieces[k].b) order.push_back(static_cast<uint32_t>(k));
        }
        std::sort(order.begin(), order.end(), [&](uint32_t p, uint32_t q) {
            const uint32_t lp = std::min(pieces[p].a, pieces[p].b), lq = std::min(pieces[q].a, pieces[q].b);
            return lp != lq ? lp < lq : p < q;
        });
    } else {
        for (size_t k = 0; k < pieces.size(); ++k) {
            if (pieces[k].a != pieces[k].b) order.push_back(static_cast<uint32_t>(k));
        }
    }
    SegmentInserter inserter(mesh, stop_at_crossing, !pass);
    for (const uint32_t k : order) {
        inserter.insert(pieces[k].a, pieces[k].b, pieces[k].owner);
        if (inserter.crossed()) return false;
    }
    return true;
}

}  // namespace d2d::operations::constrained
