// Times the operations on a finished triangulation, one case per process:
//
//   delaunay2d-queries-bench CASE N QUERIES THREADS
//
// CASE: locate, linear (triangulation included), nearest, natural,
// voronoi, cells, and where CGAL is built in cgal-locate (Delaunay
// triangulation_2::locate with the previous face as hint, queries in the
// same curve order as ours), cgal-natural (natural_neighbor_coordinates_2
// over CGAL's own triangulation, given the previous query's face as its
// start) and cgal-natural-unhinted (the same without a start face, as the
// function is usually called: each query is then located from an
// arbitrary face). N uniform points
// in the unit square (seed 1); QUERIES "random" (N uniform queries, seed 2)
// or "grid" (a 1000 x 1000 grid over the square). Prints one line:
// CASE N QUERIES THREADS seconds (the operation alone, without generating
// the input; "linear" includes the triangulation as the targets count it).
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "delaunay2d.h"

#ifdef DELAUNAY2D_QUERIES_BENCH_CGAL
double cgal_locate(const std::vector<double>& points, const std::vector<double>& queries);
double cgal_natural(const std::vector<double>& points, const std::vector<double>& values,
                    const std::vector<double>& queries, bool hinted, double* checksum);
#endif

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::vector<double> uniform(size_t n, uint64_t seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<double> xy(2 * n);
    for (double& v : xy) v = u(rng);
    return xy;
}

std::vector<double> grid_queries() {
    std::vector<double> xy;
    xy.reserve(2000000);
    for (int j = 0; j < 1000; ++j)
        for (int i = 0; i < 1000; ++i) xy.insert(xy.end(), {(i + 0.5) / 1000.0, (j + 0.5) / 1000.0});
    return xy;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s CASE N random|grid THREADS\n", argv[0]);
        return 2;
    }
    const std::string name = argv[1];
    const size_t n = std::strtoul(argv[2], nullptr, 10);
    const std::string kind = argv[3];
    const unsigned threads = static_cast<unsigned>(std::strtoul(argv[4], nullptr, 10));
    const std::vector<double> points = uniform(n, 1);
    const std::vector<double> queries = kind == "grid" ? grid_queries() : uniform(n, 2);
    const size_t k = queries.size() / 2;
    std::vector<double> values(n);
    for (size_t i = 0; i < n; ++i) values[i] = std::sin(6 * points[2 * i]) * std::cos(4 * points[2 * i + 1]);
    double seconds = 0.0, checksum = 0.0;
    delaunay2d_result mesh{};
    const auto triangulate = [&] {
        if (delaunay2d_triangulate(points.data(), n, 2, threads, &mesh) != DELAUNAY2D_OK) std::exit(1);
    };
    if (name == "locate") {
        triangulate();
        std::vector<int32_t> out(k);
        const Clock::time_point start = Clock::now();
        delaunay2d_locate(points.data(), 2, &mesh, queries.data(), k, threads, out.data());
        seconds = since(start);
        for (int32_t t : out) checksum += t >= 0;
    } else if (name == "linear" || name == "nearest" || name == "natural") {
        const int method = name == "linear" ? DELAUNAY2D_LINEAR : name == "nearest" ? DELAUNAY2D_NEAREST : DELAUNAY2D_NATURAL;
        std::vector<double> out(k);
        const Clock::time_point start = Clock::now();
        triangulate();
        delaunay2d_interpolate(points.data(), 2, &mesh, values.data(), 1, method, queries.data(), k, NAN, threads,
                               out.data());
        seconds = since(start);
        for (double v : out) checksum += std::isnan(v) ? 0.0 : v;
    } else if (name == "voronoi" || name == "cells") {
        const Clock::time_point start = Clock::now();
        triangulate();
        if (name == "voronoi") {
            delaunay2d_voronoi v{};
            v.struct_size = sizeof v;
            delaunay2d_voronoi_build(points.data(), 2, &mesh, &v);
            checksum = static_cast<double>(v.ridge_count);
            seconds = since(start);
            delaunay2d_voronoi_free(&v);
        } else {
            delaunay2d_cells c{};
            c.struct_size = sizeof c;
            const double box[4] = {0, 0, 1, 1};
            delaunay2d_voronoi_cells(points.data(), 2, &mesh, box, threads, &c);
            checksum = static_cast<double>(c.offsets[n]);
            seconds = since(start);
            delaunay2d_cells_free(&c);
        }
#ifdef DELAUNAY2D_QUERIES_BENCH_CGAL
    } else if (name == "cgal-locate") {
        seconds = cgal_locate(points, queries);
    } else if (name == "cgal-natural" || name == "cgal-natural-unhinted") {
        seconds = cgal_natural(points, values, queries, name == "cgal-natural", &checksum);
#endif
    } else {
        std::fprintf(stderr, "unknown case %s\n", name.c_str());
        return 2;
    }
    delaunay2d_result_free(&mesh);
    std::printf("%s %zu %s %u %.4f %.6g\n", name.c_str(), n, kind.c_str(), threads, seconds, checksum);
    return 0;
}
