// CGAL as the benchmark's yardstick only; nothing of the library uses it.
#include "cgal_case.h"

#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/version.h>

#include <chrono>
#include <memory>

namespace bench {
namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Triangulation = CGAL::Delaunay_triangulation_2<Kernel>;
using Clock = std::chrono::steady_clock;

}  // namespace

const char* cgal_version() { return CGAL_VERSION_STR; }

void measure_cgal(const std::vector<Point3D>& points, int runs, CaseResult* result) {
    std::vector<Kernel::Point_2> input;
    input.reserve(points.size());
    for (const Point3D& p : points) input.emplace_back(p.x, p.y);
    for (int run = 0; run < runs && run < kMaxRuns; ++run) {
        const bool first = run == 0;
        if (first) start_peak_watch(result);
        auto triangulation = std::make_unique<Triangulation>();
        const Clock::time_point start = Clock::now();
        triangulation->insert(input.begin(), input.end());
        result->seconds[run] = std::chrono::duration<double>(Clock::now() - start).count();
        result->runs = run + 1;
        if (first) {
            record_peak(result);
            result->triangles = triangulation->number_of_faces();
        }
    }
}

}  // namespace bench
