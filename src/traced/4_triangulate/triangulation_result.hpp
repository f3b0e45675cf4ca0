// A finished triangulation as index rows, in the order a host sees in the
// returned mesh: what the layout collects and the mesh writer reads.
#ifndef DELAUNAY2D_TRACED_TRIANGULATE_TRIANGULATION_RESULT_HPP
#define DELAUNAY2D_TRACED_TRIANGULATE_TRIANGULATION_RESULT_HPP

#include <cstddef>
#include <cstdint>

#include "engine/merge/limits.hpp"
#include "engine/system/page_buffer.hpp"

namespace d2d::traced {

struct TriangulationResult {
    // Three vertex ids per triangle, in the vertex order of the mesh record.
    PageBuffer<uint32_t> vertices;
    // Three triangle indices per triangle: entry i is the neighbour across
    // the edge from vertex i to vertex (i + 1) % 3, or kNone on the hull.
    PageBuffer<uint32_t> neighbours;
    size_t inner_length = 0;
    // How many ranges one thread built for the other (for diagnostics).
    size_t handovers = 0;

    size_t size() const { return vertices.size() / 3; }
};

}  // namespace d2d::traced

#endif
