#include "operations/common/vertex_fans.hpp"

namespace d2d::operations {

VertexFans::VertexFans(const MeshInput& mesh) : first_(mesh.point_count, -1) {
    // The lowest-index triangle of each vertex, unless one has no neighbour
    // across its edge (p, a): then the lowest-index such triangle.
    std::vector<bool> fan_start(mesh.point_count, false);
    for (size_t t = 0; t < mesh.triangle_count; ++t) {
        for (int c = 0; c < 3; ++c) {
            const uint32_t v = mesh.vertex(t, c);
            const bool starts = mesh.neighbour(t, c) < 0;
            if (first_[v] < 0 || (starts && !fan_start[v])) {
                first_[v] = static_cast<int32_t>(t);
                fan_start[v] = starts;
            }
        }
    }
}

void VertexFans::neighbours(const MeshInput& mesh, uint32_t v, std::vector<uint32_t>& out) const {
    out.clear();
    size_t last = 0;
    int last_corner = 0;
    const bool closed = turn(mesh, v, [&](size_t t, int c) {
        out.push_back(mesh.vertex(t, (c + 1) % 3));
        last = t;
        last_corner = c;
    });
    if (!closed && !out.empty()) out.push_back(mesh.vertex(last, (last_corner + 2) % 3));
}

}  // namespace d2d::operations
