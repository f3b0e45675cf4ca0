// Triangle's quality mesh (triangulate() with -pq, and -a for an area
// bound, as packaged in Debian's libtriangle-dev) as a yardstick, compiled
// only where the package is installed; nothing of the library uses it.
#ifndef DELAUNAY2D_BENCH_TRIANGLE_QUALITY_CASE_H
#define DELAUNAY2D_BENCH_TRIANGLE_QUALITY_CASE_H

#include "../case_result.h"
#include "quality_case.h"

namespace bench {

// Calls triangulate() once with "pzQq<angle>" (plus "a<area>"), the
// shape's hole points and regions; records time, peak memory, triangles,
// vertices and the smallest angle of its output.
void measure_triangle_quality(const QualityCase& input, CaseResult* result);

}  // namespace bench

#endif
