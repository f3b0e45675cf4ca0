// The mesh entry point's side of a case: create_mesh_2d as a host that
// discards the trace calls it.
#include "entry_point_case.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "common/stdout_redirect.hpp"

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

void measure_entry_point(std::vector<Point3D>& points, int runs, bool time_point_trace, CaseResult* result) {
    const d2dcommon::DiscardStdout quiet;
    for (int run = 0; run < runs && run < kMaxRuns; ++run) {
        const bool first = run == 0;
        if (first) start_peak_watch(result);
        const Clock::time_point start = Clock::now();
        Mesh2D* mesh = create_mesh_2d(points.data(), points.size());
        std::fflush(stdout);
        result->seconds[run] = seconds_since(start);
        result->runs = run + 1;
        if (first) {
            record_peak(result);
            result->triangles = mesh ? mesh->length : 0;
            result->output_bytes = sizeof(Mesh2D) + result->triangles * sizeof(Triangle);
        }
        free_mesh(mesh);
    }
    if (time_point_trace) {
        Point3DList* list = static_cast<Point3DList*>(
            std::malloc(sizeof(Point3DList) + points.size() * sizeof(Point3D*)));
        if (!list) return;
        list->length = points.size();
        for (std::size_t i = 0; i < points.size(); ++i) list->points[i] = &points[i];
        const Clock::time_point start = Clock::now();
        print_point_3d_list(list);
        std::fflush(stdout);
        result->extra_seconds = seconds_since(start);
        std::free(list);
    }
}

}  // namespace bench
