// delaunay2d-bench-constraints: the constrained triangulation beside CGAL's
// Constrained_Delaunay_triangulation_2 on the same inputs, each case of
// each contender in a child process of its own (time of the call, peak
// resident growth during it).
//
//   delaunay2d-bench-constraints [SCALE]   SCALE 1 (default) is the full size;
//                                          0.1 runs every case at a tenth
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../case_result.h"
#include "../isolated_run.h"
#include "constraint_cases.h"
#include "delaunay2d.h"
#ifdef DELAUNAY2D_BENCH_HAVE_CGAL
#include "cgal_cdt_case.h"
#endif

namespace {

using bench::CaseResult;
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
    result->output_bytes = out.added_count;  // reported as the points added
    if (status != DELAUNAY2D_OK) bench::set_error(result, delaunay2d_status_message(status));
    delaunay2d_constrained_result_free(&out);
}

void report(const char* who, const ConstraintCase& input, bool ok, const CaseResult& r, const std::string& failure) {
    if (!ok || r.error[0] != '\0') {
        std::printf("| %-34s | %-10s | failed: %s |\n", input.name.c_str(), who, ok ? r.error : failure.c_str());
        return;
    }
    std::printf("| %-34s | %-10s | %8.3f s | %8.1f MB | %10zu triangles |\n", input.name.c_str(), who, r.seconds[0],
                static_cast<double>(r.peak_kb) / 1024.0, r.triangles);
}

}  // namespace

int main(int argc, char** argv) {
    const double scale = argc > 1 ? std::atof(argv[1]) : 1.0;
    auto scaled = [&](double n) { return static_cast<std::size_t>(n * scale); };
    const std::vector<ConstraintCase> cases = {
        bench::random_segments_case(scaled(1e6), scaled(1e5), 1),
        bench::polygon_with_holes_case(scaled(1e6), scaled(1e3), 2),
        bench::crossing_segments_case(scaled(1e4), 0.1, 3),
    };
    std::printf("| case | contender | time (1 thread) | peak memory | result |\n|---|---|---|---|---|\n");
    for (const ConstraintCase& input : cases) {
        CaseResult result;
        std::string failure;
        bool ok = bench::run_isolated([&](CaseResult* r) { measure_ours(input, r); }, 3600, &result, &failure);
        report("delaunay2d", input, ok, result, failure);
        if (ok) std::printf("|   (%zu points, %zu segments, %zu crossing points added) |\n", input.xy.size() / 2,
                            input.segments.size() / 2, result.output_bytes);
#ifdef DELAUNAY2D_BENCH_HAVE_CGAL
        CaseResult peer;
        ok = bench::run_isolated([&](CaseResult* r) { bench::measure_cgal_cdt(input, r); }, 3600, &peer, &failure);
        report("CGAL CDT", input, ok, peer, failure);
#endif
        std::fflush(stdout);
    }
    return 0;
}
