#include "operations/locate/point_locator.hpp"

#include "engine/exact/exact_predicates.hpp"
#include "operations/locate/boundary_shape.hpp"

namespace d2d::operations {

PointLocator::PointLocator(const MeshInput& mesh) : mesh_(mesh) {
    if (mesh.triangle_count == 0) return;
    convex_ = boundary_is_one_convex_loop(mesh);
    if (!convex_) grid_ = std::make_unique<TriangleGrid>(mesh);
}

// The walk. In triangle t it looks for an edge with the query strictly on
// its outer side and steps across it; the edge it came in by is skipped
// (the query is known to lie inside it). The edges are tried starting
// after the entry edge, which keeps the walk deterministic:
//
//            c
//           / \          q strictly right of (b, c): step to the
//          /   \  . q    neighbour across (b, c); none of the edges
//         /  t  \        has q strictly outside: t holds q.
//        a-------b
//
// In a Delaunay triangulation this walk never revisits a triangle, so it
// ends within triangle_count steps; elsewhere the step limit stops it.
int32_t PointLocator::locate(double qx, double qy, int32_t& start) const {
    const MeshInput& m = mesh_;
    if (m.triangle_count == 0) return -1;
    size_t t = start >= 0 ? static_cast<size_t>(start) : 0;
    int entry = -1;
    for (size_t steps = 0; steps <= m.triangle_count; ++steps) {
        const uint32_t* v = m.triangles + 3 * t;
        int crossed = -1;
        for (int k = 1; k <= 3; ++k) {
            const int e = entry < 0 ? k - 1 : (entry + k) % 3;
            if (e == entry) continue;
            const uint32_t a = v[e];
            const uint32_t b = v[e == 2 ? 0 : e + 1];
            if (orient2d_exact(m.x(a), m.y(a), m.x(b), m.y(b), qx, qy) < 0.0) {
                crossed = e;
                break;
            }
        }
        if (crossed < 0) {
            start = static_cast<int32_t>(t);
            return start;
        }
        const int32_t next = m.neighbours[3 * t + static_cast<size_t>(crossed)];
        if (next < 0) {
            start = static_cast<int32_t>(t);
            return convex_ ? -1 : search(qx, qy);
        }
        // The shared edge runs b -> a in the neighbour: its index there is
        // the corner holding b.
        const uint32_t b = v[crossed == 2 ? 0 : crossed + 1];
        const uint32_t* w = m.triangles + 3 * static_cast<size_t>(next);
        entry = w[0] == b ? 0 : (w[1] == b ? 1 : 2);
        t = static_cast<size_t>(next);
    }
    return search(qx, qy);
}

int32_t PointLocator::search(double qx, double qy) const {
    if (grid_) return grid_->find(mesh_, qx, qy);
    for (size_t t = 0; t < mesh_.triangle_count; ++t) {
        if (triangle_holds(mesh_, t, qx, qy)) return static_cast<int32_t>(t);
    }
    return -1;
}

}  // namespace d2d::operations
