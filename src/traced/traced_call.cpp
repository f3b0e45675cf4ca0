#include "traced/traced_call.hpp"

#include <cstdint>
#include <utility>

#include "traced/3_prepare/prepared_points.hpp"
#include "traced/2_trace/call_trace.hpp"
#include "blocks/common/trace_output.hpp"
#include "traced/4_triangulate/triangulate.hpp"
#include "traced/5_write/write_mesh.hpp"

namespace d2d::traced {

Mesh2D* triangulate_points(PageBuffer<PlacedPoint> points, Mesh2D* block, bool resize, bool trace,
                           ThreadCount threads, DeferredDraws* draws) {
    CallTrace call_trace(points, trace, draws);
    TriangulationResult result;
    PageBuffer<Point3D*> records;
    try {
        PreparedPoints prepared = prepare_points(points);
        if (prepared.size() > kMostPoints) {
            call_trace.print();
            fatal_stop(kMemberNotEnough);
        }
        result = triangulate_sorted_points(prepared.xy.data(), static_cast<uint32_t>(prepared.size()), threads,
                                           [&] { call_trace.print(); });
        records = std::move(prepared.records);
    } catch (...) {
        call_trace.print();
        throw;
    }
    return write_mesh(result, records, block, resize, threads);
}

}  // namespace d2d::traced
