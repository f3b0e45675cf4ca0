// The exact number of proper crossings among a case's segments: what an
// exact arrangement adds to the input points, and so the vertex count a
// constrained triangulation should reach when no two crossings coincide.
#ifndef DELAUNAY2D_BENCH_CROSSING_COUNT_H
#define DELAUNAY2D_BENCH_CROSSING_COUNT_H

#include <cstddef>

#include "constraint_cases.h"

namespace bench {

// Sign (-1, 0, 1) of the orientation of c against the line a -> b, exact
// for doubles whose products neither overflow nor underflow (any
// coordinates from about 1e-75 to 1e75 in magnitude, and 0).
int exact_orientation(double ax, double ay, double bx, double by, double cx, double cy);

// Pairs of segments that meet at a single point inside both (each end
// strictly on its own side of the other's line). Segments that share an
// end, touch at an end or overlap along a line are not counted. Three
// segments through one point count three pairs: on random inputs that has
// probability zero, and the benchmark's inputs are random.
std::size_t count_proper_crossings(const ConstraintCase& input);

}  // namespace bench

#endif
