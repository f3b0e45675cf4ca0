// The triangles a run keeps after --max-edge and --clip: a copy of the
// mesh without the others, for the mesh files and the picture. As in the
// library's constrained meshes, a left-out neighbour becomes -1 and the hull
// stays the convex hull of the points, so that every writer reads the copy
// as it reads any mesh with holes.
//
//     max-edge L: a triangle goes when one of its edges is longer than L
//     clip:       a triangle goes when its centroid lies outside the polygon
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "formats/controls/clip_polygon.hpp"
#include "formats/mesh_write/mesh_view.hpp"

namespace d2dcli {

// Whether triangle t has an edge longer than max_edge (compared squared,
// as dx * dx + dy * dy > max_edge * max_edge).
bool has_long_edge(const MeshView& mesh, std::size_t t, double max_edge);

struct KeptTriangles {
    std::vector<std::uint32_t> triangles;
    std::vector<std::int32_t> neighbours;
    std::size_t left_out = 0;
    // The copy, over mesh's points (which must outlive it).
    MeshView view(const MeshView& mesh) const;
};

// max_edge 0 keeps every length; clip null keeps every place.
KeptTriangles keep_triangles(const MeshView& mesh, double max_edge, const ClipPolygon* clip);

}  // namespace d2dcli
