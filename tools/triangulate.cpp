// delaunay2d-triangulate: triangulates a generated sample of points with the
// delaunay2d library and prints a summary of the mesh it returns.
//
//   delaunay2d-triangulate [--n N] [--dist uniform|clusters|grid|circle]
//                          [--seed S] [--trace FILE]
//
// The library prints a trace line per point and per step on standard output;
// that goes to FILE (default /dev/null) so that the summary stays readable.
#include <delaunay2d.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Options {
    size_t n = 100000;
    std::string dist = "uniform";
    std::uint64_t seed = 1;
    std::string trace = "/dev/null";
};

[[noreturn]] void usage(const char* message) {
    if (message != nullptr) {
        std::fprintf(stderr, "delaunay2d-triangulate: %s\n", message);
    }
    std::fprintf(stderr,
                 "usage: delaunay2d-triangulate [--n N] [--dist uniform|clusters|grid|circle]\n"
                 "                              [--seed S] [--trace FILE]\n"
                 "  --n N       number of points, at least 3 (default 100000)\n"
                 "  --dist D    uniform: unit square; clusters: gaussian clusters;\n"
                 "              grid: integer grid; circle: points on the unit circle\n"
                 "  --seed S    seed of the generator (default 1)\n"
                 "  --trace F   file that receives the library's trace (default /dev/null)\n");
    std::exit(message != nullptr ? 2 : 0);
}

std::uint64_t parse_unsigned(const char* text, const char* what) {
    char* end = nullptr;
    errno = 0;
    unsigned long long value = std::strtoull(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || text[0] == '-') {
        usage((std::string("invalid ") + what + ": " + text).c_str());
    }
    return value;
}

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            usage(nullptr);
        }
        if (i + 1 >= argc) {
            usage(("missing value after " + std::string(arg)).c_str());
        }
        const char* value = argv[++i];
        if (arg == "--n") {
            options.n = static_cast<size_t>(parse_unsigned(value, "count"));
        } else if (arg == "--dist") {
            options.dist = value;
            if (options.dist != "uniform" && options.dist != "clusters" && options.dist != "grid" &&
                options.dist != "circle") {
                usage(("unknown distribution: " + options.dist).c_str());
            }
        } else if (arg == "--seed") {
            options.seed = parse_unsigned(value, "seed");
        } else if (arg == "--trace") {
            options.trace = value;
        } else {
            usage(("unknown option: " + std::string(arg)).c_str());
        }
    }
    if (options.n < 3) {
        usage("at least three points are needed");
    }
    return options;
}

