// The inputs of the constrained benchmark, the same for every contender:
// points, segments as pairs of point indices, and whether only what the
// segments enclose is kept.
#ifndef DELAUNAY2D_BENCH_CONSTRAINT_CASES_H
#define DELAUNAY2D_BENCH_CONSTRAINT_CASES_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct ConstraintCase {
    std::string name;
    std::vector<double> xy;
    std::vector<std::uint32_t> segments;
    // A point inside each hole (x, y), for a peer that removes holes from
    // hole points rather than by even-odd nesting; the same domain.
    std::vector<double> holes;
    bool inside = false;
    bool crossings = false;  // segments cross: a peer needs exact constructions
};

// (a) `points` random points in the unit square, `segments` of them joined
// in pairs inside cells of a grid, so that no two segments cross.
ConstraintCase random_segments_case(std::size_t points, std::size_t segments, std::uint64_t seed);
// (b) one polygon of `vertices` vertices (a wobbly circle) with `holes`
// small polygonal holes of 16 vertices each; region inside.
ConstraintCase polygon_with_holes_case(std::size_t vertices, std::size_t holes, std::uint64_t seed);
// (c) `segments` random segments of length about `length` in the unit
// square, crossing each other often; no other points.
ConstraintCase crossing_segments_case(std::size_t segments, double length, std::uint64_t seed);
// The crossing sweep: `segments` segments in the unit square, segment k
// joining points 2k and 2k + 1, all drawn uniformly; about 5.6% of the
// pairs cross, so the crossings grow as the square of the count.
ConstraintCase random_unit_segments_case(std::size_t segments, std::uint64_t seed);

}  // namespace bench

#endif
