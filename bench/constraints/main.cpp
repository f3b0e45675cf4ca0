// delaunay2d-bench-constraints: the constrained triangulation beside
// Triangle's (-p) and CGAL's Constrained_Delaunay_triangulation_2 on the
// same inputs, each case of each contender in a child process of its own
// (time of the call, peak resident growth during it, vertices and
// triangles of its output), with the exact number of crossings of the
// input, so that points + crossings can be read against each vertex count.
//
//   delaunay2d-bench-constraints [SCALE] [--timeout SECONDS] [--cases LIST]
//     SCALE     1 (default) is the full size; 0.1 runs every case at a tenth
//     SECONDS   per process, 60 by default; a case past it prints "timeout"
//     LIST      comma-separated among a, b, c, sweep (default: all)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../case_driver.h"
#include "../case_result.h"
#include "constraint_cases.h"
#include "crossing_count.h"
#include "delaunay2d.h"
#ifdef DELAUNAY2D_BENCH_HAVE_CGAL
#include "cgal_cdt_case.h"
#endif
#ifdef DELAUNAY2D_BENCH_HAVE_TRIANGLE
#include "triangle_cdt_case.h"
#endif

namespace {

using bench::CaseResult;
using bench::grouped;
using bench::selected;
using Outcome = bench::IsolatedOutcome;
using bench::ConstraintCase;

void measure_ours(const ConstraintCase& input, CaseResult* result) {
    delaunay2d_constraint_options options{};
    options.struct_size = sizeof options;
    options.segments = input.segments.data();
    options.segment_count = input.segments.size() / 2;
    options.region = input.inside ? DELAUNAY2D_REGION_INSIDE : DELAUNAY2D_REGION_HULL;
    options.threads = 1;
    delaunay2d_constrained_result out{};
    out.struct_size = sizeof out;
    bench::start_peak_watch(result);
    const auto start = std::chrono::steady_clock::now();
    const delaunay2d_status status =
        delaunay2d_triangulate_constrained(input.xy.data(), input.xy.size() / 2, 2, &options, &out);
    result->seconds[0] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result->runs = 1;
    bench::record_peak(result);
    result->triangles = out.mesh.triangle_count;
    // A point that stands for itself is a vertex; a repeated point is not.
    result->vertices = out.mesh.vertex_of_point ? 0 : out.mesh.point_count;
    for (std::size_t i = 0; out.mesh.vertex_of_point && i < out.mesh.point_count; ++i) {
        result->vertices += static_cast<std::size_t>(out.mesh.vertex_of_point[i]) == i ? 1 : 0;
    }
    if (status != DELAUNAY2D_OK) bench::set_error(result, delaunay2d_status_message(status));
    delaunay2d_constrained_result_free(&out);
}

struct Contender {
    const char* name;
    void (*measure)(const ConstraintCase&, CaseResult*);
};

double seconds(const Outcome& o) { return o.ok ? o.result.seconds[0] : -1.0; }

std::string ratio(const Outcome& mine, const Outcome* peer) {
    if (!peer || !mine.ok || !peer->ok || seconds(*peer) <= 0.0) return "–";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", seconds(mine) / seconds(*peer));
    return text;
}

struct NamedCase {
    std::string label;  // a, b, c or sweep, as --cases names them
    std::string title;
    ConstraintCase input;
};

int usage(const char* program) {
    std::fprintf(stderr, "usage: %s [SCALE] [--timeout SECONDS] [--cases a,b,c,sweep]\n", program);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bench::DriverArgs args;
    args.timeout = 60;
    if (!bench::parse_driver_args(argc, argv, &args)) return usage(argv[0]);
    const double scale = args.scale;
    const unsigned timeout = args.timeout;
    const std::string& only = args.only;
    auto scaled = [&](double n) { return static_cast<std::size_t>(n * scale) < 2 ? 2 : static_cast<std::size_t>(n * scale); };

    std::vector<NamedCase> cases;
    if (selected(only, "a")) {
        cases.push_back({"a", "(a) " + grouped(scaled(1e6)) + " points + " + grouped(scaled(1e5)) + " segments",
                         bench::random_segments_case(scaled(1e6), scaled(1e5), 1)});
    }
    if (selected(only, "b")) {
        cases.push_back({"b",
                         "(b) polygon of " + grouped(scaled(1e6)) + " vertices, " + grouped(scaled(1e3)) +
                             " holes, inside",
                         bench::polygon_with_holes_case(scaled(1e6), scaled(1e3), 2)});
    }
    if (selected(only, "c")) {
        cases.push_back({"c", "(c) " + grouped(scaled(1e4)) + " crossing segments of length 0.1",
                         bench::crossing_segments_case(scaled(1e4), 0.1, 3)});
    }
    if (selected(only, "sweep")) {
        for (double n : {200.0, 400.0, 1000.0, 2000.0, 4000.0}) {
            cases.push_back({"sweep", "sweep: " + grouped(scaled(n)) + " random segments",
                             bench::random_unit_segments_case(scaled(n), 20261207 + static_cast<std::uint64_t>(n))});
        }
    }
    if (cases.empty()) return usage(argv[0]);

    std::vector<Contender> contenders = {{"delaunay2d", measure_ours}};
#ifdef DELAUNAY2D_BENCH_HAVE_TRIANGLE
    contenders.push_back({"Triangle", bench::measure_triangle_cdt});
    const std::size_t triangle_at = contenders.size() - 1;
#endif
#ifdef DELAUNAY2D_BENCH_HAVE_CGAL
    contenders.push_back({"CGAL CDT", bench::measure_cgal_cdt});
    const std::size_t cgal_at = contenders.size() - 1;
#endif

    std::printf("One thread each, one process per case and contender, timeout %u s. Vertices expected: the input\n"
                "points plus the exact number of proper crossings of the segments.\n\n",
                timeout);
    std::printf("| case | points + crossings | contender | time | peak memory | vertices | triangles "
                "| time / Triangle | time / CGAL |\n|---|---|---|---|---|---|---|---|---|\n");
    std::fflush(stdout);
    for (const NamedCase& named : cases) {
        const ConstraintCase& input = named.input;
        const std::size_t points = input.xy.size() / 2;
        const std::string expected =
            input.crossings ? grouped(points) + " + " + grouped(bench::count_proper_crossings(input))
                            : grouped(points) + " + 0 (none cross)";
        std::vector<Outcome> outcomes(contenders.size());
        for (std::size_t k = 0; k < contenders.size(); ++k) {
            const Contender& who = contenders[k];
            outcomes[k] = bench::run_case([&](CaseResult* r) { who.measure(input, r); }, timeout);
        }
        const Outcome* triangle = nullptr;
        const Outcome* cgal = nullptr;
#ifdef DELAUNAY2D_BENCH_HAVE_TRIANGLE
        triangle = &outcomes[triangle_at];
#endif
#ifdef DELAUNAY2D_BENCH_HAVE_CGAL
        cgal = &outcomes[cgal_at];
#endif
        for (std::size_t k = 0; k < contenders.size(); ++k) {
            const Outcome& o = outcomes[k];
            const bool first = k == 0;
            std::printf("| %s | %s | %s ", first ? named.title.c_str() : "", first ? expected.c_str() : "",
                        contenders[k].name);
            if (!o.ok) {
                std::printf("| %s | | | | | |\n", o.failure.c_str());
                continue;
            }
            const CaseResult& r = o.result;
            std::printf("| %.3f s | %.1f MB | %s | %s | %s | %s |\n", r.seconds[0],
                        static_cast<double>(r.peak_kb) / 1024.0, grouped(r.vertices).c_str(),
                        grouped(r.triangles).c_str(), &o == triangle ? "1" : ratio(o, triangle).c_str(),
                        &o == cgal ? "1" : ratio(o, cgal).c_str());
        }
        std::fflush(stdout);
    }
    return 0;
}
