// The index-array call's side of a case.
#include "triangulate_case.h"

#include <chrono>
#include <cstdint>

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;

std::size_t returned_bytes(const delaunay2d_result& r) {
    return 3 * r.triangle_count * (sizeof *r.triangles + sizeof *r.neighbours) + r.hull_count * sizeof *r.hull +
           r.point_count * sizeof *r.vertex_of_point;
}

}  // namespace

void measure_triangulate(const std::vector<Point3D>& points, unsigned threads, int runs, CaseResult* result) {
    static_assert(sizeof(Point3D) == 4 * sizeof(double), "a Point3D is four doubles");
    for (int run = 0; run < runs && run < kMaxRuns; ++run) {
        const bool first = run == 0;
        if (first) start_peak_watch(result);
        delaunay2d_result mesh{};
        const Clock::time_point start = Clock::now();
        const delaunay2d_status status = delaunay2d_triangulate(&points.data()->x, points.size(), 4, threads, &mesh);
        result->seconds[run] = std::chrono::duration<double>(Clock::now() - start).count();
        if (status != DELAUNAY2D_OK) {
            set_error(result, delaunay2d_status_message(status));
            return;
        }
        result->runs = run + 1;
        if (first) {
            record_peak(result);
            result->triangles = mesh.triangle_count;
            result->output_bytes = returned_bytes(mesh);
        }
        delaunay2d_result_free(&mesh);
    }
}

}  // namespace bench
