// delaunay2d-bench: times the library's two front ends (the index-array call
// delaunay2d_triangulate on one and on two threads, the entry point
// create_mesh_2d with standard output sent to /dev/null) beside CGAL's and
// Triangle's Delaunay triangulations, where those were found at build time,
// on generated point families and sizes. Every contender of a case gets the
// same points, each in a process of its own; the table has one row per
// contender and case: time, nanoseconds per point, peak memory of the call
// against the size of what it returns, and the ratios to the yardsticks.
#include <cstdio>
#include <string>
#include <vector>

#include "bench_options.h"
#include "isolated_run.h"
#include "result_table.h"

namespace {

std::string load_average() {
    char text[128] = "?";
    if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (!std::fgets(text, sizeof text, f)) text[0] = '\0';
        std::fclose(f);
    }
    std::string s(text);
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

// Says what each asked contender is, or that this build leaves it out.
void print_preamble(const bench::Options& o) {
    std::printf("delaunay2d-bench, library %s\n", delaunay2d_version());
    bool any_yardstick = false;
    for (bench::Contender c : o.contenders) {
        std::printf("  %-10s %s", bench::contender_name(c), bench::contender_description(c).c_str());
        if (!bench::contender_built(c)) {
            std::printf(", left out\n");
            continue;
        }
        if (c == bench::Contender::entry && o.settings.entry_one_thread) std::printf(", DELAUNAY2D_THREADS=1");
        if (c == bench::Contender::triangle) std::printf(", switches %s", o.settings.triangle_switches.c_str());
        any_yardstick = any_yardstick || c == bench::Contender::cgal || c == bench::Contender::triangle;
        std::printf("\n");
    }
    std::printf("load average at start: %s\n", load_average().c_str());
    std::printf("times: median and best of the timed calls, wall clock; ns/pt from the median\n");
    std::printf("peak: growth of the resident set during the first call over the resident set before it\n");
    std::printf("out: bytes the call returns (triangulate: its four arrays; entry: the Mesh2D block, %zu + %zu * "
                "triangles; triangle: its index arrays); pk/out = peak / out\n",
                sizeof(Mesh2D), sizeof(Triangle));
    if (any_yardstick)
        std::printf("/cgal, /tri: ratio of the contender's median to CGAL's, to Triangle's, in the same case\n");
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    // Fully buffered standard output, as for a host whose output goes to a
    // file: the entry point's trace lines are not written one system call
    // per line. Rows are flushed case by case.
    static char stdout_buffer[BUFSIZ];
    std::setvbuf(stdout, stdout_buffer, _IOFBF, sizeof stdout_buffer);

    bench::Options o;
    if (!bench::parse_options(argc, argv, &o)) {
        bench::print_usage(argv[0]);
        std::fflush(stdout);
        return 2;
    }
    print_preamble(o);
    std::erase_if(o.contenders, [](bench::Contender c) { return !bench::contender_built(c); });

    bench::ResultTable table(o.contenders, o.settings.entry_point_trace);
    table.print_header();
    std::fflush(stdout);
    for (std::size_t n : o.sizes) {
        for (bench::Family f : o.families) {
            const int runs = bench::runs_for(o, n);
            std::vector<bench::Outcome> outcomes;
            for (bench::Contender c : o.contenders) {
                bench::Outcome outcome;
                outcome.contender = c;
                outcome.ok = bench::run_isolated(
                    [&](bench::CaseResult* r) {
                        std::vector<Point3D> points = d2dcommon::make_points(f, n, o.seed);
                        bench::measure_contender(c, points, runs, o.settings, r);
                    },
                    o.timeout, &outcome.result, &outcome.failure);
                if (outcome.ok && outcome.result.error[0] != '\0') {
                    outcome.ok = false;
                    outcome.failure = outcome.result.error;
                }
                outcomes.push_back(outcome);
            }
            table.print_case(f, n, runs, outcomes);
            std::fflush(stdout);
        }
    }
    std::printf("load average at end: %s\n", load_average().c_str());
    table.print_notes();
    std::fflush(stdout);
    return 0;
}
