// Each point's Thiessen (Voronoi) cell as a polygon, cut to where the data
// speaks: the convex hull of the points by default, the box of --bounds, or
// the polygon of --clip. The library gives the cells cut to a box
// (delaunay2d_voronoi_cells); the hull and the --clip rings cut them further
// here.
//
//   +----------------+     box: the library's cut
//   |   /\      .    |
//   |  /  \____/ \   |     hull: each cell is convex and so is the hull, so
//   | /   cell    \  |     one Sutherland-Hodgman pass per hull edge cuts it
//   |/_____________\ |     exactly (up to the rounding of the new corners)
//   +----------------+
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "formats/mesh_write/mesh_view.hpp"
#include "formats/mesh_write/terrain_options.hpp"

namespace d2dcli {

struct ThiessenCells {
    // Point i's cell is parts part_offsets[i] .. part_offsets[i + 1]; part
    // p is rings part_rings[p] .. part_rings[p + 1] (the first outer,
    // counter-clockwise, the others holes, clockwise); ring r is
    // vertices[2 * ring_offsets[r] .. 2 * ring_offsets[r + 1]), its first
    // vertex not repeated. A point without a cell (repeated, or outside)
    // has no parts; a cell cut by a --clip polygon may have several.
    std::vector<std::size_t> part_offsets{0};
    std::vector<std::size_t> part_rings{0};
    std::vector<std::size_t> ring_offsets{0};
    std::vector<double> vertices;

    std::size_t point_count() const { return part_offsets.size() - 1; }
};

// Throws OutputError naming name when the box is empty or the library fails.
ThiessenCells thiessen_cells(const std::string& name, const MeshView& mesh, const TerrainOptions& options);

}  // namespace d2dcli