std::vector<Point3D> generate(const Options& options) {
    std::mt19937_64 random(options.seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<Point3D> points(options.n);
    if (options.dist == "uniform") {
        for (Point3D& p : points) {
            p = {unit(random), unit(random), 0.0, 0.0};
        }
    } else if (options.dist == "clusters") {
        // Gaussian clusters around centres in the unit square.
        const size_t cluster_count = 1 + options.n / 1000;
        std::vector<Point3D> centres(cluster_count);
        for (Point3D& c : centres) {
            c = {unit(random), unit(random), 0.0, 0.0};
        }
        std::normal_distribution<double> spread(0.0, 0.01);
        std::uniform_int_distribution<size_t> pick(0, cluster_count - 1);
        for (Point3D& p : points) {
            const Point3D& c = centres[pick(random)];
            p = {c.x + spread(random), c.y + spread(random), 0.0, 0.0};
        }
    } else if (options.dist == "grid") {
        // Row by row on the integer grid, as square as the count allows,
        // shuffled so that the input order says nothing.
        const auto width = static_cast<size_t>(std::ceil(std::sqrt(static_cast<double>(options.n))));
        for (size_t i = 0; i < options.n; ++i) {
            points[i] = {static_cast<double>(i % width), static_cast<double>(i / width), 0.0, 0.0};
        }
        std::shuffle(points.begin(), points.end(), random);
    } else {
        // Random angles on the unit circle.
        for (Point3D& p : points) {
            double angle = 2.0 * std::numbers::pi * unit(random);
            p = {std::cos(angle), std::sin(angle), 0.0, 0.0};
        }
    }
    return points;
}

// Runs the triangulation with file descriptor 1 sent to the trace file; the
// C stream is flushed on both sides so that nothing crosses over.
Mesh2D* triangulate(std::vector<Point3D>& points, const std::string& trace, double& seconds) {
    int sink = ::open(trace.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (sink < 0) {
        std::fprintf(stderr, "delaunay2d-triangulate: cannot open %s: %s\n", trace.c_str(), std::strerror(errno));
        std::exit(1);
    }
    std::fflush(stdout);
    int saved = ::dup(STDOUT_FILENO);
    ::dup2(sink, STDOUT_FILENO);
    ::close(sink);

    auto start = std::chrono::steady_clock::now();
    Mesh2D* mesh = create_mesh_2d(points.data(), points.size());
    auto stop = std::chrono::steady_clock::now();

    std::fflush(stdout);
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    seconds = std::chrono::duration<double>(stop - start).count();
    return mesh;
}

struct Summary {
    size_t vertices = 0;     // distinct input points used by some triangle
    size_t hull_edges = 0;   // edges without a neighbour
    bool symmetric = true;   // every link is returned across the same edge
    bool foreign_vertices = false;  // a vertex that is not one of the input points
};

bool links_back(const Triangle& from, const Triangle& to, int edge) {
    const Point3D* a = from.points[edge];
    const Point3D* b = from.points[(edge + 1) % 3];
    for (int j = 0; j < 3; ++j) {
        if (to.vor[j] == &from) {
            const Point3D* c = to.points[j];
            const Point3D* d = to.points[(j + 1) % 3];
            return (a == d && b == c) || (a == c && b == d);
        }
    }
    return false;
}

Summary summarise(const Mesh2D& mesh, const std::vector<Point3D>& points) {
    Summary summary;
    std::vector<bool> used(points.size(), false);
    for (size_t t = 0; t < mesh.length; ++t) {
        const Triangle& triangle = mesh.triangles[t];
        for (int i = 0; i < 3; ++i) {
            const Point3D* vertex = triangle.points[i];
            if (vertex < points.data() || vertex >= points.data() + points.size()) {
                summary.foreign_vertices = true;
            } else {
                used[static_cast<size_t>(vertex - points.data())] = true;
            }
            const Triangle* neighbour = triangle.vor[i];
            if (neighbour == nullptr) {
                ++summary.hull_edges;
            } else if (neighbour < mesh.triangles || neighbour >= mesh.triangles + mesh.length ||
                       !links_back(triangle, *neighbour, i)) {
                summary.symmetric = false;
            }
        }
    }
    for (bool u : used) {
        summary.vertices += u ? 1 : 0;
    }
    return summary;
}

}  // namespace

int main(int argc, char** argv) {
    Options options = parse(argc, argv);
    std::vector<Point3D> points = generate(options);

    double seconds = 0.0;
    Mesh2D* mesh = triangulate(points, options.trace, seconds);
    Summary summary = summarise(*mesh, points);

    std::printf("points:            %zu (%s, seed %llu)\n", points.size(), options.dist.c_str(),
                static_cast<unsigned long long>(options.seed));
    std::printf("vertices in mesh:  %zu\n", summary.vertices);
    std::printf("triangles:         %zu\n", mesh->length);
    std::printf("inner triangles:   %zu\n", mesh->inner_length);
    std::printf("edge triangles:    %zu\n", mesh->length - mesh->inner_length);
    std::printf("hull edges:        %zu\n", summary.hull_edges);
    std::printf("links symmetric:   %s\n", summary.symmetric ? "yes" : "no");
    // Any triangulation of v points whose boundary has h edges has exactly
    // 2v - h - 2 triangles.
    const bool counts_agree =
        !summary.foreign_vertices && mesh->length + summary.hull_edges + 2 == 2 * summary.vertices;
    std::printf("counts consistent: %s (triangles = 2 * vertices - hull edges - 2)\n", counts_agree ? "yes" : "no");
    std::printf("time:              %.3f s (trace to %s included)\n", seconds, options.trace.c_str());
    free_mesh(mesh);
    return summary.symmetric && counts_agree ? 0 : 1;
}
