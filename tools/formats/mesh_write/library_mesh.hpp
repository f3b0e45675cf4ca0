// The library's own record of a mesh, over the arrays a MeshView borrows,
// for the library's operations (interpolation, Voronoi cells), which only
// read it.
#pragma once

#include <delaunay2d.h>

#include "formats/mesh_write/mesh_view.hpp"

namespace d2dcli {

inline delaunay2d_result library_mesh(const MeshView& mesh) {
    delaunay2d_result result{};
    result.point_count = mesh.point_count();
    result.triangle_count = mesh.triangle_count();
    result.triangles = const_cast<std::uint32_t*>(mesh.triangles.data());
    result.neighbours = const_cast<std::int32_t*>(mesh.neighbours.data());
    result.hull_count = mesh.hull.size();
    result.hull = const_cast<std::uint32_t*>(mesh.hull.data());
    result.vertex_of_point = const_cast<std::int32_t*>(mesh.vertex_of_point.data());
    return result;
}

}  // namespace d2dcli
