// Times the index-array call delaunay2d_triangulate on one point set, on
// a given number of threads.
#ifndef DELAUNAY2D_BENCH_TRIANGULATE_CASE_H
#define DELAUNAY2D_BENCH_TRIANGULATE_CASE_H

#include <vector>

#include "case_result.h"
#include "delaunay2d.h"

namespace bench {

// Calls delaunay2d_triangulate `runs` times on the points as they are (an
// array of Point3D, stride 4: nothing is copied); each timed call is the
// call alone, never delaunay2d_result_free. The output is the four arrays
// the call returns (triangles, neighbours, hull, vertex_of_point).
void measure_triangulate(const std::vector<Point3D>& points, unsigned threads, int runs, CaseResult* result);

}  // namespace bench

#endif
