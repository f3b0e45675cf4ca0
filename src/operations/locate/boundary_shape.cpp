#include "operations/locate/boundary_shape.hpp"

#include <vector>

#include "engine/exact/exact_predicates.hpp"

namespace d2d::operations {

bool boundary_is_one_convex_loop(const MeshInput& mesh) {
    if (mesh.triangle_count == 0) return false;
    // next[a] = b for the boundary edge a -> b (the mesh on its left).
    std::vector<int32_t> next(mesh.point_count, -1);
    size_t edges = 0;
    uint32_t start = 0;
    for (size_t t = 0; t < mesh.triangle_count; ++t) {
        for (int i = 0; i < 3; ++i) {
            if (mesh.neighbour(t, i) >= 0) continue;
            const uint32_t a = mesh.vertex(t, i);
            const uint32_t b = mesh.vertex(t, (i + 1) % 3);
            if (next[a] >= 0) return false;  // two boundary edges leave a: pieces touch there
            next[a] = static_cast<int32_t>(b);
            start = a;
            ++edges;
        }
    }
    if (edges < 3) return false;
    uint32_t previous = start;
    uint32_t current = static_cast<uint32_t>(next[start]);
    for (size_t walked = 1; walked <= edges; ++walked) {
        if (next[current] < 0) return false;
        const uint32_t following = static_cast<uint32_t>(next[current]);
        if (orient2d_exact(mesh.x(previous), mesh.y(previous), mesh.x(current), mesh.y(current), mesh.x(following),
                           mesh.y(following)) < 0.0) {
            return false;
        }
        if (current == start) return walked == edges;  // back at the start: one loop holds every edge?
        previous = current;
        current = following;
    }
    return false;
}

}  // namespace d2d::operations
