// The triangles around each vertex, counter-clockwise.
//
// Around p, triangle (p, a, b) (counter-clockwise) is followed by the one
// across edge (b, p) and preceded by the one across (p, a):
//
//          b ---- c                 turning counter-clockwise about p:
//         / \    /                  (p, a, b) -> across (b, p) -> (p, b, c)
//        /   \  /
//       p --- a
//
// Each vertex keeps one triangle to start from: on the boundary the first
// of its fan (the one whose edge (p, a) has no neighbour), so that one turn
// visits the whole fan.
#ifndef DELAUNAY2D_OPERATIONS_COMMON_VERTEX_FANS_HPP
#define DELAUNAY2D_OPERATIONS_COMMON_VERTEX_FANS_HPP

#include <vector>

#include "operations/common/mesh_input.hpp"

namespace d2d::operations {

class VertexFans {
 public:
    // Throws std::bad_alloc.
    explicit VertexFans(const MeshInput& mesh);

    // The triangle a turn around v starts from, or -1 for a point that is
    // no triangle's vertex.
    int32_t first(uint32_t v) const { return first_[v]; }

    // Calls visit(triangle, corner) for the triangles around v, counter-
    // clockwise from first(v); returns true when the fan closes (v is
    // inside), false when it ends at an edge without a neighbour.
    template <class Visit>
    bool turn(const MeshInput& mesh, uint32_t v, Visit&& visit) const {
        const int32_t start = first_[v];
        if (start < 0) return false;
        size_t t = static_cast<size_t>(start);
        for (size_t steps = 0; steps < mesh.triangle_count; ++steps) {
            const int corner = mesh.vertex(t, 0) == v ? 0 : (mesh.vertex(t, 1) == v ? 1 : 2);
            visit(t, corner);
            const int32_t next = mesh.neighbour(t, (corner + 2) % 3);
            if (next < 0) return false;
            if (next == start) return true;
            t = static_cast<size_t>(next);
        }
        return false;
    }

    // v's neighbours along mesh edges, counter-clockwise.
    void neighbours(const MeshInput& mesh, uint32_t v, std::vector<uint32_t>& out) const;

 private:
    std::vector<int32_t> first_;
};

}  // namespace d2d::operations

#endif
