// Times CGAL's Delaunay_triangulation_2 (exact predicates, inexact
// constructions; range insertion, which sorts the points spatially) on one
// point set: the comparison figure of the benchmark, compiled only where
// CGAL is installed.
#ifndef DELAUNAY2D_BENCH_CGAL_CASE_H
#define DELAUNAY2D_BENCH_CGAL_CASE_H

#include <vector>

#include "case_result.h"
#include "delaunay2d.h"

namespace bench {

// The CGAL version string, e.g. "5.5.1".
const char* cgal_version();

// Inserts the points (copied into CGAL points beforehand, untimed) `runs`
// times into a fresh triangulation; each timed call is the range insertion
// alone, never the destruction. The peak is that of the first insertion, with
// the triangulation still alive.
void measure_cgal(const std::vector<Point3D>& points, int runs, CaseResult* result);

}  // namespace bench

#endif
