#include "library/triangulate_points.hpp"

#include <cstdint>
#include <utility>

#include "common/trace_output.hpp"
#include "library/prepared_points.hpp"
#include "mesh/divide_and_conquer.hpp"
#include "mesh/mesh_output.hpp"

namespace d2d {

Mesh2D* triangulate_points(PageBuffer<PlacedPoint> points, Mesh2D* block, bool resize) {
    PreparedPoints prepared = prepare_points(std::move(points));
    // Record ids are 30-bit (links carry a side index in two more bits), and
    // a triangulation holds about three records per point.
    if (prepared.size() > (size_t{1} << 28)) fatal_stop(kMemberNotEnough);
    TriangulationResult result =
        triangulate_sorted_points(prepared.xy.data(), static_cast<uint32_t>(prepared.size()));
    prepared.xy.release();
    return write_mesh(result, prepared.records, block, resize);
}

}  // namespace d2d
