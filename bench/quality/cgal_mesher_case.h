// CGAL's 2D mesher (Delaunay_mesher_2 with Delaunay_mesh_size_criteria_2)
// as a yardstick, compiled only where CGAL is installed.
#ifndef DELAUNAY2D_BENCH_CGAL_MESHER_CASE_H
#define DELAUNAY2D_BENCH_CGAL_MESHER_CASE_H

#include "../case_result.h"
#include "quality_case.h"

namespace bench {

// Inserts the shape as a constrained Delaunay triangulation, marks the
// domain (even-odd nesting of the rings, or the whole hull), and refines
// it with the angle bound (CGAL's bound is the squared sine of the
// smallest angle: 0.25 for 30 degrees) and, for an area bound A, an edge
// bound of sqrt(4 A / sqrt 3), the side of the equilateral triangle of
// area A (CGAL bounds edges, not areas). Records time, peak memory,
// triangles in the domain, vertices and the smallest angle.
void measure_cgal_mesher(const QualityCase& input, CaseResult* result);

}  // namespace bench

#endif
