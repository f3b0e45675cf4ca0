// CGAL's Constrained_Delaunay_triangulation_2 as a yardstick; nothing of the
// library uses it.
#ifndef DELAUNAY2D_BENCH_CGAL_CDT_CASE_H
#define DELAUNAY2D_BENCH_CGAL_CDT_CASE_H

#include "../case_result.h"
#include "constraint_cases.h"

namespace bench {

// Inserts the points, then the segments (an exact-constructions kernel with
// Exact_intersections_tag where segments cross, else exact predicates with
// Exact_predicates_tag), and for a case kept inside marks the faces inside
// by even-odd nesting (the breadth-first search of CGAL's own example).
void measure_cgal_cdt(const ConstraintCase& input, CaseResult* result);

}  // namespace bench

#endif
