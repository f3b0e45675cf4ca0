// Triangle's constrained Delaunay triangulation (triangulate() with -p, as
// packaged in Debian's libtriangle-dev) as a yardstick, compiled only where
// the package is installed; nothing of the library uses it.
#ifndef DELAUNAY2D_BENCH_TRIANGLE_CDT_CASE_H
#define DELAUNAY2D_BENCH_TRIANGLE_CDT_CASE_H

#include "../case_result.h"
#include "constraint_cases.h"

namespace bench {

// Calls triangulate() once with switches "pzQ", no quality refinement:
// plus "c" where the case keeps the whole hull (Triangle would otherwise
// eat the triangles from the hull inward to the first segments), and the
// case's hole points where it keeps the inside (Triangle eats from outside
// up to the outer ring by itself). Crossing segments Triangle splits at
// their crossings, which it rounds to doubles. Records time, peak memory,
// and the triangles and vertices (input points plus the crossings it
// added) of its output.
void measure_triangle_cdt(const ConstraintCase& input, CaseResult* result);

}  // namespace bench

#endif
