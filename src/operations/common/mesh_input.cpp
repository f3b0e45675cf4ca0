#include "operations/common/mesh_input.hpp"

#include <limits>

#include "engine/system/thread_count.hpp"

namespace d2d::operations {

bool read_mesh_input(const double* coords, size_t stride, const delaunay2d_result* mesh, MeshInput& input) {
    if (mesh == nullptr || stride < 2) return false;
    if (mesh->point_count > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return false;
    if (mesh->triangle_count > static_cast<size_t>(std::numeric_limits<int32_t>::max()) / 3) return false;
    if (mesh->point_count > 0 && coords == nullptr) return false;
    if (mesh->triangle_count > 0 && (mesh->triangles == nullptr || mesh->neighbours == nullptr)) return false;
    if (mesh->hull_count > 0 && mesh->hull == nullptr) return false;
    input.coords = coords;
    input.stride = stride;
    input.point_count = mesh->point_count;
    input.triangle_count = mesh->triangle_count;
    input.triangles = mesh->triangles;
    input.neighbours = mesh->neighbours;
    input.hull_count = mesh->hull_count;
    input.hull = mesh->hull;
    input.vertex_of_point = mesh->vertex_of_point;
    return true;
}


}  // namespace d2d::operations
