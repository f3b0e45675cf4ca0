// Times Triangle's triangulate() (Shewchuk's Triangle, as packaged in
// Debian's libtriangle-dev: divide and conquer with alternating cuts, its
// default algorithm, exact adaptive predicates) on one point set: a second
// yardstick, compiled only where the package is installed.
#ifndef DELAUNAY2D_BENCH_TRIANGLE_CASE_H
#define DELAUNAY2D_BENCH_TRIANGLE_CASE_H

#include <string>
#include <vector>

#include "case_result.h"
#include "delaunay2d.h"

namespace bench {

// Calls triangulate() `runs` times with the given switches on the points
// (copied into an interleaved x, y array beforehand, untimed); each timed
// call is triangulate() alone, never the freeing of its arrays. The output
// is the arrays Triangle returns (triangles, and neighbours with n).
void measure_triangle(const std::vector<Point3D>& points, const std::string& switches, int runs,
                      CaseResult* result);

}  // namespace bench

#endif
