// Parsing of the benchmark's options: plain argv walking, comma lists.
#include "bench_options.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace bench {
namespace {

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

void drop(std::vector<Contender>* list, Contender c) {
    list->erase(std::remove(list->begin(), list->end(), c), list->end());
}

}  // namespace

void print_usage(const char* program) {
    std::printf(
        "usage: %s [options]\n"
        "  --large                 also run n = 1e7\n"
        "  --n LIST                sizes, comma-separated (e.g. 1e4,2e5); default 1e4,1e5,1e6\n"
        "  --families LIST         of uniform, clusters, grid, circle; default all four\n"
        "  --contenders LIST       of triangulate1, triangulate2, entry, cgal, triangle; default\n"
        "                          all that this build has\n"
        "  --runs N                timed calls per case (default 5 up to 1e5, 3 up to 1e6, else 1)\n"
        "  --no-cgal               leave CGAL out (as --contenders without cgal)\n"
        "  --one-thread            run the entry point on the calling thread only\n"
        "                          (DELAUNAY2D_THREADS=1 in its process)\n"
        "  --point-trace           also time print_point_3d_list on the n points (the point\n"
        "                          trace lines alone, a lower bound of the trace's share)\n"
        "  --triangle-switches S   switches for Triangle's triangulate() (default %s)\n"
        "  --seed S                seed of the point generators (default 1)\n"
        "  --timeout SECONDS       per contender and case (default 1800)\n",
        program, MeasureSettings{}.triangle_switches.c_str());
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
            if (!parse_list(argv[++i], &o->families, d2dcommon::parse_family)) return false;
        } else if (std::strcmp(a, "--contenders") == 0 && has_value) {
            if (!parse_list(argv[++i], &o->contenders, parse_contender)) return false;
        } else if (std::strcmp(a, "--runs") == 0 && has_value) {
            o->runs = std::atoi(argv[++i]);
            if (o->runs < 1 || o->runs > kMaxRuns) return false;
        } else if (std::strcmp(a, "--no-cgal") == 0) {
            drop(&o->contenders, Contender::cgal);
        } else if (std::strcmp(a, "--one-thread") == 0) {
            o->settings.entry_one_thread = true;
        } else if (std::strcmp(a, "--point-trace") == 0) {
            o->settings.entry_point_trace = true;
        } else if (std::strcmp(a, "--triangle-switches") == 0 && has_value) {
            o->settings.triangle_switches = argv[++i];
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

}  // namespace bench
