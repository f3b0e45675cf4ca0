// A mesh as arrays of indices, owned: what the program builds from the
// records (Mesh2D, Triangle) that the traced entry point returns, so that
// the same writers serve both ways of triangulating.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include <delaunay2d.h>

#include "formats/mesh_write/mesh_view.hpp"

namespace d2dcli {

struct IndexedMesh {
    std::vector<std::uint32_t> triangles;
    std::vector<std::int32_t> neighbours;
    std::vector<std::uint32_t> hull;
    std::vector<std::int32_t> vertex_of_point;

    MeshView view(std::span<const double> xy) const { return {xy, triangles, neighbours, hull, vertex_of_point}; }
};

// Converts mesh, built from the n records at points, to indices: vertices
// become positions in points, links become triangle numbers, triangles are
// turned counter-clockwise where they are not, the hull is read off the
// edges without a neighbour, and of several points with equal x and y the
// one the mesh uses stands for the others. mesh may be null (no mesh: the
// hull is then the distinct points in order along x, then y).
IndexedMesh index_mesh_records(const Mesh2D* mesh, const Point3D* points, std::size_t n);

}  // namespace d2dcli
