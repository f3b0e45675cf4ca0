#include "formats/controls/kept_triangles.hpp"

namespace d2dcli {

bool has_long_edge(const MeshView& mesh, std::size_t t, double max_edge) {
    const double most = max_edge * max_edge;
    for (int k = 0; k < 3; ++k) {
        const std::uint32_t a = mesh.triangles[3 * t + static_cast<std::size_t>(k)];
        const std::uint32_t b = mesh.triangles[3 * t + static_cast<std::size_t>((k + 1) % 3)];
        const double dx = mesh.x(a) - mesh.x(b);
        const double dy = mesh.y(a) - mesh.y(b);
        if (dx * dx + dy * dy > most) {
            return true;
        }
    }
    return false;
}

KeptTriangles keep_triangles(const MeshView& mesh, double max_edge, const ClipPolygon* clip) {
    const std::size_t count = mesh.triangle_count();
    std::vector<std::int32_t> new_index(count, -1);
    KeptTriangles kept;
    std::int32_t next = 0;
    for (std::size_t t = 0; t < count; ++t) {
        if (max_edge > 0.0 && has_long_edge(mesh, t, max_edge)) {
            continue;
        }
        if (clip != nullptr) {
            const std::uint32_t* v = &mesh.triangles[3 * t];
            const double cx = (mesh.x(v[0]) + mesh.x(v[1]) + mesh.x(v[2])) / 3.0;
            const double cy = (mesh.y(v[0]) + mesh.y(v[1]) + mesh.y(v[2])) / 3.0;
            if (!clip->contains(cx, cy)) {
                continue;
            }
        }
        new_index[t] = next++;
    }
    kept.left_out = count - static_cast<std::size_t>(next);
    kept.triangles.reserve(3 * static_cast<std::size_t>(next));
    kept.neighbours.reserve(3 * static_cast<std::size_t>(next));
    for (std::size_t t = 0; t < count; ++t) {
        if (new_index[t] < 0) {
            continue;
        }
        for (std::size_t k = 0; k < 3; ++k) {
            kept.triangles.push_back(mesh.triangles[3 * t + k]);
            const std::int32_t across = mesh.neighbours[3 * t + k];
            kept.neighbours.push_back(across < 0 ? -1 : new_index[static_cast<std::size_t>(across)]);
        }
    }
    return kept;
}

MeshView KeptTriangles::view(const MeshView& mesh) const {
    MeshView copy = mesh;
    copy.triangles = triangles;
    copy.neighbours = neighbours;
    return copy;
}

}  // namespace d2dcli
