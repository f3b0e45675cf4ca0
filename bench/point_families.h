// Deterministic point sets for the benchmark: the same family, size and seed
// give the same points on every machine (own generator, no std distributions).
#ifndef DELAUNAY2D_BENCH_POINT_FAMILIES_H
#define DELAUNAY2D_BENCH_POINT_FAMILIES_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "delaunay2d.h"

namespace bench {

enum class Family { uniform, clusters, grid, circle };

const char* family_name(Family f);
bool parse_family(const std::string& name, Family* f);

// uniform:  x, y uniform in [0, 1).
// clusters: 32 gaussian clusters with centres uniform in [0, 1) and standard
//           deviations between 0.005 and 0.03.
// grid:     the first n points, row by row, of a ceil(sqrt(n)) wide integer
//           grid, in shuffled order.
// circle:   (cos t, sin t) for t uniform in [0, 2 pi).
// z and w are 0.
std::vector<Point3D> make_points(Family f, std::size_t n, std::uint64_t seed);

}  // namespace bench

#endif
