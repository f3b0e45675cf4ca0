// delaunay2d-bench: times create_mesh_2d on generated point families and
// sizes, with standard output sent to /dev/null, and prints one table row per
// case: time, nanoseconds per point, peak memory of the call against the size
// of the returned mesh, and, where CGAL was found at build time, the same
// figures for CGAL's Delaunay triangulation of the same points.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "case_result.h"
#include "isolated_run.h"
#include "library_case.h"
#include "point_families.h"
#ifdef DELAUNAY2D_BENCH_HAVE_CGAL
#include "cgal_case.h"
#endif

namespace {

using bench::CaseResult;
using bench::Family;

struct Options {
    std::vector<std::size_t> sizes{10000, 100000, 1000000};
    std::vector<Family> families{Family::uniform, Family::clusters, Family::grid, Family::circle};
    int runs = 0;  // 0: by size
    bool cgal = true;
    bool point_trace = false;
    bool one_thread = false;
    std::uint64_t seed = 1;
    unsigned timeout = 1800;
};

void usage(const char* program) {
    std::printf(
        "usage: %s [options]\n"
        "  --large             also run n = 1e7\n"
        "  --n LIST            sizes, comma-separated (e.g. 1e4,2e5); default 1e4,1e5,1e6\n"
        "  --families LIST     of uniform, clusters, grid, circle; default all four\n"
        "  --runs N            timed calls per case (default 5 up to 1e5, 3 up to 1e6, else 1)\n"
        "  --no-cgal           skip the comparison with CGAL\n"
        "  --one-thread        run the library on the calling thread only\n"
        "                      (DELAUNAY2D_THREADS=1; by default it uses two threads\n"
        "                      for large inputs where two cores are available)\n"
        "  --point-trace       also time print_point_3d_list on the n points (the point\n"
        "                      trace lines alone, a lower bound of the trace's share)\n"
        "  --seed S            seed of the point generators (default 1)\n"
        "  --timeout SECONDS   per case and program (default 1800)\n",
        program);
}

template <typename T, typename Parse>
bool parse_list(const char* text, std::vector<T>* out, Parse parse) {
    out->clear();
    std::string s(text);
    std::size_t start = 0;
    while (start <= s.size()) {
        std::size_t comma = s.find(',', start);
        if (comma == std::string::npos) comma = s.size();
        T value;
        if (!parse(s.substr(start, comma - start), &value)) return false;
        out->push_back(value);
        start = comma + 1;
    }
    return !out->empty();
}

bool parse_size(const std::string& s, std::size_t* n) {
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (end == s.c_str() || *end != '\0' || !(v >= 3.0) || v > 1e10) return false;
    *n = static_cast<std::size_t>(v);
    return true;
}

bool parse_options(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        const bool has_value = i + 1 < argc;
        if (std::strcmp(a, "--large") == 0) {
            o->sizes.push_back(10000000);
        } else if (std::strcmp(a, "--n") == 0 && has_value) {
            if (!parse_list(argv[++i], &o->sizes, parse_size)) return false;
        } else if (std::strcmp(a, "--families") == 0 && has_value) {
            if (!parse_list(argv[++i], &o->families, [](const std::string& s, Family* f) {
                    return bench::parse_family(s, f);
                }))
                return false;
        } else if (std::strcmp(a, "--runs") == 0 && has_value) {
            o->runs = std::atoi(argv[++i]);
            if (o->runs < 1 || o->runs > bench::kMaxRuns) return false;
        } else if (std::strcmp(a, "--no-cgal") == 0) {
            o->cgal = false;
        } else if (std::strcmp(a, "--one-thread") == 0) {
            o->one_thread = true;
        } else if (std::strcmp(a, "--point-trace") == 0) {
            o->point_trace = true;
        } else if (std::strcmp(a, "--seed") == 0 && has_value) {
            o->seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (std::strcmp(a, "--timeout") == 0 && has_value) {
            o->timeout = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else {
            return false;
        }
    }
    return true;
}

int runs_for(const Options& o, std::size_t n) {
    if (o.runs > 0) return o.runs;
    return n <= 100000 ? 5 : n <= 1000000 ? 3 : 1;
}

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

double mib(double bytes) { return bytes / (1024.0 * 1024.0); }

void print_failure(const char* what, const std::string& why) { std::printf(" %s: %s", what, why.c_str()); }

}  // namespace

int main(int argc, char** argv) {
    // Fully buffered standard output, as for a host whose output goes to a
    // file: the trace lines are not written one system call per line. Rows
    // are flushed one by one.
    static char stdout_buffer[BUFSIZ];
    std::setvbuf(stdout, stdout_buffer, _IOFBF, sizeof stdout_buffer);

    Options o;
    if (!parse_options(argc, argv, &o)) {
        usage(argv[0]);
        std::fflush(stdout);
        return 2;
    }
#ifdef DELAUNAY2D_BENCH_HAVE_CGAL
    const bool with_cgal = o.cgal;
    std::printf("delaunay2d-bench, comparison: CGAL %s Delaunay_triangulation_2, Epick, range insert%s\n",
                bench::cgal_version(), with_cgal ? "" : " (disabled)");
#else
    const bool with_cgal = false;
    std::printf("delaunay2d-bench, comparison: none (built without CGAL)\n");
#endif
    if (o.one_thread) setenv("DELAUNAY2D_THREADS", "1", 1);
    std::printf("library: %s\n", o.one_thread ? "one thread (DELAUNAY2D_THREADS=1)"
                                                : "two threads for large inputs where two cores are available");
    std::printf("load average at start: %s\n", load_average().c_str());
    std::printf("times: median and best of the timed calls, wall clock; ns/pt from the median\n");
    if (with_cgal) std::printf("us/CGAL: ratio of the medians; best: ratio of the best times\n");
    std::printf("peak: growth of the resident set during the first call over the resident set before it\n");
    std::printf("mesh: %zu + %zu * triangles bytes, the returned Mesh2D\n\n", sizeof(Mesh2D), sizeof(Triangle));

    std::printf("%-8s %9s %4s | %9s %9s %7s %9s %9s %6s %9s", "family", "n", "runs", "med ms", "best ms", "ns/pt",
                "peak MiB", "mesh MiB", "pk/msh", "triangles");
    if (o.point_trace) std::printf(" %8s", "ptrc ns");
    if (with_cgal) std::printf(" | %9s %9s %7s %9s %7s %5s", "CGAL med", "CGAL best", "ns/pt", "peak MiB", "us/CGAL",
                                 "best");
    std::printf("\n");
    std::fflush(stdout);

    bool any_mismatch = false;
    bool any_rough_peak = false;
    for (std::size_t n : o.sizes) {
        for (Family f : o.families) {
            const int runs = runs_for(o, n);
            std::printf("%-8s %9zu %4d |", bench::family_name(f), n, runs);
            std::fflush(stdout);

            CaseResult ours;
            std::string why;
            const bool ours_ok = bench::run_isolated(
                [&](CaseResult* r) {
                    std::vector<Point3D> points = bench::make_points(f, n, o.seed);
                    bench::measure_library(points, runs, o.point_trace, r);
                },
                o.timeout, &ours, &why);
            const double nd = static_cast<double>(n);
            if (ours_ok) {
                const double med = bench::median_seconds(ours);
                const double mesh_bytes =
                    static_cast<double>(sizeof(Mesh2D) + ours.triangles * sizeof(Triangle));
                std::printf(" %9.1f %9.1f %7.0f", med * 1e3, bench::min_seconds(ours) * 1e3, med * 1e9 / nd);
                any_rough_peak = any_rough_peak || !ours.peak_exact;
                if (ours.peak_kb >= 0)
                    std::printf(" %8.1f%s %9.1f %6.2f", mib(ours.peak_kb * 1024.0), ours.peak_exact ? " " : "~",
                                mib(mesh_bytes), ours.peak_kb * 1024.0 / mesh_bytes);
                else
                    std::printf(" %9s %9.1f %6s", "?", mib(mesh_bytes), "?");
                std::printf(" %9zu", ours.triangles);
                if (o.point_trace) std::printf(" %8.0f", ours.extra_seconds * 1e9 / nd);
            } else {
                print_failure("library", why);
            }
            std::fflush(stdout);

#ifdef DELAUNAY2D_BENCH_HAVE_CGAL
            if (with_cgal) {
                CaseResult theirs;
                std::string cgal_why;
                const bool cgal_ok = bench::run_isolated(
                    [&](CaseResult* r) {
                        std::vector<Point3D> points = bench::make_points(f, n, o.seed);
                        bench::measure_cgal(points, runs, r);
                    },
                    o.timeout, &theirs, &cgal_why);
                if (cgal_ok) {
                    const double med = bench::median_seconds(theirs);
                    std::printf(" | %9.1f %9.1f %7.0f", med * 1e3, bench::min_seconds(theirs) * 1e3, med * 1e9 / nd);
                    any_rough_peak = any_rough_peak || !theirs.peak_exact;
                    if (theirs.peak_kb >= 0)
                        std::printf(" %8.1f%s", mib(theirs.peak_kb * 1024.0), theirs.peak_exact ? " " : "~");
                    else
                        std::printf(" %9s", "?");
                    if (ours_ok) {
                        std::printf(" %7.2f %5.2f", bench::median_seconds(ours) / med,
                                    bench::min_seconds(ours) / bench::min_seconds(theirs));
                        if (theirs.triangles != ours.triangles) {
                            std::printf("  triangles differ: CGAL %zu", theirs.triangles);
                            any_mismatch = true;
                        }
                    }
                } else {
                    print_failure("CGAL", cgal_why);
                }
            }
#endif
            std::printf("\n");
            std::fflush(stdout);
        }
    }
    std::printf("\nload average at end: %s\n", load_average().c_str());
    if (o.point_trace)
        std::printf("ptrc ns: print_point_3d_list on the same n points into /dev/null, per point\n");
    if (any_rough_peak)
        std::printf("~ after a peak: the high-water mark could not be reset; the figure may include memory used before the call\n");
    if (any_mismatch) std::printf("triangles differ: the two triangulations do not have the same number of faces\n");
    std::fflush(stdout);
    return 0;
}
