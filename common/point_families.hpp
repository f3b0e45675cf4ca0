// Generated point sets shared by the benchmark, the tests and the program:
// the same family, size and seed give the same points on every machine (own
// generator, no std distributions, whose results the standard leaves open).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "delaunay2d.h"

namespace d2dcommon {

using Points = std::vector<Point3D>;

inline Point3D point(double x, double y, double z = 0.0, double w = 0.0) { return Point3D{x, y, z, w}; }

// The four families the benchmark times and the program generates.
enum class Family { uniform, clusters, grid, circle };

const char* family_name(Family f);
// False for a name that is none of the four.
bool parse_family(std::string_view name, Family* f);

// make_points(f, n, seed) is the family with its default parameters below;
// z and w are 0. The benchmark's figures were measured on exactly these
// points: changing a family changes what the figures compare.
Points make_points(Family f, std::size_t n, std::uint64_t seed);

// uniform:  x, y uniform in [low, high).
Points uniform(std::size_t n, std::uint64_t seed, double low = 0.0, double high = 1.0);
// clusters: gaussian clusters with centres uniform in [0, 1) and standard
//           deviations between 0.005 and 0.03; each point picks a cluster at
//           random.
Points clusters(std::size_t n, std::uint64_t seed, std::size_t cluster_count = 32);
// grid:     the first n points, row by row, of a ceil(sqrt(n)) wide integer
//           grid, in shuffled order (n = k * k gives the k x k grid).
Points grid(std::size_t n, std::uint64_t seed);
// circle:   (cos t, sin t) for t uniform in [0, 2 pi).
Points circle(std::size_t n, std::uint64_t seed);

// Degenerate sets the tests add, made without randomness:
// n points evenly spaced on a circle (coordinates rounded, so only nearly
// cocircular: the in-circle test's hardest cases).
Points regular_polygon(std::size_t n, double radius, double cx, double cy);
// The k x k integer grid turned by `angle` (rounded coordinates: nearly
// collinear rows).
Points rotated_grid(std::size_t k, double angle);

// Every coordinate times `scale` plus `offset`.
Points transformed(Points p, double scale, double offset);
// z = the point's index and w = 0.5, so that records with equal x and y
// differ and every centroid's z and w say which records entered it.
Points numbered(Points p);

}  // namespace d2dcommon
