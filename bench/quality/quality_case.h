// One case of the quality benchmark, the same for every contender: a shape
// of common/quality_shapes and the bounds asked of it, and the smallest
// angle of a mesh, measured the same way for everyone.
#ifndef DELAUNAY2D_BENCH_QUALITY_CASE_H
#define DELAUNAY2D_BENCH_QUALITY_CASE_H

#include <cstddef>
#include <cstdint>

#include "common/quality_shapes.hpp"

namespace bench {

struct QualityCase {
    d2dcommon::QualityShape shape;
    double min_angle = 0.0;  // degrees
    double max_area = 0.0;   // 0: none
};

// The smallest angle, in degrees, of `count` triangles given as index
// triples (of type Index) into x, y pairs.
template <class Index>
double smallest_angle(const double* xy, const Index* triangles, std::size_t count);

}  // namespace bench

#endif
