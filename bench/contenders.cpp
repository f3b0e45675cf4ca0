// Dispatch to the contenders' cases; the optional yardsticks are compiled in
// only where CMake found them.
#include "contenders.h"

#include <cstdlib>

#include "triangulate_case.h"
#include "entry_point_case.h"
#ifdef DELAUNAY2D_BENCH_HAVE_CGAL
#include "cgal_case.h"
#endif
#ifdef DELAUNAY2D_BENCH_HAVE_TRIANGLE
#include "triangle_case.h"
#endif

namespace bench {

const char* contender_name(Contender c) {
    switch (c) {
    case Contender::triangulate1: return "triangulate1";
    case Contender::triangulate2: return "triangulate2";
    case Contender::entry: return "entry";
    case Contender::cgal: return "cgal";
    case Contender::triangle: return "triangle";
    }
    return "?";
}

std::vector<Contender> all_contenders() {
    return {Contender::triangulate1, Contender::triangulate2, Contender::entry, Contender::cgal, Contender::triangle};
}

bool parse_contender(const std::string& name, Contender* c) {
    for (Contender candidate : all_contenders()) {
        if (name == contender_name(candidate)) {
            *c = candidate;
            return true;
        }
    }
    return false;
}

bool contender_built(Contender c) {
    switch (c) {
    case Contender::cgal:
#ifdef DELAUNAY2D_BENCH_HAVE_CGAL
        return true;
#else
        return false;
#endif
    case Contender::triangle:
#ifdef DELAUNAY2D_BENCH_HAVE_TRIANGLE
        return true;
#else
        return false;
#endif
    default: return true;
    }
}

std::string contender_description(Contender c) {
    switch (c) {
    case Contender::triangulate1: return "delaunay2d_triangulate, threads = 1";
    case Contender::triangulate2: return "delaunay2d_triangulate, threads = 2";
    case Contender::entry: return "create_mesh_2d, standard output to /dev/null";
    case Contender::cgal:
#ifdef DELAUNAY2D_BENCH_HAVE_CGAL
        return std::string("CGAL ") + cgal_version() + " Delaunay_triangulation_2, Epick, range insert";
#else
        return "CGAL Delaunay_triangulation_2: not found at build time";
#endif
    case Contender::triangle:
#ifdef DELAUNAY2D_BENCH_HAVE_TRIANGLE
        return "Triangle triangulate(), divide and conquer";
#else
        return "Triangle triangulate(): not found at build time";
#endif
    }
    return "?";
}

void measure_contender(Contender c, std::vector<Point3D>& points, int runs, const MeasureSettings& settings,
                       CaseResult* result) {
    switch (c) {
    case Contender::triangulate1: measure_triangulate(points, 1, runs, result); return;
    case Contender::triangulate2: measure_triangulate(points, 2, runs, result); return;
    case Contender::entry:
        if (settings.entry_one_thread) setenv("DELAUNAY2D_THREADS", "1", 1);
        measure_entry_point(points, runs, settings.entry_point_trace, result);
        return;
    case Contender::cgal:
#ifdef DELAUNAY2D_BENCH_HAVE_CGAL
        measure_cgal(points, runs, result);
#else
        set_error(result, "not built");
#endif
        return;
    case Contender::triangle:
#ifdef DELAUNAY2D_BENCH_HAVE_TRIANGLE
        measure_triangle(points, settings.triangle_switches, runs, result);
#else
        set_error(result, "not built");
#endif
        return;
    }
}

}  // namespace bench
