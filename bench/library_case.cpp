// The library's side of a case. Peak memory: the high-water mark is reset to
// the current resident set just before the first call and read right after
// it, while the returned mesh is still alive; the figure is the growth over
// the resident set before the call (the input points are already resident).
#include "library_case.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "peak_memory.h"
#include "quiet_stdout.h"

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

void measure_library(std::vector<Point3D>& points, int runs, bool time_point_trace, CaseResult* result) {
    QuietStdout quiet;
    for (int run = 0; run < runs && run < kMaxRuns; ++run) {
        const bool first = run == 0;
        if (first) {
            result->rss_before_kb = resident_kb();
            result->peak_exact = reset_peak_resident();
        }
        const Clock::time_point start = Clock::now();
        Mesh2D* mesh = create_mesh_2d(points.data(), points.size());
        std::fflush(stdout);
        result->seconds[run] = seconds_since(start);
        result->runs = run + 1;
        if (first) {
            const long peak = peak_resident_kb();
            if (peak >= 0 && result->rss_before_kb >= 0) result->peak_kb = peak - result->rss_before_kb;
            result->triangles = mesh ? mesh->length : 0;
            result->inner_triangles = mesh ? mesh->inner_length : 0;
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
