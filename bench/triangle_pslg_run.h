// One timed call of Triangle's triangulate() on a planar straight-line
// graph, shared by the constrained and quality yardsticks; compiled only
// where Debian's libtriangle-dev is installed.
#ifndef DELAUNAY2D_BENCH_TRIANGLE_PSLG_RUN_H
#define DELAUNAY2D_BENCH_TRIANGLE_PSLG_RUN_H

#include <cstddef>
#include <functional>
#include <vector>

#include "case_result.h"

namespace bench {

// Triangle takes non-const arrays of its own types: the callers copy their
// case into these before the clock starts, and check that the counts fit
// in an int.
struct TrianglePslg {
    std::vector<double> xy;
    std::vector<int> segments;
    std::vector<double> holes;    // x, y each; may be empty
    std::vector<double> regions;  // x, y, attribute, area bound each; may be empty
};

// Calls triangulate(switches) once on input; records time, peak memory and
// the triangles and vertices of the output, lets inspect read the output
// points and triangles, then frees them.
void run_triangle_pslg(char* switches, TrianglePslg& input, CaseResult* result,
                       const std::function<void(const double* points, const int* triangles)>& inspect = {});

}  // namespace bench

#endif
