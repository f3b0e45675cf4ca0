// What every operation reads: the caller's coordinates and a triangulation
// over them, in the layout of delaunay2d_result.
#ifndef DELAUNAY2D_OPERATIONS_COMMON_MESH_INPUT_HPP
#define DELAUNAY2D_OPERATIONS_COMMON_MESH_INPUT_HPP

#include <cstddef>
#include <cstdint>

#include "delaunay2d.h"
#include "engine/system/host_array.hpp"
#include "engine/system/thread_count.hpp"

namespace d2d::operations {

struct MeshInput {
    const double* coords = nullptr;
    size_t stride = 2;
    size_t point_count = 0;
    size_t triangle_count = 0;
    const uint32_t* triangles = nullptr;  // 3 per triangle, counter-clockwise
    const int32_t* neighbours = nullptr;  // across edge (v[i], v[i+1]), or -1
    size_t hull_count = 0;
    const uint32_t* hull = nullptr;
    const int32_t* vertex_of_point = nullptr;  // may be null: then every point stands for itself

    // Whether point i stands for itself (not a repeat, finite).
    bool represents(size_t i) const {
        return vertex_of_point == nullptr || vertex_of_point[i] == static_cast<int32_t>(i);
    }

    double x(uint32_t point) const { return coords[point * stride]; }
    double y(uint32_t point) const { return coords[point * stride + 1]; }
    uint32_t vertex(size_t triangle, int corner) const { return triangles[3 * triangle + static_cast<size_t>(corner)]; }
    int32_t neighbour(size_t triangle, int edge) const { return neighbours[3 * triangle + static_cast<size_t>(edge)]; }
};

// Reads the arguments every operation takes; false when they do not make a
// mesh (null pointers where counts say there is data, stride below 2, more
// points or triangles than 32-bit indices reach).
bool read_mesh_input(const double* coords, size_t stride, const delaunay2d_result* mesh, MeshInput& input);



}  // namespace d2d::operations

#endif
