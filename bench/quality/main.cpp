// delaunay2d-bench-quality: quality refinement beside Triangle (-pq, -pqa)
// and CGAL's 2D mesher on the same shapes and bounds, each case of each
// contender in a child process of its own: time of the call (insertion of
// the segments and refinement), peak resident growth, vertices and
// triangles of the output and its smallest angle (the same measure for
// everyone), and the ratio of counts and times to Triangle's.
//
//   delaunay2d-bench-quality [SCALE] [--timeout SECONDS] [--cases LIST]
//     SCALE     1 (default) is the full size; 0.1 divides every size by 10
//               (vertices of the polygon, inverse of the area bound)
//     SECONDS   per process, 120 by default; a case past it prints "timeout"
//     LIST      comma-separated among holes30, holes33, square, fan (default: all)
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../case_driver.h"
#include "../case_result.h"
#include "delaunay2d.h"
#include "quality_case.h"
#ifdef DELAUNAY2D_BENCH_HAVE_CGAL
#include "cgal_mesher_case.h"
#endif
#ifdef DELAUNAY2D_BENCH_HAVE_TRIANGLE
#include "triangle_quality_case.h"
#endif

namespace {

using bench::CaseResult;
using bench::grouped;
using bench::selected;
using Outcome = bench::IsolatedOutcome;
using bench::QualityCase;

void measure_ours(const QualityCase& input, CaseResult* result) {
    const d2dcommon::QualityShape& s = input.shape;
    delaunay2d_quality_options quality{};
    quality.struct_size = sizeof quality;
    quality.min_angle = input.min_angle;
    quality.max_area = input.max_area;
    delaunay2d_constraint_options options{};
    options.struct_size = sizeof options;
    options.segments = s.segments.data();
    options.segment_count = s.segments.size() / 2;
    options.holes = s.holes.data();
    options.hole_count = s.holes.size() / 2;
    options.region = s.whole_hull ? DELAUNAY2D_REGION_HULL : DELAUNAY2D_REGION_INSIDE;
    options.threads = 1;
    options.regions = s.regions.data();
    options.region_count = s.regions.size();
    options.quality = &quality;
    delaunay2d_constrained_result out{};
    out.struct_size = sizeof out;
    bench::start_peak_watch(result);
    const auto start = std::chrono::steady_clock::now();
    const delaunay2d_status status = delaunay2d_triangulate_constrained(s.xy.data(), s.xy.size() / 2, 2, &options, &out);
    result->seconds[0] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result->runs = 1;
    bench::record_peak(result);
    result->triangles = out.mesh.triangle_count;
    result->vertices = out.mesh.point_count;
    result->min_angle = bench::smallest_angle(out.points, out.mesh.triangles, out.mesh.triangle_count);
    if (status != DELAUNAY2D_OK) bench::set_error(result, delaunay2d_status_message(status));
    delaunay2d_constrained_result_free(&out);
}

struct Contender {
    const char* name;
    void (*measure)(const QualityCase&, CaseResult*);
};

std::string ratio(double mine, double theirs) {
    if (!(theirs > 0.0)) return "–";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", mine / theirs);
    return text;
}

struct NamedCase {
    std::string label;
    std::string title;
    QualityCase input;
};

int usage(const char* program) {
    std::fprintf(stderr, "usage: %s [SCALE] [--timeout SECONDS] [--cases holes30,holes33,square,fan]\n", program);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bench::DriverArgs args;
    args.timeout = 120;
    if (!bench::parse_driver_args(argc, argv, &args)) return usage(argv[0]);
    const double scale = args.scale;
    const unsigned timeout = args.timeout;
    const std::string& only = args.only;
    const std::size_t vertices = static_cast<std::size_t>(std::max(100.0, 1e4 * scale));
    const double area = 2e-6 / scale;

    std::vector<NamedCase> cases;
    for (const double angle : {30.0, 33.0}) {
        const std::string label = angle == 30.0 ? "holes30" : "holes33";
        if (!selected(only, label)) continue;
        cases.push_back({label, "wavy polygon, " + grouped(vertices) + " vertices, 100 square holes, " +
                                    std::to_string(static_cast<int>(angle)) + "°",
                         {d2dcommon::wavy_polygon_with_holes(vertices, 10), angle, 0.0}});
    }
    if (selected(only, "square")) {
        char title[96];
        std::snprintf(title, sizeof title, "unit square, 30°, area ≤ %g", area);
        cases.push_back({"square", title, {d2dcommon::unit_square(), 30.0, area}});
    }
    if (selected(only, "fan")) {
        cases.push_back({"fan", "20 segments from one point 1° apart in a box, 30°",
                         {d2dcommon::fan_in_box(20, 1.0), 30.0, 0.0}});
    }
    if (cases.empty()) return usage(argv[0]);

    std::vector<Contender> contenders = {{"delaunay2d", measure_ours}};
#ifdef DELAUNAY2D_BENCH_HAVE_TRIANGLE
    contenders.push_back({"Triangle -pq", bench::measure_triangle_quality});
    const std::size_t triangle_at = contenders.size() - 1;
#endif
#ifdef DELAUNAY2D_BENCH_HAVE_CGAL
    contenders.push_back({"CGAL mesher", bench::measure_cgal_mesher});
#endif

    std::printf("One thread each, one process per case and contender, timeout %u s. Smallest angle measured\n"
                "the same way on every output; CGAL bounds edges, not areas (the edge of the equilateral\n"
                "triangle of that area).\n\n",
                timeout);
    std::printf("| case | contender | time | peak memory | vertices | triangles | smallest angle "
                "| triangles / Triangle | time / Triangle |\n|---|---|---|---|---|---|---|---|---|\n");
    std::fflush(stdout);
    for (const NamedCase& named : cases) {
        std::vector<Outcome> outcomes(contenders.size());
        for (std::size_t k = 0; k < contenders.size(); ++k) {
            const Contender& who = contenders[k];
            outcomes[k] = bench::run_case([&](CaseResult* r) { who.measure(named.input, r); }, timeout);
        }
        const Outcome* triangle = nullptr;
#ifdef DELAUNAY2D_BENCH_HAVE_TRIANGLE
        triangle = outcomes[triangle_at].ok ? &outcomes[triangle_at] : nullptr;
#endif
        for (std::size_t k = 0; k < contenders.size(); ++k) {
            const Outcome& o = outcomes[k];
            std::printf("| %s | %s ", k == 0 ? named.title.c_str() : "", contenders[k].name);
            if (!o.ok) {
                std::printf("| %s | | | | | | |\n", o.failure.c_str());
                continue;
            }
            const CaseResult& r = o.result;
            std::printf("| %.3f s | %.1f MB | %s | %s | %.2f° | %s | %s |\n", r.seconds[0],
                        static_cast<double>(r.peak_kb) / 1024.0, grouped(r.vertices).c_str(),
                        grouped(r.triangles).c_str(), r.min_angle,
                        triangle ? ratio(static_cast<double>(r.triangles), static_cast<double>(triangle->result.triangles)).c_str() : "–",
                        triangle ? ratio(r.seconds[0], triangle->result.seconds[0]).c_str() : "–");
        }
        std::fflush(stdout);
    }
    return 0;
}
