// Families of test points shared by the property tests of both front ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "delaunay2d.h"

namespace d2dtest {

using Points = std::vector<Point3D>;

inline Point3D point(double x, double y, double z = 0.0, double w = 0.0) { return Point3D{x, y, z, w}; }

// n points uniform in [low, high)^2.
Points uniform(std::size_t n, std::uint64_t seed, double low = 0.0, double high = 1.0);
// n points in gaussian clusters of about 500 points each.
Points clusters(std::size_t n, std::uint64_t seed);
// The k x k integer grid, shuffled.
Points grid(std::size_t k, std::uint64_t seed);
// The k x k integer grid turned by `angle` (rounded coordinates).
Points rotated_grid(std::size_t k, double angle);
// n points on a circle (rounded coordinates).
Points circle(std::size_t n, double radius, double cx, double cy);
// All integer points on x^2 + y^2 = 5^2 * 13^2 * 17^2 (108 of them).
Points lattice_circle_points();
// Every coordinate times `scale` plus `offset`.
Points transformed(Points p, double scale, double offset);

}  // namespace d2dtest
