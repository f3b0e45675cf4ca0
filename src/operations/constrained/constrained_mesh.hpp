// The triangulation a constrained call edits: the index-array call's arrays,
// copied into growable vectors, with a flag per triangle edge that says
// whether the edge lies on a segment, and one corner per vertex from which
// the triangles around it are found.
//
// Triangles are counter-clockwise; edge i of triangle t runs from
// tri[3t + i] to tri[3t + (i + 1) % 3]; nbr and con hold, for that edge,
// the triangle across it (-1 outside the hull) and the segment it lies on
// (0 for none, else 1 + the index of the first segment whose piece made it
// a segment edge; only whether it is 0 reaches the result). Both triangles
// of an edge always hold the same value.
#ifndef DELAUNAY2D_OPERATIONS_CONSTRAINED_CONSTRAINED_MESH_HPP
#define DELAUNAY2D_OPERATIONS_CONSTRAINED_CONSTRAINED_MESH_HPP

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/exact/exact_predicates.hpp"
#include "operations/constrained/malloc_array.hpp"

namespace d2d::operations::constrained {

inline int next3(int i) { return i == 2 ? 0 : i + 1; }
inline int prev3(int i) { return i == 0 ? 2 : i - 1; }

// Thrown when the crossing points would take the mesh past the number of
// points the library indexes.
struct TooManyPoints {};

struct ConstrainedMesh {
    std::vector<double> xy;         // x, y of each vertex: input points, then added crossings
    MallocArray<uint32_t> tri;      // 3 per triangle
    MallocArray<int32_t> nbr;       // 3 per triangle
    std::vector<uint32_t> con;      // 3 per triangle: 0, or 1 + the input segment the edge lies on
    std::vector<int32_t> corner;    // per vertex: 3t + i with tri[3t + i] == vertex, or -1
    bool hull_changed = false;      // a point was added on or outside the hull
    uint64_t walk_state = 0x9e3779b97f4a7c15u;  // the point walk's own generator: same steps every run

    size_t triangle_count() const { return tri.size() / 3; }
    size_t vertex_count() const { return xy.size() / 2; }

    double orient(uint32_t a, uint32_t b, uint32_t c) const {
        return orient2d_exact(xy[2 * a], xy[2 * a + 1], xy[2 * b], xy[2 * b + 1], xy[2 * c], xy[2 * c + 1]);
    }
    // > 0 when d lies strictly inside the circle through the counter-clockwise a, b, c.
    double incircle(uint32_t a, uint32_t b, uint32_t c, uint32_t d) const {
        return incircle_exact(xy[2 * a], xy[2 * a + 1], xy[2 * b], xy[2 * b + 1], xy[2 * c], xy[2 * c + 1],
                              xy[2 * d], xy[2 * d + 1]);
    }

    uint32_t vertex(int32_t t, int i) const { return tri[3 * static_cast<size_t>(t) + static_cast<size_t>(i)]; }
    int32_t across(int32_t t, int i) const { return nbr[3 * static_cast<size_t>(t) + static_cast<size_t>(i)]; }
    uint32_t owner(int32_t t, int i) const { return con[3 * static_cast<size_t>(t) + static_cast<size_t>(i)]; }
    bool fixed(int32_t t, int i) const { return owner(t, i) != 0; }

    // The index of t's edge a -> b, or -1.
    int edge_index(int32_t t, uint32_t a, uint32_t b) const {
        for (int i = 0; i < 3; ++i) {
            if (vertex(t, i) == a && vertex(t, next3(i)) == b) return i;
        }
        return -1;
    }

    // Writes triangle t (a, b, c) and its three edges' neighbours and flags,
    // and points each neighbour's matching edge back at t. Updates the
    // corners of a, b, c.
    void put_triangle(int32_t t, const uint32_t (&v)[3], const int32_t (&n)[3], const uint32_t (&c)[3]);

    // Sets edge i of t to face triangle n (or -1) with flag c, and n's
    // matching edge to face t.
    void join(int32_t t, int i, int32_t n, uint32_t c);

    // The triangle holding the directed edge a -> b and its edge index, found
    // among the triangles around a; {-1, -1} when there is none.
    std::pair<int32_t, int> find_edge(uint32_t a, uint32_t b) const;

    int32_t new_triangle() {
        tri.resize(tri.size() + 3);
        nbr.resize(nbr.size() + 3, -1);
        con.resize(con.size() + 3, 0);
        return static_cast<int32_t>(triangle_count() - 1);
    }
};

// Flips the edge i of t and its neighbour's matching edge into the other
// diagonal of their quadrilateral (which must be strictly convex).
void flip(ConstrainedMesh& mesh, int32_t t, int i);

// Lawson's flips: makes every edge of the list, and every edge a flip
// exposes, locally Delaunay unless it lies on a segment. Edges are given by
// their end vertices; an edge that no longer exists is passed over.
void make_delaunay(ConstrainedMesh& mesh, std::vector<std::pair<uint32_t, uint32_t>>& edges);

// Adds the point (x, y) to the mesh and restores the constrained Delaunay
// property around it; starts looking for it at triangle `near`. Returns the
// vertex now at (x, y): an existing vertex with these coordinates, or the
// new one. A point on an edge that lies on a segment splits it into two
// edges on the segment. Throws TooManyPoints past the library's limit.
uint32_t insert_point(ConstrainedMesh& mesh, double x, double y, int32_t near);

// Splits edge i of t at a new vertex (x, y) that need not lie exactly on
// the edge (refinement rounds the points it splits segments at): the
// caller has checked with exact orientations that the two or four halves
// are counter-clockwise. The halves keep the edge's flag; flips restore the
// constrained Delaunay property. Returns the new vertex. Throws
// TooManyPoints past the library's limit.
uint32_t split_edge_at(ConstrainedMesh& mesh, int32_t t, int i, double x, double y);

// The triangle that holds the point (x, y) (one of them when it lies on an
// edge or a vertex), or -1 when it lies outside the mesh.
int32_t triangle_holding(ConstrainedMesh& mesh, double x, double y);

// A piece of a snapped segment: two vertices of the mesh, and the value
// its edges take in ConstrainedMesh::con (1 + the segment's index).
struct SegmentPiece {
    uint32_t a;
    uint32_t b;
    uint32_t owner;
};

// Makes each piece a - b, in order, a chain of mesh edges flagged as on a
// segment (split at vertices exactly on it), adding no point. Keeps the
// constrained Delaunay property. A piece that crosses a segment edge
// follows existing edges (mark_edge_path); with stop_at_crossing the call
// instead returns false at the first such piece, the mesh left a valid
// triangulation with some pieces inserted. Returns true otherwise.
bool insert_pieces(ConstrainedMesh& mesh, const std::vector<SegmentPiece>& pieces, bool stop_at_crossing = false);

// The fallback for a piece a - b that would cross a segment edge: flags the
// edges of a shortest path (by length) from a to b along existing edges of
// the mesh. Edges of a triangulation never cross, so this needs no point
// and keeps the mesh constrained Delaunay (flagging only lifts the
// condition from an edge).
void mark_edge_path(ConstrainedMesh& mesh, uint32_t a, uint32_t b, uint32_t owner);

}  // namespace d2d::operations::constrained

#endif
